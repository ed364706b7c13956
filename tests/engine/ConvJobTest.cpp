#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include "ConvJob.h"
#include "EngineGlobals.h"
#include "EngineMessages.h"
#include "RecordingJobWindow.h"
#include "Tick.h"

namespace {

const QString kDashLine(99, QLatin1Char('-'));

class ConvJobTest : public testing::Test
{
protected:
    void SetUp() override { CreateSampleRings(); }
    void TearDown() override
    {
        WaitForJobsToEnd();
        DestroySampleRings();
    }

    QString Path(const QString& relative) const
    {
        return m_dir.path() + QLatin1Char('/') + relative;
    }

    std::shared_ptr<CConvJob> MakeJob(const QStringList& destinations)
    {
        auto job = std::make_shared<CConvJob>();
        for (const QString& dest : destinations) {
            CConversionTask task;
            task.m_strSource = Path(QFileInfo(dest).completeBaseName() + QStringLiteral(".wma"));
            task.m_nSourceFormat = FORMAT_WMA;
            task.m_strDest = Path(dest);
            task.m_nDestFormat = FORMAT_MP3;
            task.m_nDestRate = 44100;
            task.m_nDestChannels = 2;
            job->m_arrTasks.push_back(task);
        }
        job->m_wndTarget = m_window.Target();
        // The stand-in stage "encodes" one second of audio into the output.
        job->m_fnDecodeTask = [this, raw = job.get()](CConversionTask& task) {
            m_arrDecoded.push_back(task.m_strDest);
            QFile out(task.m_strDest);
            if (!out.open(QIODevice::NewOnly))
                return false;
            raw->m_fTaskSecondsDone = 1.0f;
            raw->m_fSecondsDone = raw->m_fSecondsDone + 1.0f;
            return m_fnFailOn ? !m_fnFailOn(task) : true;
        };
        return job;
    }

    // Runs the job to its end and delivers every message it posted.
    void Run(const std::shared_ptr<CConvJob>& job)
    {
        job->Start();
        WaitForRunner(job);
    }

    void WaitForRunner(const std::shared_ptr<CConvJob>& job)
    {
        const std::shared_ptr<CWorkerThread> runner = job->m_pRunnerThread.Load();
        ASSERT_TRUE(ProcessEventsUntil([&] { return runner->WaitFor(0); }));
        QCoreApplication::sendPostedEvents();
    }

    QTemporaryDir m_dir;
    RecordingJobWindow m_window;
    QStringList m_arrDecoded;
    std::function<bool(const CConversionTask&)> m_fnFailOn;
};

TEST_F(ConvJobTest, OneTaskLogsItsLinesAndNoTotal)
{
    auto job = MakeJob({QStringLiteral("song.mp3")});
    Run(job);

    const QStringList log = m_window.Log();
    ASSERT_EQ(log.size(), 6) << log.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(log[0], kDashLine);
    EXPECT_EQ(log[1], QStringLiteral("Start a new converting task."));
    EXPECT_EQ(log[2], QStringLiteral("Source:  %1.").arg(Path(QStringLiteral("song.wma"))));
    EXPECT_EQ(log[3], QStringLiteral("Destination: %1.").arg(Path(QStringLiteral("song.mp3"))));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Time elapsed \\d+\\.\\d\\d secs, speed \\d+\\.\\d\\dx\\.$"))
                    .match(log[4])
                    .hasMatch())
        << log[4].toStdString();
    EXPECT_EQ(log[5], QStringLiteral("Converting status: OK."));

    const std::vector<RecordingJobWindow::Message>& m = m_window.messages;
    EXPECT_EQ(m.front().id, WM_CONV_PROGRESS);
    EXPECT_EQ(m[1].id, WM_CONV_SETTIMER);
    EXPECT_EQ(m[1].wParam, CONV_TIMER_ID);
    EXPECT_EQ(m[1].lParam, 1000);
    EXPECT_EQ(m.back().id, WM_CONV_FINISHED);
    EXPECT_EQ(m_window.Count(WM_CONV_FINISHED), 1);
    for (const RecordingJobWindow::Message& message : m) {
        if (message.id == WM_CONV_LOG) {
            EXPECT_EQ(message.lParam, LOG_INFO);
        }
    }

    QMap<WPARAM, QString> texts;
    for (const RecordingJobWindow::Message& message : m) {
        if (message.id == WM_CONV_SETTEXT)
            texts[message.wParam] = message.text;
    }
    EXPECT_EQ(texts.value(CONV_TEXT_TITLE), QStringLiteral("Converting 1/1"));
    EXPECT_EQ(texts.value(IDC_CONV_SOURCE), Path(QStringLiteral("song.wma")));
    EXPECT_EQ(texts.value(IDC_CONV_DEST), Path(QStringLiteral("song.mp3")));
}

