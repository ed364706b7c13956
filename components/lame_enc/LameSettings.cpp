#include "LameSettings.h"

#include <algorithm>
#include <array>
#include <cstdarg>
#include <mutex>
#include <numeric>

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

bool IsMpeg1(uint32_t outputRate)
{
    return outputRate >= 32000;
}

// Bytes of a frame times the output frequency, before the padding slot.
uint64_t FrameBytesTimesRate(const CLameSettings& settings)
{
    const uint64_t coefficient = IsMpeg1(settings.nOutputRate) ? 144 : 72;
    return coefficient * settings.nKbps * 1000;
}

void Silent(const char*, va_list) {}

// lame_init fills tables shared by all instances the first time it runs.
std::mutex s_initMutex;

} // namespace

uint32_t CLameSettings::FrameSamples() const
{
    return IsMpeg1(nOutputRate) ? 1152 : 576;
}

uint32_t CLameSettings::MaxFrameBytes() const
{
    return static_cast<uint32_t>(FrameBytesTimesRate(*this) / nOutputRate) + 1;
}

uint32_t CLameSettings::PaddingPeriod() const
{
    const uint64_t remainder = FrameBytesTimesRate(*this) % nOutputRate;
    return remainder == 0 ? 1 : static_cast<uint32_t>(nOutputRate / std::gcd(uint64_t{nOutputRate}, remainder));
}

BE_ERR ReadLameSettings(const BE_CONFIG& config, CLameSettings& settings)
{
    if (config.dwConfig != BE_CONFIG_LAME)
        return BE_ERR_INVALID_FORMAT;
    const auto& lhv = config.format.LHV1;
    if (lhv.dwStructVersion < 1 || lhv.dwStructSize != sizeof(BE_CONFIG))
        return BE_ERR_INVALID_FORMAT;

    CLameSettings read;
    read.nInputRate = lhv.dwSampleRate;
    read.nOutputRate = lhv.dwReSampleRate ? lhv.dwReSampleRate : read.nInputRate;
    // Only constant bitrate without presets is offered.
    if (lhv.bEnableVBR || lhv.nPreset != LQP_NOPRESET)
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    if (!Contains(kSampleRates, read.nInputRate) || !Contains(kSampleRates, read.nOutputRate)
        || lhv.dwBitrate == 0 || lhv.dwEmphasis > 3)
        return BE_ERR_INVALID_FORMAT_PARAMETERS;

    switch (lhv.nMode) {
    case BE_MP3_MODE_MONO:
        read.nMode = MONO;
        break;
    case BE_MP3_MODE_JSTEREO:
        read.nMode = JOINT_STEREO;
        break;
    // libmp3lame has no dual-channel coding; plain stereo keeps the two
    // channels just as independent.
    case BE_MP3_MODE_STEREO:
    case BE_MP3_MODE_DUALCHANNEL:
        read.nMode = STEREO;
        break;
    default:
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }
    read.nChannels = read.nMode == MONO ? 1 : 2;
    read.nKbps = NearestBitrate(lhv.dwBitrate, read.nOutputRate);
    const unsigned quality = lhv.nQuality & 0xFFu;
    if ((lhv.nQuality >> 8) == (0xFFu - quality) && quality <= 9)
        read.nQuality = static_cast<int>(quality);
    read.bNoReservoir = lhv.bNoRes != 0;
    read.bStrictIso = lhv.bStrictIso != 0;
    read.nEmphasis = static_cast<int>(lhv.dwEmphasis);
    read.bPrivate = lhv.bPrivate != 0;
    read.bCrc = lhv.bCRC != 0;
    read.bCopyright = lhv.bCopyright != 0;
    read.bOriginal = lhv.bOriginal != 0;
    read.bWriteTag = lhv.bWriteVBRHeader != 0;
    settings = read;
    return BE_ERR_SUCCESSFUL;
}

lame_global_struct* OpenLame(const CLameSettings& settings)
{
    std::lock_guard lock(s_initMutex);
    lame_global_flags* lame = lame_init();
    if (!lame)
        return nullptr;
    lame_set_errorf(lame, Silent);
    lame_set_debugf(lame, Silent);
    lame_set_msgf(lame, Silent);
    lame_set_num_channels(lame, settings.nChannels);
    lame_set_in_samplerate(lame, static_cast<int>(settings.nInputRate));
    // Set explicitly: left alone, libmp3lame picks a lower output frequency
    // for low bitrates.
    lame_set_out_samplerate(lame, static_cast<int>(settings.nOutputRate));
    lame_set_mode(lame, static_cast<MPEG_mode>(settings.nMode));
    lame_set_VBR(lame, vbr_off);
    lame_set_brate(lame, static_cast<int>(settings.nKbps));
    if (settings.nQuality >= 0)
        lame_set_quality(lame, settings.nQuality);
    lame_set_disable_reservoir(lame, settings.bNoReservoir ? 1 : 0);
    lame_set_strict_ISO(lame, settings.bStrictIso ? 1 : 0);
    lame_set_emphasis(lame, settings.nEmphasis);
    lame_set_extension(lame, settings.bPrivate ? 1 : 0);
    lame_set_error_protection(lame, settings.bCrc ? 1 : 0);
    lame_set_copyright(lame, settings.bCopyright ? 1 : 0);
    lame_set_original(lame, settings.bOriginal ? 1 : 0);
    lame_set_bWriteVbrTag(lame, settings.bWriteTag ? 1 : 0);
    if (lame_init_params(lame) < 0) {
        lame_close(lame);
        return nullptr;
    }
    return lame;
}
