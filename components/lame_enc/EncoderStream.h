#pragma once

#include <cstdint>
#include <vector>

#include "BladeEncoder.h"

// One open MP3 stream of the module, as its entry points see it. Every
// operation may be called from any thread; a stream serialises its own calls.
class CEncoderStream
{
public:
    virtual ~CEncoderStream() = default;

    // Sample values (frames times channels) one chunk carries at most.
    virtual uint32_t SamplesPerChunk() const = 0;
    // Bytes of output buffer every Encode and Flush call needs.
    virtual uint32_t OutputBufferSize() const = 0;

    virtual BE_ERR Encode(uint32_t frames, const float* left, const float* right,
                          uint8_t* output, uint32_t* bytes) = 0;
    // Ends the stream: the last frames go to output, and the information tag
    // becomes final.
    virtual BE_ERR Flush(uint8_t* output, uint32_t* bytes) = 0;

    // The information tag frame that belongs at the start of the file; empty
    // when the stream has not been flushed or reserved no tag.
    virtual std::vector<uint8_t> InfoTag() const = 0;
};
