#include "LameStream.h"

#include <algorithm>
#include <cmath>

#include <lame/lame.h>

namespace {

float Sanitised(float value)
{
    if (std::isnan(value))
        return 0.0f;
    return std::clamp(value, -32768.0f, 32767.0f);
}

BE_ERR FromLameResult(int result)
{
    return result == -1 ? BE_ERR_BUFFER_TOO_SMALL : BE_ERR_ENCODER_FAILED;
}

} // namespace

uint32_t LameOutputBufferSize(const CLameSettings& settings, uint32_t inputFrames)
{
    const uint32_t samples = inputFrames * static_cast<uint32_t>(settings.nChannels);
    const uint32_t emitted = settings.nOutputRate > settings.nInputRate
        ? static_cast<uint32_t>((uint64_t{samples} * settings.nOutputRate + settings.nInputRate - 1)
                                / settings.nInputRate)
        : samples;
    return emitted + (emitted + 3) / 4 + 7200;
}

void CopySanitised(const float* from, uint32_t count, float* to)
{
    std::transform(from, from + count, to, Sanitised);
}

BE_ERR CLameStream::Open(const CLameSettings& settings, std::unique_ptr<CEncoderStream>& stream)
{
    lame_global_flags* lame = OpenLame(settings);
    if (!lame)
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    std::unique_ptr<CLameStream> opened(new CLameStream(lame));
    opened->m_nChannels = settings.nChannels;
    opened->m_nChunkFrames = static_cast<uint32_t>(lame_get_framesize(lame));
    opened->m_nBufferSize = LameOutputBufferSize(settings, opened->m_nChunkFrames);
    opened->m_left.resize(opened->m_nChunkFrames);
    opened->m_right.resize(opened->m_nChunkFrames);
    stream = std::move(opened);
    return BE_ERR_SUCCESSFUL;
}

CLameStream::CLameStream(lame_global_struct* lame)
    : m_pLame(lame)
{
}

CLameStream::~CLameStream()
{
    lame_close(m_pLame);
}

uint32_t CLameStream::SamplesPerChunk() const
{
    return m_nChunkFrames * static_cast<uint32_t>(m_nChannels);
}

uint32_t CLameStream::OutputBufferSize() const
{
    return m_nBufferSize;
}

BE_ERR CLameStream::Encode(uint32_t frames, const float* left, const float* right,
                           uint8_t* output, uint32_t* bytes)
{
    if (!left || !output || !bytes || frames > m_nChunkFrames || (m_nChannels == 2 && !right))
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    std::lock_guard lock(m_mutex);
    if (m_bFlushed)
        return BE_ERR_INVALID_HANDLE;
    CopySanitised(left, frames, m_left.data());
    if (m_nChannels == 2)
        CopySanitised(right, frames, m_right.data());
    const int result = lame_encode_buffer_float(
        m_pLame, m_left.data(), m_nChannels == 2 ? m_right.data() : m_left.data(),
        static_cast<int>(frames), output, static_cast<int>(m_nBufferSize));
    if (result < 0)
        return FromLameResult(result);
    *bytes = static_cast<uint32_t>(result);
    return BE_ERR_SUCCESSFUL;
}

BE_ERR CLameStream::Flush(uint8_t* output, uint32_t* bytes)
{
    if (!output || !bytes)
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    std::lock_guard lock(m_mutex);
    if (m_bFlushed)
        return BE_ERR_INVALID_HANDLE;
    const int result = lame_encode_flush(m_pLame, output, static_cast<int>(m_nBufferSize));
    if (result < 0)
        return FromLameResult(result);
    m_bFlushed = true;
    *bytes = static_cast<uint32_t>(result);
    return BE_ERR_SUCCESSFUL;
}

std::vector<uint8_t> CLameStream::InfoTag() const
{
    std::lock_guard lock(m_mutex);
    if (!m_bFlushed)
        return {};
    std::vector<uint8_t> tag(lame_get_lametag_frame(m_pLame, nullptr, 0));
    if (tag.empty() || lame_get_lametag_frame(m_pLame, tag.data(), tag.size()) != tag.size())
        return {};
    return tag;
}
