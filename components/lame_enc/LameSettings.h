#pragma once

#include <cstdint>

#include "BladeEncoder.h"

struct lame_global_struct;

// What a configuration record asks of libmp3lame, checked once, so every
// encoder instance a stream opens is set up the same way.
struct CLameSettings
{
    int nChannels = 2;
    int nMode = 0; // libmp3lame's MPEG_mode
    uint32_t nInputRate = 0;
    uint32_t nOutputRate = 0;
    uint32_t nKbps = 0; // a bitrate the output frequency's MPEG version carries
    int nQuality = -1;  // -1: libmp3lame's default
    bool bNoReservoir = false;
    bool bStrictIso = false;
    int nEmphasis = 0;
    bool bPrivate = false;
    bool bCrc = false;
    bool bCopyright = false;
    bool bOriginal = false;
    bool bWriteTag = false;

    // Samples per channel in one MPEG frame.
    uint32_t FrameSamples() const;
    // The largest frame of the stream, padding slot included.
    uint32_t MaxFrameBytes() const;
    // Frames after which the pattern of padded frames repeats.
    uint32_t PaddingPeriod() const;
};

// Checks the record; BE_ERR_SUCCESSFUL and fills settings, or the reason the
// record is refused.
BE_ERR ReadLameSettings(const BE_CONFIG& config, CLameSettings& settings);

// A libmp3lame instance with the settings applied and its parameters
// initialised; null when libmp3lame refuses them. The caller closes it with
// lame_close. Any thread.
lame_global_struct* OpenLame(const CLameSettings& settings);
