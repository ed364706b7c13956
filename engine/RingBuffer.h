#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <type_traits>

// A bounded queue between one writer thread and Readers reader threads that
// never blocks: both sides poll the counts and size their requests by them.
// One slot always stays empty, so equal positions mean empty.
//
// Each side copies its elements first and publishes its new position
// afterwards (release), and reads the other side's position with acquire, so
// a position never covers elements that are not yet copied.
// Reset() may only be called while neither side is active.
template <class T, unsigned Readers>
class RingBuffer
{
    static_assert(Readers >= 1);
    static_assert(std::is_trivially_copyable_v<T>, "elements are moved with memcpy");

public:
    explicit RingBuffer(int capacity)
    {
        if (capacity < 0 || static_cast<uint64_t>(capacity) >= UINT32_MAX)
            throw std::length_error("RingBuffer capacity out of range");
        m_nSize = static_cast<uint32_t>(capacity) + 1;
        m_pStorage = std::make_unique<T[]>(m_nSize);
        Reset();
    }

    virtual ~RingBuffer() = default;

    RingBuffer(const RingBuffer&) = delete;
    RingBuffer& operator=(const RingBuffer&) = delete;

    uint32_t Capacity() const { return m_nSize - 1; }

    // Elements the reader can take now.
    uint32_t Available(unsigned reader = 0) const
    {
        const uint32_t write = m_nWrite.load(std::memory_order_acquire);
        const uint32_t read = m_arrRead[reader].load(std::memory_order_acquire);
        return write >= read ? write - read : m_nSize - read + write;
    }

    // Elements the writer can add now (measured against reader 0).
    uint32_t FreeSpace() const
    {
        const uint32_t write = m_nWrite.load(std::memory_order_acquire);
        const uint32_t read = m_arrRead[0].load(std::memory_order_acquire);
        return static_cast<uint32_t>((uint64_t{read} + m_nSize - write - 1) % m_nSize);
    }

    // Writer thread only. Writes as many of the n elements as fit.
    uint32_t Write(const T* source, uint32_t n)
    {
        n = std::min(n, FreeSpace());
        if (n == 0)
            return 0;
        const uint32_t write = m_nWrite.load(std::memory_order_relaxed);
        const uint32_t tail = m_nSize - write;
        if (tail >= n) {
            std::memcpy(m_pStorage.get() + write, source, n * sizeof(T));
        } else {
            std::memcpy(m_pStorage.get() + write, source, tail * sizeof(T));
            std::memcpy(m_pStorage.get(), source + tail, (n - tail) * sizeof(T));
        }
        m_nWrite.store(static_cast<uint32_t>((uint64_t{write} + n) % m_nSize),
                       std::memory_order_release);
        return n;
    }

    // The reader's thread only. Reads up to n elements and fills the rest of
    // the n destination elements with zero.
    uint32_t Read(T* destination, uint32_t n, unsigned reader = 0)
    {
        const uint32_t available = Available(reader);
        if (n > available) {
            std::fill(destination + available, destination + n, T{});
            n = available;
        }
        if (n == 0)
            return 0;
        const uint32_t read = m_arrRead[reader].load(std::memory_order_relaxed);
        const uint32_t tail = m_nSize - read;
        if (tail >= n) {
            std::memcpy(destination, m_pStorage.get() + read, n * sizeof(T));
        } else {
            std::memcpy(destination, m_pStorage.get() + read, tail * sizeof(T));
            std::memcpy(destination + tail, m_pStorage.get(), (n - tail) * sizeof(T));
        }
        m_arrRead[reader].store(static_cast<uint32_t>((uint64_t{read} + n) % m_nSize),
                                std::memory_order_release);
        return n;
    }

    // Empties the buffer. Only while no writer or reader is active.
    void Reset()
    {
        m_nWrite.store(0, std::memory_order_release);
        for (auto& read : m_arrRead)
            read.store(0, std::memory_order_release);
    }

private:
    std::unique_ptr<T[]> m_pStorage;
    std::atomic<uint32_t> m_nWrite{0};
    std::atomic<uint32_t> m_arrRead[Readers]{};
    uint32_t m_nSize = 0;
};

// The one instantiation the engine uses: 32-bit samples (16-bit PCM in the
// upper half), channels interleaved, one reader.
using SampleRing = RingBuffer<int, 1>;
