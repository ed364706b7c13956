#include "ParallelStream.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <limits>

#include <lame/lame.h>

#include "LameStream.h"

namespace {

// Frames each segment's encoder makes before the segment and drops, so that
// libmp3lame's state (transform overlap, the attack history behind its block
// type decisions) matches a single instance's. Four are too few for an
// attack at a segment's first frame; five were enough in every format.
constexpr uint32_t kWarmUpFrames = 8;
// Frames of input past a segment's end its encoder reads, so that it emits
// the segment's last frame without being flushed.
constexpr uint32_t kLookAheadFrames = 2;
constexpr uint32_t kSegmentSeconds = 8;

// Waits until done() holds. Through system-clock deadlines: those waits run
// through pthread_cond_timedwait from this module, where ThreadSanitizer sees
// the mutex released and taken again; a plain wait happens inside the
// uninstrumented C++ library. The deadline only bounds each wait.
template <class Done>
void WaitUntil(std::condition_variable& condition, std::unique_lock<std::mutex>& lock, Done done)
{
    while (!done())
        condition.wait_until(lock, std::chrono::system_clock::now() + std::chrono::seconds(1));
}

} // namespace

BE_ERR CParallelStream::Open(const CLameSettings& settings, unsigned threads,
                             std::unique_ptr<CEncoderStream>& stream)
{
    // Instances up front: they check that libmp3lame takes the settings
    // before any thread starts, and tell the encoder delay and the frame
    // reserved for the tag.
    lame_global_flags* probe = OpenLame(settings);
    if (!probe)
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    const uint32_t delay = static_cast<uint32_t>(lame_get_encoder_delay(probe));
    const bool frameSizeAgrees = static_cast<uint32_t>(lame_get_framesize(probe)) == settings.FrameSamples();
    lame_close(probe);
    const std::optional<uint32_t> reserved = ReservedTagFrameBytes(settings);
    if (!frameSizeAgrees || !reserved)
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    std::unique_ptr<CParallelStream> opened(
        new CParallelStream(settings, std::max(threads, 2u), delay, *reserved));
    for (unsigned i = 0; i < opened->m_nThreads; ++i)
        opened->m_workers.emplace_back([worker = opened.get()] { worker->WorkerLoop(); });
    stream = std::move(opened);
    return BE_ERR_SUCCESSFUL;
}

uint32_t CParallelStream::SegmentFrames(const CLameSettings& settings)
{
    const uint32_t period = settings.PaddingPeriod();
    const uint32_t wanted = kSegmentSeconds * settings.nOutputRate / settings.FrameSamples();
    return std::max(1u, (wanted + period - 1) / period) * period;
}

CParallelStream::CParallelStream(const CLameSettings& settings, unsigned threads, uint32_t encoderDelay,
                                 uint32_t reservedTagBytes)
    : m_settings(settings)
    , m_nThreads(threads)
    , m_nFrameSamples(settings.FrameSamples())
    , m_nSegmentFrames(SegmentFrames(settings))
    , m_nEncoderDelay(encoderDelay)
    , m_nReservedTagBytes(reservedTagBytes)
{
    // One call returns at most every segment in flight and, from Flush, the
    // last one, which also holds the look-ahead, the flushed frames and the
    // tag frame.
    const uint64_t segmentBytes =
        uint64_t{m_nSegmentFrames + kWarmUpFrames + kLookAheadFrames + 8} * settings.MaxFrameBytes();
    const uint64_t all = (uint64_t{m_nThreads} + 2) * segmentBytes;
    m_nBufferSize = static_cast<uint32_t>(std::min<uint64_t>(
        std::max<uint64_t>(all, LameOutputBufferSize(settings, m_nFrameSamples)),
        std::numeric_limits<uint32_t>::max()));
}

CParallelStream::~CParallelStream()
{
    {
        std::lock_guard lock(m_queueMutex);
        m_bStopping = true;
        m_waiting.clear();
    }
    m_workQueued.notify_all();
    for (std::thread& worker : m_workers)
        worker.join();
}

uint32_t CParallelStream::SamplesPerChunk() const
{
    return m_nFrameSamples * static_cast<uint32_t>(m_settings.nChannels);
}

uint32_t CParallelStream::OutputBufferSize() const
{
    return m_nBufferSize;
}

uint64_t CParallelStream::SegmentStart(uint64_t index) const
{
    return index == 0 ? 0 : index * m_nSegmentFrames + kWarmUpFrames;
}

uint64_t CParallelStream::SegmentEnd(uint64_t index) const
{
    return SegmentStart(index + 1);
}

uint64_t CParallelStream::EncoderStart(uint64_t index) const
{
    return index * m_nSegmentFrames;
}

BE_ERR CParallelStream::Encode(uint32_t frames, const float* left, const float* right,
                               uint8_t* output, uint32_t* bytes)
{
    const bool stereo = m_settings.nChannels == 2;
    if (!left || !output || !bytes || frames > m_nFrameSamples || (stereo && !right))
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    std::lock_guard call(m_callMutex);
    if (m_bFlushed)
        return BE_ERR_INVALID_HANDLE;
    if (m_bFailed)
        return BE_ERR_ENCODER_FAILED;

    const size_t held = m_inputLeft.size();
    m_inputLeft.resize(held + frames);
    CopySanitised(left, frames, m_inputLeft.data() + held);
    if (stereo) {
        m_inputRight.resize(held + frames);
        CopySanitised(right, frames, m_inputRight.data() + held);
    }
    m_tally.AddInputSamples(frames);

    *bytes = 0;
    const uint64_t inputEnd = m_nBufferStart + m_inputLeft.size();
    if (inputEnd >= (SegmentEnd(m_nNextSegment) + kLookAheadFrames) * m_nFrameSamples) {
        if (const BE_ERR result = CollectFinished(m_nThreads, output, bytes))
            return result;
        Dispatch(false);
    }
    return CollectFinished(std::numeric_limits<size_t>::max(), output, bytes);
}