TEST_F(ConvJobTest, SeveralTasksEndWithTheDashAndTotalLinesBeforeFinished)
{
    auto job = MakeJob({QStringLiteral("a.mp3"), QStringLiteral("b.mp3"), QStringLiteral("c.mp3")});
    // Each task starts with empty ring buffers, whatever the last one left.
    std::vector<uint32_t> availableAtStart;
    auto stage = job->m_fnDecodeTask;
    job->m_fnDecodeTask = [&, stage](CConversionTask& task) {
        availableAtStart.push_back(g_pDecodedRing->Available(0) + g_pProcessedRing->Available(0));
        const int leftover[3] = {1, 2, 3};
        g_pDecodedRing->Write(leftover, 3);
        g_pProcessedRing->Write(leftover, 3);
        return stage(task);
    };
    Run(job);

    const QStringList log = m_window.Log();
    ASSERT_GE(log.size(), 2);
    EXPECT_EQ(log.count(QStringLiteral("Converting status: OK.")), 3);
    EXPECT_EQ(log[log.size() - 2], kDashLine);
    EXPECT_TRUE(QRegularExpression(
                    QStringLiteral("^Total time elapsed \\d+\\.\\d\\d secs, overall speed \\d+\\.\\d\\dx\\.$"))
                    .match(log.back())
                    .hasMatch())
        << log.back().toStdString();
    EXPECT_EQ(m_window.messages.back().id, WM_CONV_FINISHED);
    EXPECT_EQ(availableAtStart, (std::vector<uint32_t>{0, 0, 0}));
    EXPECT_EQ(job->m_nCurrentTask, 3);
}

TEST_F(ConvJobTest, ExistingOutputsGetTheNextFreeNumber)
{
    struct Case
    {
        QStringList existing;
        QString written;
    };
    const QList<Case> cases = {
        {{QStringLiteral("song.mp3")}, QStringLiteral("song (2).mp3")},
        {{QStringLiteral("song.mp3"), QStringLiteral("song (2).mp3")}, QStringLiteral("song (3).mp3")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written.toStdString());
        for (const QString& name : QDir(m_dir.path()).entryList(QDir::Files))
            QFile::remove(Path(name));
        for (const QString& name : c.existing) {
            QFile file(Path(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        m_window.Clear();
        m_arrDecoded.clear();

        auto job = MakeJob({QStringLiteral("song.mp3")});
        Run(job);

        EXPECT_EQ(m_arrDecoded, QStringList{Path(c.written)});
        EXPECT_TRUE(m_window.Log().contains(QStringLiteral("Destination: %1.").arg(Path(c.written))));
        EXPECT_EQ(job->m_arrTasks[0].m_strDest, Path(QStringLiteral("song.mp3")));
        EXPECT_EQ(m_window.messages.back().id, WM_CONV_FINISHED);
    }
}

TEST_F(ConvJobTest, MissingDestinationFolderIsCreated)
{
    auto job = MakeJob({QStringLiteral("new/deeper/song.mp3")});
    Run(job);
    EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("new/deeper/song.mp3"))));
    EXPECT_EQ(m_window.messages.back().id, WM_CONV_FINISHED);
}

