#include "UserInteraction.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

#include <QCoreApplication>
#include <QFileInfo>
#include <QMetaObject>
#include <QThread>

#include "DesktopInteraction.h"

namespace {

DesktopInteraction& Desktop()
{
    static DesktopInteraction desktop;
    return desktop;
}

std::atomic<UserInteraction*> g_pInstalled{nullptr};

std::mutex g_handoffMutex;

} // namespace

UserInteraction& Interaction()
{
    UserInteraction* seam = g_pInstalled.load();
    return seam ? *seam : Desktop();
}

UserInteraction* InstallInteraction(UserInteraction* seam)
{
    UserInteraction* previous = g_pInstalled.exchange(seam);
    return previous ? previous : &Desktop();
}

int MessageBoxFromAnyThread(const QString& text, const QString& caption, unsigned type)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return IDCANCEL;
    if (QThread::currentThread() == app->thread())
        return Interaction().MessageBox(nullptr, text, caption, type);

    struct Answer
    {
        std::mutex mutex;
        std::condition_variable given;
        bool done = false;
        int result = IDCANCEL;
    };
    auto answer = std::make_shared<Answer>();
    // The answer is shared, so a worker that gives up (the application is
    // shutting down) leaves nothing dangling for the functor.
    bool queued = false;
    {
        // Qt's own queue lock is invisible to ThreadSanitizer; this one,
        // taken here and first thing in the functor, orders the functor's
        // captures after this thread made them.
        std::lock_guard handoff(g_handoffMutex);
        queued = QMetaObject::invokeMethod(app, [answer, text, caption, type] {
            { std::lock_guard ordered(g_handoffMutex); }
            const int result = Interaction().MessageBox(nullptr, text, caption, type);
            std::lock_guard done(answer->mutex);
            answer->done = true;
            answer->result = result;
            answer->given.notify_all();
        }, Qt::QueuedConnection);
    }
    if (!queued)
        return IDCANCEL;
    std::unique_lock lock(answer->mutex);
    while (!answer->done) {
        // A system-clock deadline, as in CWorkerThread::WaitFor.
        const auto deadline = std::chrono::system_clock::now() + std::chrono::milliseconds(100);
        if (answer->given.wait_until(lock, deadline) == std::cv_status::timeout
            && QCoreApplication::closingDown())
            return IDCANCEL;
    }
    return answer->result;
}

QString ApplicationName()
{
    const QString name = QCoreApplication::applicationName();
    if (!name.isEmpty())
        return name;
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}
