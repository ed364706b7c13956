#include <cstdint>
#include <numeric>
#include <random>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "RingBuffer.h"

namespace {

using Ring = RingBuffer<int, 1>;

std::vector<int> Sequence(int first, int count)
{
    std::vector<int> values(static_cast<size_t>(count));
    std::iota(values.begin(), values.end(), first);
    return values;
}

TEST(RingBufferTest, NewAndResetBufferIsEmpty)
{
    Ring ring(10);
    EXPECT_EQ(ring.Available(0), 0u);
    EXPECT_EQ(ring.FreeSpace(), 10u);

    const std::vector<int> values = Sequence(1, 7);
    ring.Write(values.data(), 7);
    ring.Reset();
    EXPECT_EQ(ring.Available(0), 0u);
    EXPECT_EQ(ring.FreeSpace(), 10u);
}

TEST(RingBufferTest, FullBufferRefusesWritesUnchanged)
{
    Ring ring(10);
    const std::vector<int> values = Sequence(1, 12);
    EXPECT_EQ(ring.Write(values.data(), 12), 10u);
    EXPECT_EQ(ring.FreeSpace(), 0u);
    EXPECT_EQ(ring.Write(values.data(), 1), 0u);
    EXPECT_EQ(ring.Available(0), 10u);

    std::vector<int> out(10);
    EXPECT_EQ(ring.Read(out.data(), 10), 10u);
    EXPECT_EQ(out, Sequence(1, 10));
}

TEST(RingBufferTest, ShortReadFillsTheRestWithZero)
{
    struct Case
    {
        int stored;
        int requested;
    };
    for (const Case c : {Case{4, 10}, Case{0, 6}, Case{5, 5}}) {
        SCOPED_TRACE(testing::Message() << c.stored << " stored, " << c.requested << " asked");
        Ring ring(16);
        const std::vector<int> values = Sequence(100, c.stored);
        ring.Write(values.data(), static_cast<uint32_t>(c.stored));
        std::vector<int> out(static_cast<size_t>(c.requested), -7);
        EXPECT_EQ(ring.Read(out.data(), static_cast<uint32_t>(c.requested)),
                  static_cast<uint32_t>(c.stored));
        std::vector<int> expected = values;
        expected.resize(static_cast<size_t>(c.requested), 0);
        EXPECT_EQ(out, expected);
    }
}

TEST(RingBufferTest, WritesAndReadsWrapAroundTheEndInOrder)
{
    // Offsets move the positions so the copies cross the end of the storage
    // at every possible split.
    for (int offset = 0; offset <= 8; ++offset) {
        SCOPED_TRACE(offset);
        Ring ring(8);
        std::vector<int> scratch(8);
        const std::vector<int> lead = Sequence(-100, offset);
        ring.Write(lead.data(), static_cast<uint32_t>(offset));
        ring.Read(scratch.data(), static_cast<uint32_t>(offset));

        const std::vector<int> values = Sequence(1, 8);
        ASSERT_EQ(ring.Write(values.data(), 8), 8u);
        EXPECT_EQ(ring.Available(0), 8u);
        std::vector<int> out(8);
        ASSERT_EQ(ring.Read(out.data(), 8), 8u);
        EXPECT_EQ(out, values);
        EXPECT_EQ(ring.FreeSpace(), 8u);
    }
}

// One writer and one reader thread stream values in random chunk sizes,
// larger and smaller than the capacity; every value must arrive once and in
// order.
TEST(RingBufferTest, WriterAndReaderThreadsDeliverEveryValueOnceInOrder)
{
    constexpr int64_t kValues = 50000000;
    constexpr uint32_t kCapacity = 65521;
    constexpr uint32_t kMaxChunk = 70000;
    Ring ring(static_cast<int>(kCapacity));

    std::thread writer([&ring] {
        std::mt19937 random(1);
        std::uniform_int_distribution<uint32_t> chunkSize(1, kMaxChunk);
        std::vector<int> chunk(kMaxChunk);
        int64_t next = 0;
        while (next < kValues) {
            const auto size = static_cast<uint32_t>(std::min<int64_t>(chunkSize(random), kValues - next));
            for (uint32_t i = 0; i < size; ++i)
                chunk[i] = static_cast<int>(next + i);
            uint32_t done = 0;
            while (done < size) {
                const uint32_t written = ring.Write(chunk.data() + done, size - done);
                if (written == 0)
                    std::this_thread::yield();
                done += written;
            }
            next += size;
        }
    });

    std::mt19937 random(2);
    std::uniform_int_distribution<uint32_t> chunkSize(1, kMaxChunk);
    std::vector<int> chunk(kMaxChunk);
    int64_t expected = 0;
    int64_t mismatches = 0;
    while (expected < kValues) {
        const uint32_t got = ring.Read(chunk.data(), chunkSize(random));
        if (got == 0)
            std::this_thread::yield();
        for (uint32_t i = 0; i < got; ++i)
            mismatches += chunk[i] != static_cast<int>(expected + i) ? 1 : 0;
        expected += got;
    }
    writer.join();

    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(expected, kValues);
    EXPECT_EQ(ring.Available(0), 0u);
}

} // namespace