TEST_F(ConvJobTest, UncreatableFolderStopsTheJobAtThatTask)
{
    QFile blocker(Path(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    auto job = MakeJob({QStringLiteral("file/sub/a.mp3"), QStringLiteral("b.mp3")});
    Run(job);

    ASSERT_FALSE(m_window.messages.empty());
    const RecordingJobWindow::Message& last = m_window.messages.back();
    EXPECT_EQ(last.id, WM_CONV_LOG);
    EXPECT_EQ(last.lParam, LOG_ERROR);
    EXPECT_EQ(last.text, QStringLiteral("Fail to create folder %1 !").arg(Path(QStringLiteral("file/sub"))));
    EXPECT_TRUE(m_arrDecoded.isEmpty());
    EXPECT_EQ(m_window.Count(WM_CONV_FINISHED), 0);
    EXPECT_FALSE(job->m_bRunning);
}

TEST_F(ConvJobTest, DestinationWithoutAFolderFailsInsteadOfWritingHere)
{
    auto job = MakeJob({QStringLiteral("a.mp3")});
    job->m_arrTasks[0].m_strDest = QStringLiteral("a.mp3");
    Run(job);

    EXPECT_EQ(m_window.Log().back(), QStringLiteral("Fail to create folder  !"));
    EXPECT_TRUE(m_arrDecoded.isEmpty());
    EXPECT_EQ(m_window.Count(WM_CONV_FINISHED), 0);
}

TEST_F(ConvJobTest, FailureInTheSecondOfThreeTasksNeverStartsTheThird)
{
    struct Case
    {
        const char* name;
        std::function<bool(const CConversionTask&)> failOn;
        QStringList extraLog;
    };
    const QList<Case> cases = {
        {"stage fails", [](const CConversionTask& task) { return task.m_strDest.endsWith(QStringLiteral("b.mp3")); }, {}},
        {"stage throws",
         [](const CConversionTask& task) -> bool {
             if (task.m_strDest.endsWith(QStringLiteral("b.mp3")))
                 throw std::runtime_error("broken");
             return false;
         },
         {QStringLiteral("An error occurred while decoding %1")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const QString& name : QDir(m_dir.path()).entryList(QDir::Files))
            QFile::remove(Path(name));
        m_window.Clear();
        m_arrDecoded.clear();
        m_fnFailOn = c.failOn;

        auto job = MakeJob({QStringLiteral("a.mp3"), QStringLiteral("b.mp3"), QStringLiteral("c.mp3")});
        Run(job);

        EXPECT_EQ(m_arrDecoded, (QStringList{Path(QStringLiteral("a.mp3")), Path(QStringLiteral("b.mp3"))}));
        const QStringList log = m_window.Log();
        EXPECT_EQ(log.count(QStringLiteral("Converting status: OK.")), 1);
        EXPECT_EQ(log.back(), QStringLiteral("Converting status: ERROR."));
        EXPECT_EQ(m_window.messages.back().lParam, LOG_ERROR);
        for (const QString& line : c.extraLog)
            EXPECT_TRUE(log.contains(line.arg(Path(QStringLiteral("b.wma")))));
        EXPECT_EQ(m_window.Count(WM_CONV_FINISHED), 0);
        EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("a.mp3"))));
    }
}

TEST_F(ConvJobTest, MissingDecodingStageFailsTheTask)
{
    auto job = MakeJob({QStringLiteral("a.mp3")});
    job->m_fnDecodeTask = nullptr;
    Run(job);
    EXPECT_EQ(m_window.Log().back(), QStringLiteral("Converting status: ERROR."));
    EXPECT_EQ(m_window.Count(WM_CONV_FINISHED), 0);
}

TEST_F(ConvJobTest, EmptyJobFinishesAtOnce)
{
    auto job = MakeJob({});
    Run(job);
    EXPECT_TRUE(m_window.Log().isEmpty());
    EXPECT_EQ(m_window.messages.back().id, WM_CONV_FINISHED);
}

// A stage thread that the task started: "encodes" until upstream is done or
// the job stops, then marks what it saw.
struct FakeEncoder
{
    std::atomic<bool> ended{false};
    std::atomic<bool> sawStop{false};
    std::atomic<bool> release{false};
    bool honourRelease = false;

    bool Start(CConvJob& job, CConversionTask& task)
    {
        task.m_bDecoding = true;
        auto thread = std::make_shared<CWorkerThread>([this, &job, &task] {
            task.m_bEncoding = true;
            while (job.m_bRunning && !(honourRelease && release))
                SleepMs(1);
            sawStop = !job.m_bRunning;
            task.m_bEncoding = false;
            ended = true;
            return 0u;
        });
        job.m_pEncoderThread.Store(thread);
        thread->Resume();
        task.m_bDecoding = false;
        return true;
    }
};

TEST_F(ConvJobTest, RunnerWaitsForAStageThreadAndStopsOneThatOverstays)
{
    FakeEncoder encoder;
    auto job = MakeJob({QStringLiteral("a.mp3"), QStringLiteral("b.mp3")});
    job->m_nStageWaitMs = 100;
    job->m_fnDecodeTask = [&](CConversionTask& task) { return encoder.Start(*job, task); };
    Run(job);

    EXPECT_TRUE(encoder.ended);
    EXPECT_TRUE(encoder.sawStop);
    EXPECT_EQ(m_window.Log().back(), QStringLiteral("Converting status: ERROR."));
    EXPECT_EQ(m_window.Log().count(QStringLiteral("Start a new converting task.")), 1);
    EXPECT_EQ(g_pCurrentTask, nullptr);
}

