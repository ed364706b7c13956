#include "ConvJob.h"

#include <algorithm>
#include <mutex>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QThread>

#include "EngineGlobals.h"
#include "EngineMessages.h"
#include "FileNames.h"
#include "Tick.h"

namespace {

const QString kDashLine(99, QLatin1Char('-'));

constexpr int kTimerPeriodMs = 1000;

std::mutex s_lastRunnerMutex;
std::shared_ptr<CWorkerThread> s_pLastRunner;

float Speed(float fSecondsDone, float fElapsed)
{
    return fElapsed > 0.0f ? fSecondsDone / fElapsed : 0.0f;
}

QString FolderOf(const QString& path)
{
    const qsizetype separator = std::max(path.lastIndexOf(QLatin1Char('/')),
                                         path.lastIndexOf(QDir::separator()));
    return separator < 0 ? QString() : path.left(separator);
}

bool NameTaken(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Runs a function when it goes out of scope, also when an exception leaves
// the scope.
class ScopeExit
{
public:
    explicit ScopeExit(std::function<void()> fn)
        : m_fn(std::move(fn))
    {
    }
    ~ScopeExit() { m_fn(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    std::function<void()> m_fn;
};

} // namespace

CConvJob::CConvJob() = default;

CConvJob::~CConvJob()
{
    if (g_pConvProg == this)
        g_pConvProg = nullptr;
}

void CConvJob::Start()
{
    // Two jobs never share the ring buffers or g_pConvProg.
    WaitForJobsToEnd();

    g_pConvProg = this;
    m_bPaused = false;
    m_bRunning = false;
    m_bAborted = false;
    m_fTaskSecondsDone = 0.0f;
    m_nCurrentTask = 0;
    m_fSecondsDone = 0.0f;
    m_nTaskSamplesDone = 0;
    m_nSamplesDone = 0;
    // The window's figures count from here until the runner sets the ticks
    // again after its start delay, never from whatever a previous job or the
    // counter's zero left.
    m_dwJobStart = GetTickCount32();
    m_dwTaskStart = m_dwJobStart.load();
    m_wndTarget.PostMessage(WM_CONV_PROGRESS, 0, 0, std::make_unique<ProgressPayload>(ConvProgress{}));

    m_bRunning = true;
    auto runner = std::make_shared<CWorkerThread>([self = shared_from_this()] {
        return self->RunJob();
    });
    m_pRunnerThread.Store(runner);
    {
        std::lock_guard lock(s_lastRunnerMutex);
        s_pLastRunner = runner;
    }
    runner->Resume();
}

unsigned CConvJob::RunJob()
{
    try {
        SleepMs(m_nStartDelayMs);
        m_wndTarget.PostMessage(WM_CONV_SETTIMER, CONV_TIMER_ID, kTimerPeriodMs);
        m_dwJobStart = GetTickCount32();
        m_nCurrentTask = 0;

        const int count = static_cast<int>(m_arrTasks.size());
        if (count > 0 && m_bRunning) {
            do {
                RunTask(m_nCurrentTask);
                ++m_nCurrentTask;
            } while (m_nCurrentTask < count && m_bRunning);
        }

        if (m_bRunning) {
            if (count > 1) {
                const float fElapsed = SecondsSince(m_dwJobStart);
                PostLog(kDashLine, LOG_INFO);
                PostLog(QString::asprintf("Total time elapsed %.2f secs, overall speed %.2fx.",
                                          fElapsed, Speed(m_fSecondsDone, fElapsed)),
                        LOG_INFO);
            }
            m_wndTarget.PostMessage(WM_CONV_FINISHED);
        }
    } catch (...) {
        m_bRunning = false;
    }
    return 0;
}

void CConvJob::RunTask(int index)
{
    PostLog(kDashLine, LOG_INFO);
    const uint32_t dwStart = GetTickCount32();
    PostText(CONV_TEXT_TITLE, QStringLiteral("Converting %1/%2")
                                  .arg(index + 1)
                                  .arg(static_cast<int>(m_arrTasks.size())));

    // The stages work on this copy; the queued task keeps its name.
    CConversionTask task = m_arrTasks[static_cast<size_t>(index)];

    // A destination without a folder has an empty one, which cannot be
    // created: the task fails rather than write wherever the process runs.
    const QString folder = FolderOf(task.m_strDest);
    if (!QFileInfo::exists(folder) && !CreateFolderTree(folder)) {
        PostLog(QStringLiteral("Fail to create folder %1 !").arg(folder), LOG_ERROR);
        m_bRunning = false;
        return;
    }
    if (NameTaken(task.m_strDest))
        task.m_strDest = MakeUniqueName(task.m_strDest);

    PostText(IDC_CONV_SOURCE, task.m_strSource);
    PostText(IDC_CONV_DEST, task.m_strDest);
    PostLog(QStringLiteral("Start a new converting task."), LOG_INFO);
    PostLog(QStringLiteral("Source:  %1.").arg(task.m_strSource), LOG_INFO);
    PostLog(QStringLiteral("Destination: %1.").arg(task.m_strDest), LOG_INFO);

    m_nTaskSamplesDone = 0;
    m_fTaskSecondsDone = 0.0f;
    m_dwTaskStart = GetTickCount32();
    if (g_pDecodedRing)
        g_pDecodedRing->Reset();
    if (g_pProcessedRing)
        g_pProcessedRing->Reset();
    m_pProcessThread.Store(nullptr);
    m_pEncoderThread.Store(nullptr);

    {
        // The stage threads use the task copy and the ring buffers: they are
        // awaited before either changes, also when an exception leaves here.
        const ScopeExit join([this] { JoinStageThreads(); });
        if (!DecodeTask(task))
            m_bRunning = false;
    }

    if (m_bRunning) {
        const float fElapsed = SecondsSince(dwStart);
        PostLog(QString::asprintf("Time elapsed %.2f secs, speed %.2fx.", fElapsed,
                                  Speed(m_fTaskSecondsDone, fElapsed)),
                LOG_INFO);
        PostLog(QStringLiteral("Converting status: OK."), LOG_INFO);
    } else {
        PostLog(QStringLiteral("Converting status: ERROR."), LOG_ERROR);
    }
}

bool CConvJob::DecodeTask(CConversionTask& task)
{
    if (!m_fnDecodeTask)
        return false;
    try {
        return m_fnDecodeTask(task);
    } catch (...) {
        m_bRunning = false;
        PostLog(QStringLiteral("An error occurred while decoding %1").arg(task.m_strSource),
                LOG_ERROR);
        return false;
    }
}

void CConvJob::JoinStageThreads()
{
    // The processing thread stores the encoding thread, so its slot is read
    // only after the processing thread has ended.
    WaitForStage(m_pProcessThread.Load());
    WaitForStage(m_pEncoderThread.Load());
    g_pCurrentTask = nullptr;
}

void CConvJob::WaitForStage(const std::shared_ptr<CWorkerThread>& thread)
{
    if (!thread)
        return;
    // The bound catches a stuck thread, not a held job: time spent paused,
    // the Cancel question included, does not count towards it. A slice in
    // which the pause changed counts as paused.
    constexpr uint32_t kSliceMs = 100;
    uint32_t runningMs = 0;
    while (runningMs < m_nStageWaitMs) {
        const bool pausedBefore = m_bPaused;
        const uint32_t sliceStart = GetTickCount32();
        if (thread->WaitFor(std::min(kSliceMs, m_nStageWaitMs - runningMs)))
            return;
        if (!pausedBefore && !m_bPaused)
            runningMs += GetTickCount32() - sliceStart;
    }
    // Never abandoned: it works on this task's copy and the next task resets
    // the ring buffers it uses. Told to stop, it ends at its next poll.
    m_bRunning = false;
    while (!thread->WaitFor(1000)) {
    }
}

bool CConvJob::StopStageThreads(unsigned millisecondsPerThread)
{
    bool allEnded = true;
    for (const CThreadSlot* slot : {&m_pProcessThread, &m_pEncoderThread, &m_pRunnerThread}) {
        const std::shared_ptr<CWorkerThread> thread = slot->Load();
        if (thread && !thread->WaitFor(millisecondsPerThread))
            allEnded = false;
    }
    return allEnded;
}

void CConvJob::PostLog(const QString& text, int severity) const
{
    m_wndTarget.PostMessage(WM_CONV_LOG, 0, severity, std::make_unique<TextPayload>(text));
}

void CConvJob::PostText(WPARAM control, const QString& text) const
{
    m_wndTarget.PostMessage(WM_CONV_SETTEXT, control, 0, std::make_unique<TextPayload>(text));
}

void PostLog(const QString& text, int severity)
{
    if (const CConvJob* job = g_pConvProg)
        job->PostLog(text, severity);
}

void WaitForJobsToEnd()
{
    std::shared_ptr<CWorkerThread> runner;
    {
        std::lock_guard lock(s_lastRunnerMutex);
        runner = s_pLastRunner;
    }
    if (!runner)
        return;
    // A winding-down stage may still ask the user-interface thread for a
    // message box, so that thread keeps handling queued events while it waits.
    const QCoreApplication* app = QCoreApplication::instance();
    const bool onEventThread = app && QThread::currentThread() == app->thread();
    while (!runner->WaitFor(onEventThread ? 10 : 1000)) {
        if (onEventThread)
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}
