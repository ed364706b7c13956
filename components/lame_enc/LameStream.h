#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "BladeEncoder.h"

struct lame_global_struct;

// One constant-bitrate MP3 stream on libmp3lame. Every operation may be
// called from any thread; a stream serialises its own calls.
class CLameStream
{
public:
    // Checks the configuration record and opens an encoder for it. Returns
    // BE_ERR_SUCCESSFUL and sets stream, or the reason the record is refused.
    static BE_ERR Open(const BE_CONFIG& config, std::unique_ptr<CLameStream>& stream);

    ~CLameStream();
    CLameStream(const CLameStream&) = delete;
    CLameStream& operator=(const CLameStream&) = delete;

    // Sample values (frames times channels) one chunk carries at most.
    uint32_t SamplesPerChunk() const;
    // Bytes of output buffer every Encode and Flush call needs.
    uint32_t OutputBufferSize() const;

    BE_ERR Encode(uint32_t frames, const float* left, const float* right, uint8_t* output,
                  uint32_t* bytes);
    // Ends the stream: the last frames go to output, and the information tag
    // becomes final.
    BE_ERR Flush(uint8_t* output, uint32_t* bytes);

    // The information tag frame that belongs at the start of the file; empty
    // when the stream has not been flushed or reserved no tag.
    std::vector<uint8_t> InfoTag() const;

private:
    explicit CLameStream(lame_global_struct* lame);

    mutable std::mutex m_mutex;
    lame_global_struct* m_pLame;
    int m_nChannels = 0;
    uint32_t m_nChunkFrames = 0;
    uint32_t m_nBufferSize = 0;
    bool m_bFlushed = false;
    // Sanitised copies of the caller's samples: libmp3lame is not made to
    // meet NaN or values far outside the 16-bit range.
    std::vector<float> m_left;
    std::vector<float> m_right;
};
