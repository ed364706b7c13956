#pragma once

#include <cstdint>

// How many threads each stream opened from now on encodes on, for the whole
// process. 0 restores the default: one per processor core. Any thread.
void SetEncoderThreads(uint32_t threads);

// The count in force, at least 1.
unsigned EncoderThreads();
