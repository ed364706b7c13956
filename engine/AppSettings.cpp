#include "AppSettings.h"

CAppSettings AppSettings;

bool IsValidLameBits(int index)
{
    return index >= 0 && index < static_cast<int>(BitrateTable.size());
}

bool IsValidLameChannel(int mode)
{
    return mode >= LAME_CHANNEL_AUTO && mode <= LAME_CHANNEL_STEREO;
}

bool IsValidFreq(int index)
{
    return index >= 0 && index < static_cast<int>(FrequencyTable.size());
}

int BitrateForIndex(int lameBits)
{
    return BitrateTable[static_cast<size_t>(IsValidLameBits(lameBits) ? lameBits : DEFAULT_LAME_BITS)];
}

int FrequencyForIndex(int freq)
{
    return FrequencyTable[static_cast<size_t>(IsValidFreq(freq) ? freq : DEFAULT_FREQ)];
}
