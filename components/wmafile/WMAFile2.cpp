#include "WMAFile2.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <mutex>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

#include "AsfHeader.h"
#include "FfmpegAudioStream.h"

namespace {

constexpr uint64_t kUnitsPerSecond = 10000000; // ASF times are in 100 ns units
constexpr int kMaxOutputChannels = 8;
constexpr int kMinOutputRate = 1000;
constexpr int kMaxOutputRate = 768000;

std::atomic<HRESULT> g_hrCreationFailure{S_OK};

// units × rate / 10^7 without overflow, rounded to nearest.
uint64_t UnitsToFrames(uint64_t units, uint64_t rate)
{
    const uint64_t whole = units / kUnitsPerSecond;
    const uint64_t rest = units % kUnitsPerSecond;
    if (whole > std::numeric_limits<uint64_t>::max() / (rate + 1))
        return std::numeric_limits<uint64_t>::max();
    return whole * rate + (rest * rate + kUnitsPerSecond / 2) / kUnitsPerSecond;
}

uint64_t FramesToUnits(uint64_t frames, uint64_t rate)
{
    const uint64_t whole = frames / rate;
    if (whole > std::numeric_limits<uint64_t>::max() / (kUnitsPerSecond + 1))
        return std::numeric_limits<uint64_t>::max();
    return whole * kUnitsPerSecond + (frames % rate) * kUnitsPerSecond / rate;
}

uint32_t Clamp32(uint64_t value)
{
    return static_cast<uint32_t>(std::min<uint64_t>(value, std::numeric_limits<uint32_t>::max()));
}

} // namespace

WMAFile2::WMAFile2() = default;
WMAFile2::~WMAFile2() = default;

HRESULT WMAFile2::Open(const QString& path)
{
    Close();
    AsfHeader header;
    HRESULT hr = header.Read(path);
    if (FAILED(hr))
        return hr;
    if (header.bEncrypted)
        return WMA_E_DRM;

    auto stream = std::make_unique<FfmpegAudioStream>();
    hr = stream->Open(path, m_nOutputRate, m_nOutputChannels);
    // A file whose data holds no decodable audio is refused here, where the
    // file list and the converter's checks read it, rather than halfway
    // through a conversion. The samples decoded for the check are delivered
    // by the first ReadSamples.
    if (SUCCEEDED(hr))
        hr = stream->Prime();
    // Packets that yield nothing, not even an error, are damage, not a
    // file without audio.
    if (hr == WMA_E_NO_AUDIO_DATA && header.nPacketBytes > 0)
        hr = WMA_E_CORRUPT;
    if (FAILED(hr))
        return hr;

    m_nContentDuration = header.ContentDuration();
    if (m_nContentDuration == 0)
        m_nContentDuration = FramesToUnits(stream->EstimatedFrames(),
                                           static_cast<uint64_t>(stream->SourceRate()));
    m_pStream = std::move(stream);
    return S_OK;
}

HRESULT WMAFile2::Close()
{
    if (!m_pStream)
        return S_FALSE;
    m_pStream.reset();
    m_nContentDuration = 0;
    return S_OK;
}

HRESULT WMAFile2::ReadSamples(int frames, std::vector<int16_t>& samples)
{
    samples.clear();
    if (!m_pStream)
        return WMA_E_NOT_OPEN;
    return m_pStream->Read(frames, samples);
}

HRESULT WMAFile2::SetOutputFormat(int sampleRate, int channels)
{
    if (m_pStream)
        return E_ILLEGAL_METHOD_CALL;
    if (sampleRate < 0 || (sampleRate > 0 && (sampleRate < kMinOutputRate || sampleRate > kMaxOutputRate))
        || channels < 0 || channels > kMaxOutputChannels)
        return E_INVALIDARG;
    m_nOutputRate = sampleRate;
    m_nOutputChannels = channels;
    return S_OK;
}

HRESULT WMAFile2::get_SampleCount(uint32_t* frames) const
{
    if (!frames)
        return E_POINTER;
    if (!m_pStream)
        return WMA_E_NOT_OPEN;
    *frames = Clamp32(UnitsToFrames(m_nContentDuration, static_cast<uint64_t>(m_pStream->SourceRate())));
    return S_OK;
}

HRESULT WMAFile2::get_Channels(uint32_t* channels) const
{
    if (!channels)
        return E_POINTER;
    if (!m_pStream)
        return WMA_E_NOT_OPEN;
    *channels = static_cast<uint32_t>(m_pStream->SourceChannels());
    return S_OK;
}

HRESULT WMAFile2::get_Duration(int32_t* milliseconds) const
{
    if (!milliseconds)
        return E_POINTER;
    if (!m_pStream)
        return WMA_E_NOT_OPEN;
    *milliseconds = static_cast<int32_t>(std::min<uint64_t>(
        m_nContentDuration / (kUnitsPerSecond / 1000), std::numeric_limits<int32_t>::max()));
    return S_OK;
}

HRESULT WMAFile2::get_SampleRate(uint32_t* sampleRate) const
{
    if (!sampleRate)
        return E_POINTER;
    if (!m_pStream)
        return WMA_E_NOT_OPEN;
    *sampleRate = static_cast<uint32_t>(m_pStream->SourceRate());
    return S_OK;
}

HRESULT WMAFile2::get_IsOpen(bool* open) const
{
    if (!open)
        return E_POINTER;
    *open = m_pStream != nullptr;
    return S_OK;
}

HRESULT CreateWMAFile2(std::unique_ptr<WMAFile2>& instance)
{
    instance.reset();
    const HRESULT injected = g_hrCreationFailure.load();
    if (FAILED(injected))
        return injected;

    // Failures reach callers as result codes; FFmpeg's own messages about
    // damaged files would only clutter the console.
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });

    if (!av_find_input_format("asf"))
        return REGDB_E_CLASSNOTREG;
    for (const AVCodecID id : {AV_CODEC_ID_WMAV1, AV_CODEC_ID_WMAV2, AV_CODEC_ID_WMAPRO,
                               AV_CODEC_ID_WMALOSSLESS, AV_CODEC_ID_WMAVOICE}) {
        if (!avcodec_find_decoder(id))
            return REGDB_E_CLASSNOTREG;
    }
    instance = std::make_unique<WMAFile2>();
    return S_OK;
}

void SetWMAFile2CreationFailure(HRESULT hr)
{
    g_hrCreationFailure.store(hr);
}
