#pragma once

#include <memory>
#include <mutex>

#include "WorkerThread.h"

// A stage thread's handle: stored by the thread that starts the stage and read
// by the runner and by the window's Cancel on other threads.
class CThreadSlot
{
public:
    void Store(std::shared_ptr<CWorkerThread> thread)
    {
        std::lock_guard lock(m_mutex);
        m_pThread = std::move(thread);
    }

    std::shared_ptr<CWorkerThread> Load() const
    {
        std::lock_guard lock(m_mutex);
        return m_pThread;
    }

private:
    mutable std::mutex m_mutex;
    std::shared_ptr<CWorkerThread> m_pThread;
};
