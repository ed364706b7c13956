#include "WorkerThread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

struct CWorkerThread::State
{
    std::mutex mutex;
    std::condition_variable finishedChanged;
    bool started = false;
    bool finished = false;
    std::atomic<unsigned> exitCode{0};
};

CWorkerThread::CWorkerThread(Body body)
    : m_pState(std::make_shared<State>())
    , m_body(std::move(body))
{
}

CWorkerThread::~CWorkerThread() = default;

void CWorkerThread::Resume()
{
    {
        std::lock_guard lock(m_pState->mutex);
        if (m_pState->started)
            return;
        m_pState->started = true;
    }
    // The thread holds the state and the body by value, so a thread that
    // outlives this object still has everything it uses.
    std::thread([state = m_pState, body = std::move(m_body)]() mutable {
        const unsigned code = body();
        body = nullptr;
        state->exitCode.store(code);
        std::lock_guard lock(state->mutex);
        state->finished = true;
        state->finishedChanged.notify_all();
    }).detach();
}

bool CWorkerThread::WaitFor(unsigned milliseconds)
{
    std::unique_lock lock(m_pState->mutex);
    if (!m_pState->started)
        return true;
    // A system-clock deadline waits through pthread_cond_timedwait, which
    // ThreadSanitizer follows; the steady-clock wait of wait_for does not
    // show it the mutex being released and taken again.
    const auto deadline = std::chrono::system_clock::now() + std::chrono::milliseconds(milliseconds);
    return m_pState->finishedChanged.wait_until(lock, deadline,
                                                [this] { return m_pState->finished; });
}

bool CWorkerThread::IsRunning() const
{
    std::lock_guard lock(m_pState->mutex);
    return m_pState->started && !m_pState->finished;
}

unsigned CWorkerThread::ExitCode() const
{
    return m_pState->exitCode.load();
}
