#include "Mp3FrameHeader.h"

#include <array>

namespace {

constexpr std::array<uint32_t, 15> kMpeg1Kbps = {0,   32,  40,  48,  56,  64,  80, 96,
                                                 112, 128, 160, 192, 224, 256, 320};
constexpr std::array<uint32_t, 15> kMpeg2Kbps = {0,  8,  16, 24,  32,  40,  48, 56,
                                                 64, 80, 96, 112, 128, 144, 160};
constexpr std::array<uint32_t, 3> kMpeg1Rates = {44100, 48000, 32000};

enum { kVersion25 = 0, kVersionReserved = 1, kVersion2 = 2, kVersion1 = 3 };

int Version(const uint8_t* header)
{
    return (header[1] >> 3) & 3;
}

} // namespace

uint32_t Mp3FrameBytes(const uint8_t* header)
{
    if (header[0] != 0xFF || (header[1] & 0xE0) != 0xE0)
        return 0;
    const int version = Version(header);
    const int layer = (header[1] >> 1) & 3;
    const unsigned bitrateIndex = header[2] >> 4;
    const unsigned rateIndex = (header[2] >> 2) & 3;
    if (version == kVersionReserved || layer != 1 || bitrateIndex == 0 || bitrateIndex == 15
        || rateIndex == 3)
        return 0;
    const bool mpeg1 = version == kVersion1;
    const uint32_t kbps = mpeg1 ? kMpeg1Kbps[bitrateIndex] : kMpeg2Kbps[bitrateIndex];
    const uint32_t rate = kMpeg1Rates[rateIndex] >> (mpeg1 ? 0 : version == kVersion2 ? 1 : 2);
    const uint32_t padding = (header[2] >> 1) & 1;
    return (mpeg1 ? 144 : 72) * kbps * 1000 / rate + padding;
}

size_t Mp3SideInfoEnd(const uint8_t* header)
{
    const bool mpeg1 = Version(header) == kVersion1;
    const bool mono = (header[3] >> 6) == 3;
    const bool crc = (header[1] & 1) == 0;
    const size_t sideInfo = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    return 4 + (crc ? 2 : 0) + sideInfo;
}
