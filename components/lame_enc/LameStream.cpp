#include "LameStream.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdarg>

#include <lame/lame.h>

#include "Mp3Bitrates.h"

namespace {

constexpr std::array<uint32_t, 9> kSampleRates = {8000,  11025, 12000, 16000, 22050,
                                                  24000, 32000, 44100, 48000};

template <size_t N>
bool Contains(const std::array<uint32_t, N>& values, uint32_t value)
{
    return std::find(values.begin(), values.end(), value) != values.end();
}

void Silent(const char*, va_list) {}

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

BE_ERR CLameStream::Open(const BE_CONFIG& config, std::unique_ptr<CLameStream>& stream)
{
    if (config.dwConfig != BE_CONFIG_LAME)
        return BE_ERR_INVALID_FORMAT;
    const auto& lhv = config.format.LHV1;
    if (lhv.dwStructVersion < 1 || lhv.dwStructSize != sizeof(BE_CONFIG))
        return BE_ERR_INVALID_FORMAT;

    const uint32_t inputRate = lhv.dwSampleRate;
    const uint32_t outputRate = lhv.dwReSampleRate ? lhv.dwReSampleRate : inputRate;
    // Only constant bitrate without presets is offered.
    if (lhv.bEnableVBR || lhv.nPreset != LQP_NOPRESET)
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    if (!Contains(kSampleRates, inputRate) || !Contains(kSampleRates, outputRate)
        || lhv.dwBitrate == 0 || lhv.dwEmphasis > 3)
        return BE_ERR_INVALID_FORMAT_PARAMETERS;

    MPEG_mode mode;
    switch (lhv.nMode) {
    case BE_MP3_MODE_MONO:
        mode = MONO;
        break;
    case BE_MP3_MODE_JSTEREO:
        mode = JOINT_STEREO;
        break;
    // libmp3lame has no dual-channel coding; plain stereo keeps the two
    // channels just as independent.
    case BE_MP3_MODE_STEREO:
    case BE_MP3_MODE_DUALCHANNEL:
        mode = STEREO;
        break;
    default:
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }

    lame_global_flags* lame = lame_init();
    if (!lame)
        return BE_ERR_NO_MORE_HANDLES;
    std::unique_ptr<CLameStream> opened(new CLameStream(lame));
    opened->m_nChannels = mode == MONO ? 1 : 2;

    lame_set_errorf(lame, Silent);
    lame_set_debugf(lame, Silent);
    lame_set_msgf(lame, Silent);
    lame_set_num_channels(lame, opened->m_nChannels);
    lame_set_in_samplerate(lame, static_cast<int>(inputRate));
    // Set explicitly: left alone, libmp3lame picks a lower output frequency
    // for low bitrates.
    lame_set_out_samplerate(lame, static_cast<int>(outputRate));
    lame_set_mode(lame, mode);
    lame_set_VBR(lame, vbr_off);
    lame_set_brate(lame, static_cast<int>(NearestBitrate(lhv.dwBitrate, outputRate)));
    const unsigned quality = lhv.nQuality & 0xFFu;
    if ((lhv.nQuality >> 8) == (0xFFu - quality) && quality <= 9)
        lame_set_quality(lame, static_cast<int>(quality));
    lame_set_disable_reservoir(lame, lhv.bNoRes ? 1 : 0);
    lame_set_strict_ISO(lame, lhv.bStrictIso ? 1 : 0);
    lame_set_emphasis(lame, static_cast<int>(lhv.dwEmphasis));
    lame_set_extension(lame, lhv.bPrivate ? 1 : 0);
    lame_set_error_protection(lame, lhv.bCRC ? 1 : 0);
    lame_set_copyright(lame, lhv.bCopyright ? 1 : 0);
    lame_set_original(lame, lhv.bOriginal ? 1 : 0);
    lame_set_bWriteVbrTag(lame, lhv.bWriteVBRHeader ? 1 : 0);
    if (lame_init_params(lame) < 0)
        return BE_ERR_INVALID_FORMAT_PARAMETERS;

    opened->m_nChunkFrames = static_cast<uint32_t>(lame_get_framesize(lame));
    // libmp3lame asks for 1.25 bytes per sample plus 7200; a resampling
    // stream emits more samples than it is given.
    const uint32_t samples = opened->SamplesPerChunk();
    const uint32_t emitted = outputRate > inputRate
        ? static_cast<uint32_t>((uint64_t{samples} * outputRate + inputRate - 1) / inputRate)
        : samples;
    opened->m_nBufferSize = emitted + (emitted + 3) / 4 + 7200;
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
    std::transform(left, left + frames, m_left.begin(), Sanitised);
    if (m_nChannels == 2)
        std::transform(right, right + frames, m_right.begin(), Sanitised);
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
