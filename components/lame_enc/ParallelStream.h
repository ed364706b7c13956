#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "EncoderStream.h"
#include "JoinedInfoTag.h"
#include "LameSettings.h"
#include "StreamSegment.h"

// A constant-bitrate stream without bit reservoir, cut into segments that a
// pool of threads encodes at once, each on its own libmp3lame instance
// (StreamSegment.h), and joined in order: the same bytes as one instance
// makes, and an information tag for the joined frames.
//
// The caller's thread buffers the input, hands each segment to the pool as
// soon as its input and the encoder's look-ahead past it have arrived, and
// returns finished segments in order. At most threads + 1 segments are in
// flight; Encode waits for the oldest one beyond that, which bounds memory.
class CParallelStream : public CEncoderStream
{
public:
    // threads is at least 2.
    static BE_ERR Open(const CLameSettings& settings, unsigned threads,
                       std::unique_ptr<CEncoderStream>& stream);

    // Lets the segments being encoded finish, drops those not started and
    // joins the threads.
    ~CParallelStream() override;
    CParallelStream(const CParallelStream&) = delete;
    CParallelStream& operator=(const CParallelStream&) = delete;

    uint32_t SamplesPerChunk() const override;
    uint32_t OutputBufferSize() const override;
    BE_ERR Encode(uint32_t frames, const float* left, const float* right, uint8_t* output,
                  uint32_t* bytes) override;
    BE_ERR Flush(uint8_t* output, uint32_t* bytes) override;
    std::vector<uint8_t> InfoTag() const override;

    // Audio frames per segment for these settings: about eight seconds, a
    // multiple of the padding period.
    static uint32_t SegmentFrames(const CLameSettings& settings);

private:
    CParallelStream(const CLameSettings& settings, unsigned threads, uint32_t encoderDelay,
                    uint32_t reservedTagBytes);

    struct CSegmentJob
    {
        CStreamSegment segment;
        bool bFinished = false; // guarded by m_queueMutex
    };

    void WorkerLoop();
    // Cuts the next segment from the buffered input and queues it.
    void Dispatch(bool last);
    // Appends the finished segments at the head of the queue to output,
    // waiting for the oldest ones while more than maxInFlight are queued.
    BE_ERR CollectFinished(size_t maxInFlight, uint8_t* output, uint32_t* bytes);
    BE_ERR TakeSegment(CStreamSegment& segment, uint8_t* output, uint32_t* bytes);
    // First and one-past-last audio frame of segment index.
    uint64_t SegmentStart(uint64_t index) const;
    uint64_t SegmentEnd(uint64_t index) const;
    // The frame where the encoder of segment index starts.
    uint64_t EncoderStart(uint64_t index) const;

    const CLameSettings m_settings;
    const unsigned m_nThreads;
    const uint32_t m_nFrameSamples;
    const uint32_t m_nSegmentFrames;
    const uint32_t m_nEncoderDelay;
    const uint32_t m_nReservedTagBytes;
    uint32_t m_nBufferSize = 0;

    // Serialises the caller's operations; held while m_queueMutex is taken.
    mutable std::mutex m_callMutex;

    // Input from sample m_nBufferStart on, sanitised (LameStream.h).
    std::vector<float> m_inputLeft;
    std::vector<float> m_inputRight;
    uint64_t m_nBufferStart = 0;
    uint64_t m_nNextSegment = 0;
    bool m_bFlushed = false;
    bool m_bFailed = false;
    CJoinedStreamTally m_tally;
    std::vector<uint8_t> m_tagTemplate;

    // Shared with the encoding threads.
    std::mutex m_queueMutex;
    std::condition_variable m_workQueued;
    std::condition_variable m_segmentFinished;
    std::deque<std::shared_ptr<CSegmentJob>> m_waiting;  // not yet taken by a thread
    std::deque<std::shared_ptr<CSegmentJob>> m_inFlight; // in stream order, until returned
    bool m_bStopping = false;

    std::vector<std::thread> m_workers;
};
