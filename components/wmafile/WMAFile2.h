#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <QString>

#include "ComResult.h"

class FfmpegAudioStream;

// Reads Windows Media Audio files: the details of a file for the file list,
// and its decoded audio for a conversion. The file must be an ASF file whose
// first audio stream is WMA 1, 2, 9 Pro, Lossless or Voice (or MP3, which
// some tools put in ASF); encrypted (DRM) files are refused.
//
// Every operation returns a result code (ComResult.h) instead of throwing.
//
// Thread-safety: an instance is not synchronised. It may be called from any
// thread, but from one thread at a time: the file-list loader and the job
// runner take turns with it and never overlap.
class WMAFile2
{
public:
    WMAFile2();
    ~WMAFile2();
    WMAFile2(const WMAFile2&) = delete;
    WMAFile2& operator=(const WMAFile2&) = delete;

    // Opens the file, closing any file that is open first. A file whose
    // data yields no audio does not open: WMA_E_NO_AUDIO_DATA when it holds
    // no audio packet (header only, a live stream's header, cut before the
    // first packet), WMA_E_CORRUPT when its packets do not decode.
    HRESULT Open(const QString& path);
    // S_FALSE when no file was open.
    HRESULT Close();
    // Up to frames × channels interleaved samples in the output format;
    // empty at the end of the file. The vector's capacity is reused.
    HRESULT ReadSamples(int frames, std::vector<int16_t>& samples);
    // The frequency and channel count (1 to 8) ReadSamples delivers for the
    // files opened afterwards; 0 keeps the file's own. Fails with
    // E_ILLEGAL_METHOD_CALL while a file is open.
    HRESULT SetOutputFormat(int sampleRate, int channels);

    // The details below describe the file as stored, whatever the output
    // format. The length comes from the ASF header's play duration, less the
    // preroll; the decoded stream may differ from it by up to one codec frame.
    HRESULT get_SampleCount(uint32_t* frames) const;
    HRESULT get_Channels(uint32_t* channels) const;
    HRESULT get_Duration(int32_t* milliseconds) const;
    HRESULT get_SampleRate(uint32_t* sampleRate) const;
    HRESULT get_IsOpen(bool* open) const;

private:
    std::unique_ptr<FfmpegAudioStream> m_pStream; // set while a file is open
    uint64_t m_nContentDuration = 0;              // 100-nanosecond units
    int m_nOutputRate = 0;
    int m_nOutputChannels = 0;
};

// Creates the one decoder instance. REGDB_E_CLASSNOTREG when FFmpeg lacks
// the ASF demuxer or one of the WMA decoders.
HRESULT CreateWMAFile2(std::unique_ptr<WMAFile2>& instance);

// For tests of start-up failure: while hr is a failure, CreateWMAFile2
// returns it and creates nothing. S_OK restores normal creation.
void SetWMAFile2CreationFailure(HRESULT hr);
