#include "Tick.h"

#include <chrono>
#include <thread>

uint32_t GetTickCount32()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

float SecondsSince(uint32_t dwStart)
{
    return static_cast<float>(GetTickCount32() - dwStart) / 1000.0f;
}

void SleepMs(unsigned milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void YieldThread()
{
    std::this_thread::yield();
}
