#pragma once

#include <functional>
#include <memory>

// A thread that is created suspended, resumed once, and waited for with a
// bound. It is never killed: a thread still running when its owner lets go
// is left to finish on its own, so its body must keep alive (by value or by
// shared ownership) everything it touches.
class CWorkerThread
{
public:
    using Body = std::function<unsigned()>;

    explicit CWorkerThread(Body body);
    ~CWorkerThread();

    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    // Starts the body; a second call does nothing.
    void Resume();

    // Waits at most the given milliseconds; true when the body has returned
    // (or was never started).
    bool WaitFor(unsigned milliseconds);

    bool IsRunning() const;

    // The body's result once it has returned, else 0.
    unsigned ExitCode() const;

private:
    struct State;
    std::shared_ptr<State> m_pState;
    Body m_body;
};
