#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <QString>

#include "ComResult.h"

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

// The first audio stream of an ASF file, demuxed and decoded by FFmpeg and
// converted by libswresample to interleaved 16-bit samples at a chosen rate
// and channel count. Decoded audio is kept in a buffer that is reused, so
// reading a few frames at a time costs a copy and no allocation.
//
// Damaged input never stops the stream with an exception or a loop: a
// packet or frame that fails to decode is skipped, and when too many fail in
// a row, or the file ends, the stream ends. A stream that yields nothing but
// errors reports WMA_E_CORRUPT instead of an empty end.
class FfmpegAudioStream
{
public:
    FfmpegAudioStream();
    ~FfmpegAudioStream();
    FfmpegAudioStream(const FfmpegAudioStream&) = delete;
    FfmpegAudioStream& operator=(const FfmpegAudioStream&) = delete;

    // outputRate and outputChannels of 0 mean the source's own.
    // WMA_E_NO_AUDIO, WMA_E_UNSUPPORTED_CODEC or WMA_E_CORRUPT on failure.
    HRESULT Open(const QString& path, int outputRate, int outputChannels);

    // Decodes until the first samples are ready, without delivering them:
    // S_OK when there are some; WMA_E_CORRUPT when the data yields nothing
    // but errors, WMA_E_NO_AUDIO_DATA when it holds no audio packet at all.
    HRESULT Prime();

    // Up to frames × OutputChannels() values into samples (its capacity is
    // reused); empty at the end of the stream.
    HRESULT Read(int frames, std::vector<int16_t>& samples);

    int SourceRate() const { return m_nSourceRate; }
    int SourceChannels() const { return m_nSourceChannels; }
    int OutputChannels() const { return m_nOutputChannels; }
    // The length the demuxer or the bitrate suggests, in source frames;
    // 0 when neither tells.
    uint64_t EstimatedFrames() const;

private:
    struct FormatCloser { void operator()(AVFormatContext* p) const; };
    struct CodecCloser { void operator()(AVCodecContext* p) const; };
    struct FrameFreer { void operator()(AVFrame* p) const; };
    struct PacketFreer { void operator()(AVPacket* p) const; };
    struct ResamplerFreer { void operator()(SwrContext* p) const; };

    HRESULT DecodeMore();
    HRESULT EndStream();
    void EndInput();
    bool NoteError();
    bool Convert(const AVFrame& frame);
    bool SetUpResampler(const AVFrame& frame);
    int16_t* ReserveOutput(int frames);

    std::unique_ptr<AVFormatContext, FormatCloser> m_pFormat;
    std::unique_ptr<AVCodecContext, CodecCloser> m_pCodec;
    std::unique_ptr<SwrContext, ResamplerFreer> m_pResampler;
    std::unique_ptr<AVFrame, FrameFreer> m_pFrame;
    std::unique_ptr<AVPacket, PacketFreer> m_pPacket;
    int m_nStream = -1;

    int m_nSourceRate = 0;
    int m_nSourceChannels = 0;
    int m_nOutputRate = 0;
    int m_nOutputChannels = 0;
    // What the resampler was set up for; a frame that differs is skipped.
    int m_nFrameFormat = -1;
    int m_nFrameRate = 0;
    int m_nFrameChannels = 0;

    // Converted samples not yet read: [m_nHead, m_nTail) of m_arrPending.
    std::vector<int16_t> m_arrPending;
    size_t m_nHead = 0;
    size_t m_nTail = 0;

    bool m_bInputEnded = false;
    bool m_bEnded = false;
    bool m_bDecodedAny = false;
    bool m_bErrorSeen = false;
    int m_nConsecutiveErrors = 0;
    int m_nReadsWithoutProgress = 0;
    int64_t m_nLastPosition = -1;
    HRESULT m_hrEnd = S_OK;
};
