#pragma once

#include <cstdint>

// Milliseconds since an arbitrary start, as a 32-bit value that wraps after
// about 49.7 days. Differences are taken as unsigned 32-bit values, so they
// survive one wrap.
uint32_t GetTickCount32();

// Seconds since a GetTickCount32 value, across one wrap.
float SecondsSince(uint32_t dwStart);

void SleepMs(unsigned milliseconds);

// Gives the processor to another thread, like a sleep of zero.
void YieldThread();
