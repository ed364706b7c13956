#include "EncoderThreads.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

std::atomic<uint32_t> s_threads{0};

} // namespace

void SetEncoderThreads(uint32_t threads)
{
    s_threads = threads;
}

unsigned EncoderThreads()
{
    const uint32_t chosen = s_threads;
    return std::max(1u, chosen ? chosen : std::thread::hardware_concurrency());
}
