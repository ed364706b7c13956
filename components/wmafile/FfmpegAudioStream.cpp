#include "FfmpegAudioStream.h"

#include <algorithm>
#include <array>

#include <QFile>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace {

// Beyond this many failed reads, packets or frames in a row without one good
// frame, the rest of the file is taken as lost.
constexpr int kMaxConsecutiveErrors = 2000;
// A demuxer that returns packets while the file position stands still this
// long is going round in circles.
constexpr int kMaxReadsWithoutProgress = 100000;
constexpr int kMaxChannels = 8;
constexpr int kMaxRate = 768000;

constexpr std::array kDeliveredCodecs = {
    AV_CODEC_ID_WMAV1, AV_CODEC_ID_WMAV2,    AV_CODEC_ID_WMAPRO,
    AV_CODEC_ID_WMALOSSLESS, AV_CODEC_ID_WMAVOICE, AV_CODEC_ID_MP3,
};

AVChannelLayout DefaultLayout(int channels)
{
    AVChannelLayout layout{};
    av_channel_layout_default(&layout, channels);
    return layout;
}

} // namespace

void FfmpegAudioStream::FormatCloser::operator()(AVFormatContext* p) const
{
    avformat_close_input(&p);
}

void FfmpegAudioStream::CodecCloser::operator()(AVCodecContext* p) const
{
    avcodec_free_context(&p);
}

void FfmpegAudioStream::FrameFreer::operator()(AVFrame* p) const
{
    av_frame_free(&p);
}

void FfmpegAudioStream::PacketFreer::operator()(AVPacket* p) const
{
    av_packet_free(&p);
}

void FfmpegAudioStream::ResamplerFreer::operator()(SwrContext* p) const
{
    swr_free(&p);
}

FfmpegAudioStream::FfmpegAudioStream() = default;
FfmpegAudioStream::~FfmpegAudioStream() = default;

