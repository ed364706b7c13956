#pragma once

#include <array>
#include <cstdint>

// The MPEG version follows from the output frequency: 32 kHz and above is
// MPEG-1, 16 to 24 kHz MPEG-2, 8 to 12 kHz MPEG-2.5, each with its own
// bitrate table (libmp3lame's for MPEG-2.5 ends at 64 kbps). A
// bitrate the frame format cannot carry (192 kbps at 22050 Hz, 8 kbps at
// 44100 Hz) becomes the table's nearest one, the lower on a tie, so every
// choice of settings still gives a file, as close to the asked rate as MPEG
// allows. The encoder module applies this; callers use it to tell the user.
inline constexpr std::array<uint32_t, 14> kMpeg1Bitrates = {32,  40,  48,  56,  64,  80,  96,
                                                            112, 128, 160, 192, 224, 256, 320};
inline constexpr std::array<uint32_t, 14> kMpeg2Bitrates = {8,  16, 24, 32,  40,  48,  56,
                                                            64, 80, 96, 112, 128, 144, 160};
inline constexpr std::array<uint32_t, 8> kMpeg25Bitrates = {8, 16, 24, 32, 40, 48, 56, 64};

constexpr uint32_t NearestBitrate(uint32_t kbps, uint32_t outputRate)
{
    const auto nearestIn = [kbps](const auto& table) {
        const auto distance = [kbps](uint32_t value) { return value > kbps ? value - kbps : kbps - value; };
        uint32_t nearest = table.front();
        for (const uint32_t candidate : table) {
            if (distance(candidate) < distance(nearest))
                nearest = candidate;
        }
        return nearest;
    };
    if (outputRate >= 32000)
        return nearestIn(kMpeg1Bitrates);
    if (outputRate >= 16000)
        return nearestIn(kMpeg2Bitrates);
    return nearestIn(kMpeg25Bitrates);
}