BE_ERR CParallelStream::Flush(uint8_t* output, uint32_t* bytes)
{
    if (!output || !bytes)
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    std::lock_guard call(m_callMutex);
    if (m_bFlushed)
        return BE_ERR_INVALID_HANDLE;
    if (m_bFailed)
        return BE_ERR_ENCODER_FAILED;
    *bytes = 0;
    Dispatch(true);
    if (const BE_ERR result = CollectFinished(0, output, bytes))
        return result;
    m_bFlushed = true;
    return BE_ERR_SUCCESSFUL;
}

std::vector<uint8_t> CParallelStream::InfoTag() const
{
    std::lock_guard call(m_callMutex);
    if (!m_bFlushed || m_tagTemplate.empty())
        return {};
    return BuildJoinedInfoTag(m_tagTemplate, m_tally, m_nEncoderDelay, m_nFrameSamples);
}

void CParallelStream::Dispatch(bool last)
{
    const uint64_t index = m_nNextSegment++;
    auto job = std::make_shared<CSegmentJob>();
    CStreamSegment& segment = job->segment;
    segment.bLast = last;
    segment.nReservedTagBytes = m_nReservedTagBytes;
    segment.bKeepsTagFrame = index == 0;
    segment.nWarmUpFrames = index == 0 ? 0 : kWarmUpFrames;
    segment.nKeptFrames = static_cast<uint32_t>(SegmentEnd(index) - SegmentStart(index));

    const size_t length = last ? m_inputLeft.size()
                               : static_cast<size_t>((SegmentEnd(index) + kLookAheadFrames) * m_nFrameSamples
                                                     - m_nBufferStart);
    // The next segment's encoder starts within this one's input: the
    // segment takes the buffer, and the buffer keeps a copy of that overlap.
    const uint64_t nextStart = EncoderStart(index + 1) * m_nFrameSamples;
    const size_t keepFrom = static_cast<size_t>(std::min<uint64_t>(nextStart - m_nBufferStart, m_inputLeft.size()));
    const auto handOver = [this, length, keepFrom](std::vector<float>& input, std::vector<float>& taken) {
        taken = std::move(input);
        input.reserve(static_cast<size_t>(m_nSegmentFrames + kWarmUpFrames + kLookAheadFrames + 1) * m_nFrameSamples);
        input.assign(taken.begin() + static_cast<std::ptrdiff_t>(keepFrom), taken.end());
        taken.resize(length);
    };
    handOver(m_inputLeft, segment.left);
    if (m_settings.nChannels == 2)
        handOver(m_inputRight, segment.right);
    m_nBufferStart += keepFrom;

    {
        std::lock_guard lock(m_queueMutex);
        m_waiting.push_back(job);
        m_inFlight.push_back(std::move(job));
    }
    m_workQueued.notify_one();
}

BE_ERR CParallelStream::CollectFinished(size_t maxInFlight, uint8_t* output, uint32_t* bytes)
{
    std::unique_lock lock(m_queueMutex);
    while (!m_inFlight.empty()) {
        const std::shared_ptr<CSegmentJob> head = m_inFlight.front();
        if (!head->bFinished) {
            if (m_inFlight.size() <= maxInFlight)
                break;
            WaitUntil(m_segmentFinished, lock, [&head] { return head->bFinished; });
        }
        m_inFlight.pop_front();
        // A finished segment belongs to this thread alone.
        lock.unlock();
        const BE_ERR result = TakeSegment(head->segment, output, bytes);
        if (result != BE_ERR_SUCCESSFUL) {
            m_bFailed = true;
            return result;
        }
        lock.lock();
    }
    return BE_ERR_SUCCESSFUL;
}

BE_ERR CParallelStream::TakeSegment(CStreamSegment& segment, uint8_t* output, uint32_t* bytes)
{
    if (segment.nResult != BE_ERR_SUCCESSFUL)
        return segment.nResult;
    if (segment.output.size() > m_nBufferSize - *bytes)
        return BE_ERR_BUFFER_TOO_SMALL;
    std::memcpy(output + *bytes, segment.output.data(), segment.output.size());
    *bytes += static_cast<uint32_t>(segment.output.size());
    m_tally.AddTagFrame(segment.nTagFrameBytes);
    m_tally.AddAudioFrames(segment.output.data() + segment.nTagFrameBytes,
                           segment.output.size() - segment.nTagFrameBytes, segment.nOutputAudioFrames);
    if (segment.bLast)
        m_tagTemplate = std::move(segment.tagTemplate);
    return BE_ERR_SUCCESSFUL;
}

void CParallelStream::WorkerLoop()
{
    for (;;) {
        std::shared_ptr<CSegmentJob> job;
        {
            std::unique_lock lock(m_queueMutex);
            WaitUntil(m_workQueued, lock, [this] { return m_bStopping || !m_waiting.empty(); });
            if (m_waiting.empty())
                return;
            job = m_waiting.front();
            m_waiting.pop_front();
        }
        EncodeSegment(m_settings, job->segment);
        {
            std::lock_guard lock(m_queueMutex);
            job->bFinished = true;
        }
        m_segmentFinished.notify_all();
    }
}