TEST_F(ConvJobTest, TimePausedDoesNotCountTowardsTheStageWait)
{
    // An encoder that idles while the job is paused, as the real one does.
    std::atomic<bool> decoded{false};
    auto job = MakeJob({QStringLiteral("a.mp3"), QStringLiteral("b.mp3")});
    job->m_nStageWaitMs = 100;
    job->m_fnDecodeTask = [&](CConversionTask& task) {
        auto thread = std::make_shared<CWorkerThread>([&job = *job, &task] {
            task.m_bEncoding = true;
            while (job.m_bRunning && job.m_bPaused)
                SleepMs(1);
            task.m_bEncoding = false;
            return 0u;
        });
        job->m_pEncoderThread.Store(thread);
        thread->Resume();
        decoded = true;
        return true;
    };
    job->Start();
    job->m_bPaused = true;
    ASSERT_TRUE(ProcessEventsUntil([&] { return decoded.load(); }));

    // Held well past the bound, by this test's own clock.
    const uint32_t pausedAt = GetTickCount32();
    ASSERT_TRUE(ProcessEventsUntil([&] { return GetTickCount32() - pausedAt > 5 * job->m_nStageWaitMs; }));
    EXPECT_TRUE(job->m_bRunning);
    job->m_bPaused = false;
    WaitForRunner(job);

    EXPECT_EQ(m_window.Log().count(QStringLiteral("Converting status: OK.")), 2);
    EXPECT_EQ(m_window.Log().count(QStringLiteral("Converting status: ERROR.")), 0);
    EXPECT_EQ(m_window.messages.back().id, WM_CONV_FINISHED);
}

TEST_F(ConvJobTest, StartSetsTheJobAndTaskTicks)
{
    // A job that never ran, with the window's start delay still ahead of
    // its runner.
    auto job = MakeJob({QStringLiteral("a.mp3")});
    const uint32_t before = GetTickCount32();
    job->Start();
    const uint32_t jobStart = job->m_dwJobStart;
    const uint32_t taskStart = job->m_dwTaskStart;
    const uint32_t after = GetTickCount32();
    EXPECT_LE(jobStart - before, after - before);
    EXPECT_LE(taskStart - before, after - before);
    WaitForRunner(job);
}

TEST_F(ConvJobTest, StopStageThreadsWaitsBoundedAndNeverKills)
{
    FakeEncoder encoder;
    encoder.honourRelease = true;
    std::atomic<bool> decoding{false};
    auto job = MakeJob({QStringLiteral("a.mp3")});
    job->m_fnDecodeTask = [&](CConversionTask& task) {
        encoder.Start(*job, task);
        decoding = true;
        return true;
    };
    job->Start();
    ASSERT_TRUE(ProcessEventsUntil([&] { return decoding.load(); }));

    EXPECT_FALSE(job->StopStageThreads(20));
    EXPECT_FALSE(encoder.ended);
    encoder.release = true;
    EXPECT_TRUE(ProcessEventsUntil([&] { return job->StopStageThreads(20); }));
    EXPECT_TRUE(encoder.ended);
    EXPECT_FALSE(encoder.sawStop);
}

TEST_F(ConvJobTest, JobOutlivesItsWindowWhileTheRunnerRuns)
{
    std::atomic<bool> inStage{false};
    std::atomic<bool> release{false};
    auto job = MakeJob({QStringLiteral("a.mp3")});
    job->m_fnDecodeTask = [&](CConversionTask&) {
        inStage = true;
        while (!release)
            SleepMs(1);
        return true;
    };
    job->Start();
    ASSERT_TRUE(ProcessEventsUntil([&] { return inStage.load(); }));
    EXPECT_EQ(g_pConvProg, job.get());

    // The window closes and lets go of its job.
    const std::weak_ptr<CConvJob> weak = job;
    job->m_bRunning = false;
    job.reset();
    EXPECT_FALSE(weak.expired());

    release = true;
    WaitForJobsToEnd();
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(g_pConvProg, nullptr);
}

TEST_F(ConvJobTest, NewJobStartsOnlyAfterThePreviousRunnerEnded)
{
    std::atomic<bool> inStage{false};
    std::atomic<bool> release{false};
    auto first = MakeJob({QStringLiteral("a.mp3")});
    first->m_fnDecodeTask = [&](CConversionTask&) {
        inStage = true;
        while (!release)
            SleepMs(1);
        return true;
    };
    first->Start();
    ASSERT_TRUE(ProcessEventsUntil([&] { return inStage.load(); }));
    const std::shared_ptr<CWorkerThread> firstRunner = first->m_pRunnerThread.Load();
    first->m_bRunning = false;
    first.reset();

    // Released from a timer, which fires while the second Start waits.
    QTimer::singleShot(50, [&] { release = true; });
    auto second = MakeJob({QStringLiteral("b.mp3")});
    second->Start();
    EXPECT_TRUE(firstRunner->WaitFor(0));
    EXPECT_EQ(g_pConvProg, second.get());
    const std::shared_ptr<CWorkerThread> runner = second->m_pRunnerThread.Load();
    ASSERT_TRUE(ProcessEventsUntil([&] { return runner->WaitFor(0); }));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(m_window.messages.back().id, WM_CONV_FINISHED);
}

} // namespace