HRESULT FfmpegAudioStream::Open(const QString& path, int outputRate, int outputChannels)
{
    m_pFrame.reset(av_frame_alloc());
    m_pPacket.reset(av_packet_alloc());
    if (!m_pFrame || !m_pPacket)
        return E_OUTOFMEMORY;

    // The "file:" prefix keeps a colon in the name from selecting another
    // protocol, and the white list keeps a crafted file from opening any.
    const QByteArray url = QByteArrayLiteral("file:") + QFile::encodeName(path);
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    AVFormatContext* format = nullptr;
    const int rc = avformat_open_input(&format, url.constData(), av_find_input_format("asf"),
                                       &options);
    av_dict_free(&options);
    if (rc < 0)
        return rc == AVERROR(ENOMEM) ? E_OUTOFMEMORY : WMA_E_CORRUPT;
    m_pFormat.reset(format);

    for (unsigned i = 0; i < m_pFormat->nb_streams; ++i) {
        AVStream* stream = m_pFormat->streams[i];
        if (m_nStream < 0 && stream->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
            m_nStream = static_cast<int>(i);
        else
            stream->discard = AVDISCARD_ALL;
    }
    if (m_nStream < 0)
        return WMA_E_NO_AUDIO;

    const AVCodecParameters* params = m_pFormat->streams[m_nStream]->codecpar;
    if (std::find(kDeliveredCodecs.begin(), kDeliveredCodecs.end(), params->codec_id)
        == kDeliveredCodecs.end())
        return WMA_E_UNSUPPORTED_CODEC;
    m_nSourceRate = params->sample_rate;
    m_nSourceChannels = params->ch_layout.nb_channels;
    if (m_nSourceRate <= 0 || m_nSourceRate > kMaxRate || m_nSourceChannels <= 0
        || m_nSourceChannels > kMaxChannels)
        return WMA_E_CORRUPT;
    m_nOutputRate = outputRate > 0 ? outputRate : m_nSourceRate;
    m_nOutputChannels = outputChannels > 0 ? outputChannels : m_nSourceChannels;

    const AVCodec* decoder = avcodec_find_decoder(params->codec_id);
    if (!decoder)
        return WMA_E_UNSUPPORTED_CODEC;
    m_pCodec.reset(avcodec_alloc_context3(decoder));
    if (!m_pCodec)
        return E_OUTOFMEMORY;
    if (avcodec_parameters_to_context(m_pCodec.get(), params) < 0
        || avcodec_open2(m_pCodec.get(), decoder, nullptr) < 0)
        return WMA_E_CORRUPT;
    return S_OK;
}

uint64_t FfmpegAudioStream::EstimatedFrames() const
{
    if (!m_pFormat || m_nStream < 0)
        return 0;
    const AVStream* stream = m_pFormat->streams[m_nStream];
    if (stream->duration > 0 && stream->time_base.den > 0 && stream->time_base.num > 0)
        return static_cast<uint64_t>(
            av_rescale_q(stream->duration, stream->time_base, AVRational{1, m_nSourceRate}));
    const int64_t bitRate = stream->codecpar->bit_rate;
    const int64_t size = m_pFormat->pb ? avio_size(m_pFormat->pb) : -1;
    if (bitRate > 0 && size > 0)
        return static_cast<uint64_t>(av_rescale(size * 8, m_nSourceRate, bitRate));
    return 0;
}

HRESULT FfmpegAudioStream::Prime()
{
    while (m_nTail == m_nHead && !m_bEnded) {
        const HRESULT hr = DecodeMore();
        if (FAILED(hr))
            return hr;
    }
    if (m_nTail > m_nHead)
        return S_OK;
    return FAILED(m_hrEnd) || m_bErrorSeen ? WMA_E_CORRUPT : WMA_E_NO_AUDIO_DATA;
}

HRESULT FfmpegAudioStream::Read(int frames, std::vector<int16_t>& samples)
{
    samples.clear();
    if (frames <= 0)
        return E_INVALIDARG;
    const size_t wanted = static_cast<size_t>(frames) * static_cast<size_t>(m_nOutputChannels);
    while (m_nTail - m_nHead < wanted && !m_bEnded) {
        const HRESULT hr = DecodeMore();
        if (FAILED(hr))
            return hr;
    }
    if (m_nTail == m_nHead && FAILED(m_hrEnd))
        return m_hrEnd;
    const size_t count = std::min(wanted, m_nTail - m_nHead);
    const int16_t* begin = m_arrPending.data() + m_nHead;
    samples.assign(begin, begin + count);
    m_nHead += count;
    if (m_nHead == m_nTail)
        m_nHead = m_nTail = 0;
    return S_OK;
}

// Takes one step through the decoder's state machine: a frame converted, a
// packet read, or the end reached. Every branch either consumes input or
// moves towards the end, and errors are counted, so the caller's loop ends.
HRESULT FfmpegAudioStream::DecodeMore()
{
    int rc = avcodec_receive_frame(m_pCodec.get(), m_pFrame.get());
    if (rc == 0) {
        const bool converted = Convert(*m_pFrame);
        av_frame_unref(m_pFrame.get());
        if (converted) {
            m_bDecodedAny = true;
            m_nConsecutiveErrors = 0;
            return S_OK;
        }
        return NoteError() ? S_OK : EndStream();
    }
    if (rc == AVERROR_EOF)
        return EndStream();
    if (rc != AVERROR(EAGAIN))
        return NoteError() ? S_OK : EndStream();
    if (m_bInputEnded)
        return EndStream(); // the decoder wants input after the flush: nothing more will come

    for (;;) {
        rc = av_read_frame(m_pFormat.get(), m_pPacket.get());
        if (rc < 0) {
            if (rc == AVERROR_EOF || avio_feof(m_pFormat->pb) || !NoteError())
                EndInput();
            return S_OK;
        }
        const int64_t position = avio_tell(m_pFormat->pb);
        m_nReadsWithoutProgress = position == m_nLastPosition ? m_nReadsWithoutProgress + 1 : 0;
        m_nLastPosition = position;
        if (m_nReadsWithoutProgress > kMaxReadsWithoutProgress) {
            av_packet_unref(m_pPacket.get());
            EndInput();
            return S_OK;
        }
        if (m_pPacket->stream_index == m_nStream)
            break;
        av_packet_unref(m_pPacket.get());
    }
    rc = avcodec_send_packet(m_pCodec.get(), m_pPacket.get());
    av_packet_unref(m_pPacket.get());
    if (rc < 0 && rc != AVERROR(EAGAIN) && !NoteError())
        return EndStream();
    return S_OK;
}

// Counts a failure; false when there have been too many in a row.
bool FfmpegAudioStream::NoteError()
{
    m_bErrorSeen = true;
    return ++m_nConsecutiveErrors <= kMaxConsecutiveErrors;
}

void FfmpegAudioStream::EndInput()
{
    if (m_bInputEnded)
        return;
    m_bInputEnded = true;
    avcodec_send_packet(m_pCodec.get(), nullptr);
}

HRESULT FfmpegAudioStream::EndStream()
{
    m_bEnded = true;
    if (!m_bDecodedAny || !m_pResampler) {
        if (m_bErrorSeen && !m_bDecodedAny)
            m_hrEnd = WMA_E_CORRUPT;
        return S_OK;
    }
    // The resampler holds back the last few samples of its filter; it gives
    // them up in one or two calls.
    for (int flush = 0; flush < 8; ++flush) {
        const int room = std::max(swr_get_out_samples(m_pResampler.get(), 0), 0) + 32;
        int16_t* out = ReserveOutput(room);
        uint8_t* planes[] = {reinterpret_cast<uint8_t*>(out)};
        const int got = swr_convert(m_pResampler.get(), planes, room, nullptr, 0);
        if (got <= 0)
            break;
        m_nTail += static_cast<size_t>(got) * static_cast<size_t>(m_nOutputChannels);
    }
    return S_OK;
}

bool FfmpegAudioStream::Convert(const AVFrame& frame)
{
    if (frame.nb_samples <= 0)
        return true;
    if (!m_pResampler && !SetUpResampler(frame))
        return false;
    if (frame.format != m_nFrameFormat || frame.sample_rate != m_nFrameRate
        || frame.ch_layout.nb_channels != m_nFrameChannels)
        return false;
    const int room = swr_get_out_samples(m_pResampler.get(), frame.nb_samples);
    if (room < 0)
        return false;
    int16_t* out = ReserveOutput(room);
    uint8_t* planes[] = {reinterpret_cast<uint8_t*>(out)};
    const int got = swr_convert(m_pResampler.get(), planes, room,
                                const_cast<const uint8_t**>(frame.extended_data),
                                frame.nb_samples);
    if (got < 0)
        return false;
    m_nTail += static_cast<size_t>(got) * static_cast<size_t>(m_nOutputChannels);
    return true;
}

bool FfmpegAudioStream::SetUpResampler(const AVFrame& frame)
{
    const int channels = frame.ch_layout.nb_channels;
    if (channels <= 0 || channels > kMaxChannels || frame.sample_rate <= 0
        || frame.sample_rate > kMaxRate || frame.format < 0)
        return false;
    AVChannelLayout in{};
    if (frame.ch_layout.order == AV_CHANNEL_ORDER_NATIVE)
        av_channel_layout_copy(&in, &frame.ch_layout);
    else
        in = DefaultLayout(channels);
    AVChannelLayout out = DefaultLayout(m_nOutputChannels);
    SwrContext* resampler = nullptr;
    const int rc = swr_alloc_set_opts2(&resampler, &out, AV_SAMPLE_FMT_S16, m_nOutputRate, &in,
                                       static_cast<AVSampleFormat>(frame.format),
                                       frame.sample_rate, 0, nullptr);
    av_channel_layout_uninit(&in);
    av_channel_layout_uninit(&out);
    if (rc < 0)
        return false;
    m_pResampler.reset(resampler);

    // Between mono and stereo the channel is copied at full level, or the two
    // averaged, rather than FFmpeg's default of a centre speaker at -3 dB.
    if (channels == 1 && m_nOutputChannels == 2) {
        const double matrix[] = {1.0, 1.0};
        swr_set_matrix(m_pResampler.get(), matrix, 1);
    } else if (channels == 2 && m_nOutputChannels == 1) {
        const double matrix[] = {0.5, 0.5};
        swr_set_matrix(m_pResampler.get(), matrix, 2);
    }
    if (swr_init(m_pResampler.get()) < 0) {
        m_pResampler.reset();
        return false;
    }
    m_nFrameFormat = frame.format;
    m_nFrameRate = frame.sample_rate;
    m_nFrameChannels = channels;
    return true;
}

// Room for the given number of output frames after the unread samples,
// moving those to the front first; the buffer only grows while the first
// frames are decoded, then stays.
int16_t* FfmpegAudioStream::ReserveOutput(int frames)
{
    const size_t needed = static_cast<size_t>(frames) * static_cast<size_t>(m_nOutputChannels);
    if (m_nTail + needed > m_arrPending.size() && m_nHead > 0) {
        std::copy(m_arrPending.begin() + static_cast<std::ptrdiff_t>(m_nHead),
                  m_arrPending.begin() + static_cast<std::ptrdiff_t>(m_nTail),
                  m_arrPending.begin());
        m_nTail -= m_nHead;
        m_nHead = 0;
    }
    if (m_nTail + needed > m_arrPending.size())
        m_arrPending.resize(m_nTail + needed);
    return m_arrPending.data() + m_nTail;
}
