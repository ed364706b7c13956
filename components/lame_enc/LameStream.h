#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "EncoderStream.h"
#include "LameSettings.h"

// One constant-bitrate MP3 stream on a single libmp3lame instance.
class CLameStream : public CEncoderStream
{
public:
    // Opens an encoder for the settings. Returns BE_ERR_SUCCESSFUL and sets
    // stream, or the reason libmp3lame refused them.
    static BE_ERR Open(const CLameSettings& settings, std::unique_ptr<CEncoderStream>& stream);

    ~CLameStream() override;
    CLameStream(const CLameStream&) = delete;
    CLameStream& operator=(const CLameStream&) = delete;

    uint32_t SamplesPerChunk() const override;
    uint32_t OutputBufferSize() const override;
    BE_ERR Encode(uint32_t frames, const float* left, const float* right, uint8_t* output,
                  uint32_t* bytes) override;
    BE_ERR Flush(uint8_t* output, uint32_t* bytes) override;
    std::vector<uint8_t> InfoTag() const override;

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

// libmp3lame asks for 1.25 bytes per sample plus 7200 of output room; a
// resampling stream emits more samples than it is given.
uint32_t LameOutputBufferSize(const CLameSettings& settings, uint32_t inputFrames);

// Copies samples into a buffer libmp3lame can take: NaN becomes 0 and
// everything is clipped to the 16-bit range.
void CopySanitised(const float* from, uint32_t count, float* to);
