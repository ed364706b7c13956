// Values per second through a sample ring buffer between one writer and one
// reader thread, beside the memcpy bandwidth of the same machine.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "EngineGlobals.h"
#include "RingBuffer.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint64_t kValuesPerRun = 256ull * 1024 * 1024;

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// Values per second; the reader checks the sequence so nothing is optimised
// away and a broken buffer shows.
double RingValuesPerSecond(uint32_t chunk)
{
    SampleRing ring(SAMPLE_RING_CAPACITY);
    const uint64_t chunks = kValuesPerRun / chunk;
    const auto start = Clock::now();
    std::thread writer([&] {
        std::vector<int> block(chunk);
        int next = 0;
        for (uint64_t c = 0; c < chunks; ++c) {
            for (uint32_t i = 0; i < chunk; ++i)
                block[i] = next++;
            while (ring.FreeSpace() < chunk)
                std::this_thread::yield();
            ring.Write(block.data(), chunk);
        }
    });
    std::vector<int> block(chunk);
    int expected = 0;
    uint64_t errors = 0;
    for (uint64_t c = 0; c < chunks; ++c) {
        while (ring.Available(0) < chunk)
            std::this_thread::yield();
        ring.Read(block.data(), chunk);
        for (uint32_t i = 0; i < chunk; ++i)
            errors += block[i] != expected++ ? 1 : 0;
    }
    writer.join();
    const double elapsed = Seconds(Clock::now() - start);
    if (errors != 0)
        std::printf("  %llu values out of order!\n", static_cast<unsigned long long>(errors));
    return static_cast<double>(chunks * chunk) / elapsed;
}

// Bytes per second copied by memcpy between two buffers of the ring
// buffer's size, in pieces of the given size.
double MemcpyBytesPerSecond(uint32_t chunkValues)
{
    const size_t values = SAMPLE_RING_CAPACITY + 1;
    std::vector<int> from(values, 1);
    std::vector<int> to(values, 0);
    const size_t chunkBytes = chunkValues * sizeof(int);
    const size_t bytes = values * sizeof(int);
    const uint64_t total = kValuesPerRun * sizeof(int);
    uint64_t copied = 0;
    size_t offset = 0;
    const auto start = Clock::now();
    while (copied < total) {
        if (offset + chunkBytes > bytes)
            offset = 0;
        std::memcpy(reinterpret_cast<char*>(to.data()) + offset,
                    reinterpret_cast<const char*>(from.data()) + offset, chunkBytes);
        offset += chunkBytes;
        copied += chunkBytes;
    }
    const double elapsed = Seconds(Clock::now() - start);
    // Keeps the copies observable.
    volatile int sink = to[values / 2];
    (void)sink;
    return static_cast<double>(copied) / elapsed;
}

} // namespace

int main()
{
    std::printf("Ring buffer of %d values, one writer and one reader thread, %llu values per run\n",
                SAMPLE_RING_CAPACITY, static_cast<unsigned long long>(kValuesPerRun));
    std::printf("%8s %16s %16s %16s %8s\n", "chunk", "ring Mvalues/s", "ring MB/s", "memcpy MB/s",
                "ratio");
    for (uint32_t chunk : {1152u, 128u}) {
        const double ring = RingValuesPerSecond(chunk);
        const double memcpyRate = MemcpyBytesPerSecond(chunk);
        const double ringBytes = ring * sizeof(int);
        std::printf("%8u %16.1f %16.1f %16.1f %8.3f\n", chunk, ring / 1e6, ringBytes / 1e6,
                    memcpyRate / 1e6, ringBytes / memcpyRate);
    }
    std::printf("ratio = ring bytes per second / memcpy bytes per second (each ring value is "
                "copied twice: in and out)\n");
    return 0;
}
