#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <QString>

#include "ConversionTask.h"
#include "DecodeStage.h"
#include "ThreadSlot.h"
#include "WindowMessage.h"
#include "WorkerThread.h"

// The state of one conversion job and its runner thread. Stages reach the
// running job through g_pConvProg.
//
// Lifetime: a job is always owned by a std::shared_ptr (create it with
// std::make_shared). The runner thread holds a reference for as long as it
// runs, and it runs until every stage thread it started has ended, so a window
// that lets go of its job after a bounded wait never frees anything a thread
// still uses. Because the last reference may be dropped on the runner thread,
// a window owns its job rather than deriving from it.
class CConvJob : public std::enable_shared_from_this<CConvJob>
{
public:
    CConvJob();
    virtual ~CConvJob();

    CConvJob(const CConvJob&) = delete;
    CConvJob& operator=(const CConvJob&) = delete;

    // User-interface thread. Waits until a previous job's runner has ended
    // (handling queued events meanwhile), makes this the running job
    // (g_pConvProg), zeroes the state, posts a zero progress, sets m_bRunning
    // and starts the runner.
    void Start();

    // Body of the runner thread: runs the tasks in order. Returns 0.
    unsigned RunJob();

    // Waits at most the given milliseconds for each of the processing, the
    // encoding and the runner thread, in this order. Never kills a thread.
    // True when all of them have ended.
    bool StopStageThreads(unsigned millisecondsPerThread);

    // Posts one log line to the job's window. Any thread.
    void PostLog(const QString& text, int severity) const;

    // Filled before Start(), not changed while the job runs.
    std::vector<CConversionTask> m_arrTasks;
    uint64_t m_nSamplesTotal = 0;

    // Where the engine's messages go (EngineMessages.h).
    MessageTarget m_wndTarget;

    // The decoding stage: runs on the runner thread with the runner's copy of
    // the task, starts the downstream threads (storing them in
    // m_pProcessThread / m_pEncoderThread) and returns when decoding has
    // ended. False, or an empty function, fails the task.
    // The real stage (DecodeStage.h) unless a test puts another in.
    std::function<bool(CConversionTask&)> m_fnDecodeTask = ::DecodeTask;

    // The runner's pause before the first task, which lets the progress
    // window show itself first; a job without a window needs none.
    unsigned m_nStartDelayMs = 500;

    // The encoding stage copies each source's tags into its MP3.
    bool m_bCopyTags = true;
    // Threads the encoder module encodes each file on; 0 gives one per
    // processor core (QThread::idealThreadCount()), 1 a single stream.
    unsigned m_nEncoderThreads = 0;

    // How long the runner waits for a stage thread after decoding before it
    // clears m_bRunning; it then keeps waiting until the thread has ended.
    unsigned m_nStageWaitMs = 10000;

    // Cleared to stop every loop of every stage.
    std::atomic<bool> m_bRunning{false};
    std::atomic<bool> m_bPaused{false};
    std::atomic<bool> m_bAborted{false};

    // Written by the encoding stage only; reset per task by the runner.
    std::atomic<uint64_t> m_nSamplesDone{0};
    std::atomic<uint64_t> m_nTaskSamplesDone{0};
    std::atomic<float> m_fSecondsDone{0.0f};
    std::atomic<float> m_fTaskSecondsDone{0.0f};

    std::atomic<int> m_nCurrentTask{0};

    CThreadSlot m_pRunnerThread;
    // Emptied by the runner before each task; a stage thread started for the
    // task is stored here before it is resumed.
    CThreadSlot m_pProcessThread;
    CThreadSlot m_pEncoderThread;

    // Tick counts (GetTickCount32) of the current task's start and the job's.
    std::atomic<uint32_t> m_dwTaskStart{0};
    std::atomic<uint32_t> m_dwJobStart{0};

private:
    void RunTask(int index);
    bool DecodeTask(CConversionTask& task);
    void JoinStageThreads();
    void WaitForStage(const std::shared_ptr<CWorkerThread>& thread);
    void PostText(WPARAM control, const QString& text) const;
};

// Posts one log line to the running job's window (g_pConvProg); does nothing
// without one. Any thread.
void PostLog(const QString& text, int severity);

// Blocks until the runner of the last started job has ended (handling queued
// events on the user-interface thread meanwhile). User-interface thread.
void WaitForJobsToEnd();
