#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "BladeEncoder.h"
#include "LameSettings.h"

// A piece of a stream, encoded on a libmp3lame instance of its own so that
// its frames are the very frames one instance would make there for the
// whole input.
//
// The instance starts on the input's frame grid, a number of frames before
// the piece (warm-up frames, whose output is dropped), at a frame whose
// number is a multiple of the padding period, so its padded frames fall
// where the single instance's do. It reads on past the piece by the
// encoder's look-ahead; a piece that ends the stream is flushed instead.
struct CStreamSegment
{
    // Input from the instance's start, per channel (right empty for mono).
    std::vector<float> left;
    std::vector<float> right;
    uint32_t nWarmUpFrames = 0;
    // Audio frames kept after the warm-up; all of them when bLast.
    uint32_t nKeptFrames = 0;
    bool bLast = false;
    // Bytes of the frame every instance reserves for the tag ahead of its
    // audio frames, 0 when it reserves none; the first piece keeps it.
    uint32_t nReservedTagBytes = 0;
    bool bKeepsTagFrame = false;

    // Results, written by the encoding thread.
    std::vector<uint8_t> output;       // kept frames, a reserved tag frame first
    uint32_t nTagFrameBytes = 0;       // the reserved tag frame's share of output
    uint32_t nOutputAudioFrames = 0;
    std::vector<uint8_t> tagTemplate;  // the instance's tag frame, for bLast
    BE_ERR nResult = BE_ERR_SUCCESSFUL;
};

// Encodes the segment and fills its results. Any thread.
void EncodeSegment(const CLameSettings& settings, CStreamSegment& segment);

// Bytes of the frame an instance with these settings reserves for the
// information tag, 0 when it reserves none (the tag does not fit a frame);
// nullopt when libmp3lame refuses the settings. The reserved frame is all
// that the first frame of input brings out, as the encoder needs more input
// than that before its first audio frame.
std::optional<uint32_t> ReservedTagFrameBytes(const CLameSettings& settings);
