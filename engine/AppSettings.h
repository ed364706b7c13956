#pragma once

#include <array>
#include <cstdint>

#include <QString>

// Constant bitrates in kbps, indexed by AppSettings.LameBits.
constexpr std::array<int, 17> BitrateTable{8,   16,  24,  32,  40,  48,  56,  64, 80,
                                           96,  112, 128, 160, 192, 224, 256, 320};

// Output sampling frequencies in Hz, indexed by AppSettings.Freq; index 0
// means "automatic" and is never used as a rate.
constexpr std::array<int, 9> FrequencyTable{0, 8000, 11025, 12000, 16000, 22050, 24000, 32000,
                                            44100};

constexpr int32_t DEFAULT_FILTER = 15;
constexpr int16_t DEFAULT_LAME_BITS = 11; // 128 kbps
constexpr int16_t DEFAULT_LAME_CHANNEL = 0; // automatic
constexpr int16_t DEFAULT_FREQ = 0; // automatic

// Channel modes of LameChannel.
constexpr int16_t LAME_CHANNEL_AUTO = 0;
constexpr int16_t LAME_CHANNEL_MONO = 1;
constexpr int16_t LAME_CHANNEL_STEREO = 2;

// The user's settings, one record for the process. Read and written on the
// user-interface thread; a running conversion's encoding thread reads it,
// which is safe because nothing changes it while a conversion runs.
struct CAppSettings
{
    // Output folder; values set by the defaults or the Options dialog end
    // with the native separator.
    QString DesDir;
    // Kept and written back unchanged.
    int32_t Filter = DEFAULT_FILTER;
    int16_t LameBits = DEFAULT_LAME_BITS;
    int16_t LameChannel = DEFAULT_LAME_CHANNEL;
    int16_t Freq = DEFAULT_FREQ;
    // The folder that holds Config.ini; computed at start-up, never stored.
    QString SettingsFolder;
};

extern CAppSettings AppSettings;

bool IsValidLameBits(int index);
bool IsValidLameChannel(int mode);
bool IsValidFreq(int index);

// The table entries for an index; the default index's entry when the index is
// out of range, so no caller can read outside a table.
int BitrateForIndex(int lameBits);
int FrequencyForIndex(int freq);
