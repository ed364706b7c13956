#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyleOptionViewItem>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "AppSettings.h"
#include "AudioFixtures.h"
#include "ComResult.h"
#include "ConvJob.h"
#include "ConvProg.h"
#include "ConvProgTemplate.h"
#include "EngineGlobals.h"
#include "EngineMessages.h"
#include "Mp3Inspection.h"
#include "ScriptedInteraction.h"
#include "TaskBuilder.h"
#include "Tick.h"
#include "WMAFile2.h"

// The progress window running real jobs on WMA fixtures made by FFmpeg, with
// the interaction seam answering its questions.

namespace {

constexpr int kJobTimeoutMs = 120000;

bool ProcessEventsUntil(const std::function<bool()>& done, int timeoutMs = kJobTimeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        SleepMs(1);
    }
    return true;
}

bool Ended(const CThreadSlot& slot)
{
    const auto thread = slot.Load();
    return !thread || !thread->IsRunning();
}

bool AllThreadsEnded(const CConvJob& job)
{
    return Ended(job.m_pRunnerThread) && Ended(job.m_pProcessThread) && Ended(job.m_pEncoderThread);
}

// Records the job's state when the Cancel question is asked.
class CancelAnswers : public ScriptedInteraction
{
public:
    int MessageBox(QWidget* parent, const QString& text, const QString& caption,
                   unsigned type) override
    {
        if (const CConvJob* job = g_pConvProg) {
            bPausedWhenAsked = job->m_bPaused;
            nSamplesWhenAsked = job->m_nSamplesDone;
        }
        return ScriptedInteraction::MessageBox(parent, text, caption, type);
    }

    bool bPausedWhenAsked = false;
    uint64_t nSamplesWhenAsked = 0;
};

class ConvProgTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(SUCCEEDED(CreateWMAFile2(m_pDecoder)));
        g_pWMAFile = m_pDecoder.get();
        CreateSampleRings();
        m_strOut = m_dir.filePath(QStringLiteral("out")) + QDir::separator();
        AppSettings.DesDir = m_strOut;
    }

    void TearDown() override
    {
        m_pDlg.reset();
        WaitForJobsToEnd();
        DestroySampleRings();
        g_pWMAFile = nullptr;
    }

    QString MakeWma(const QString& name, double seconds)
    {
        AudioFixtures::Signal signal;
        signal.seconds = seconds;
        signal.toneHz = {440.0};
        QString error;
        const QString path = AudioFixtures::MakeWma(m_dir.path(), name, signal, {}, &error);
        EXPECT_FALSE(path.isEmpty()) << error.toStdString();
        return path;
    }

    CConversionTask Task(const QString& source)
    {
        SourceDetails details;
        EXPECT_TRUE(SUCCEEDED(ReadSourceDetails(*m_pDecoder, source, details)));
        OutputSettings settings;
        settings.strDesDir = m_strOut;
        return BuildConversionTask(details, settings);
    }

    CConvProg& Open(std::vector<CConversionTask> tasks)
    {
        m_pDlg = std::make_unique<CConvProg>(std::move(tasks));
        m_pDlg->show();
        return *m_pDlg;
    }

    QString Text(int nID) const
    {
        QWidget* control = m_pDlg->GetDlgItem(nID);
        if (auto* label = qobject_cast<QLabel*>(control))
            return label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(control))
            return button->text();
        return {};
    }

    int Bar(int nID) const { return qobject_cast<QProgressBar*>(m_pDlg->GetDlgItem(nID))->value(); }
    QTreeWidget* Log() const { return qobject_cast<QTreeWidget*>(m_pDlg->GetDlgItem(IDC_PROG_LOG)); }
    QString LastLine(int nFromEnd = 0) const
    {
        const int n = Log()->topLevelItemCount();
        return n > nFromEnd ? Log()->topLevelItem(n - 1 - nFromEnd)->text(3) : QString();
    }

    void Click(int nID) { QTest::mouseClick(m_pDlg->GetDlgItem(nID), Qt::LeftButton); }

    bool WaitFinished()
    {
        return ProcessEventsUntil([this] { return m_pDlg->windowTitle() == QStringLiteral("Finished Converting"); });
    }

    // Pauses the encoder at once and lets it go on until it has encoded a
    // little, so a question finds the job in the middle of a file.
    void PauseMidway()
    {
        CConvJob& job = *m_pDlg->Job();
        Click(IDC_PROG_PAUSE);
        ASSERT_EQ(Text(IDC_PROG_PAUSE), QStringLiteral("Resume"));
        Click(IDC_PROG_PAUSE);
        QDeadlineTimer deadline(kJobTimeoutMs);
        while (job.m_nTaskSamplesDone == 0 && !deadline.hasExpired())
            YieldThread();
        Click(IDC_PROG_PAUSE);
        ASSERT_TRUE(job.m_bPaused);
        ASSERT_GT(job.m_nTaskSamplesDone, 0u);
    }

    static AudioFixtures::DecodedAudio Decode(const QString& path)
    {
        QString error;
        AudioFixtures::DecodedAudio audio = AudioFixtures::Decode(path, &error);
        EXPECT_TRUE(audio.IsValid()) << error.toStdString();
        return audio;
    }

    QTemporaryDir m_dir;
    QString m_strOut;
    std::unique_ptr<WMAFile2> m_pDecoder;
    std::unique_ptr<CConvProg> m_pDlg;
};

TEST_F(ConvProgTest, TwoFileJobRunsModallyToTheFinishedState)
{
    CancelAnswers answers;
    ScopedInteraction seam(&answers);
    const QString first = MakeWma(QStringLiteral("First.wma"), 3.0);
    const QString second = MakeWma(QStringLiteral("Second.wma"), 2.0);
    m_pDlg = std::make_unique<CConvProg>(std::vector<CConversionTask>{Task(first), Task(second)});
    CConvProg& dlg = *m_pDlg;

    // The user-interface thread's longest stretch without handling a timer.
    QElapsedTimer clock;
    qint64 nLastTick = 0;
    qint64 nLongestGapMs = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, &ticker, [&] {
        const qint64 now = clock.elapsed();
        nLongestGapMs = std::max(nLongestGapMs, now - nLastTick);
        nLastTick = now;
    });

    bool bFinished = false;
    QStringList finishedState;
    answers.dialogHandler = [&](QDialog* shown) {
        shown->show();
        clock.start();
        ticker.start(5);
        bFinished = WaitFinished();
        ticker.stop();
        finishedState = {Text(IDC_PROG_TASK_DONE), Text(IDC_PROG_JOB_DONE), Text(IDC_PROG_PAUSE),
                         Text(IDC_PROG_CANCEL), Text(IDC_PROG_TASK_LEFT), Text(IDC_PROG_JOB_LEFT)};
        EXPECT_EQ(Bar(IDC_PROG_BAR_TASK), 100);
        EXPECT_EQ(Bar(IDC_PROG_BAR_JOB), 100);
        Click(IDC_PROG_PAUSE);
        Click(IDC_PROG_CANCEL);
        return shown->result();
    };

    EXPECT_EQ(dlg.DoModal(), QDialog::Rejected);
    ASSERT_TRUE(bFinished);
    std::printf("[ measure  ] longest gap between 5 ms timer ticks during the job: %lld ms\n",
                static_cast<long long>(nLongestGapMs));
    // Generous: sanitizer builds on a shared machine stall now and then.
    EXPECT_LT(nLongestGapMs, 2000);

    EXPECT_EQ(finishedState, (QStringList{QStringLiteral("100.00%"), QStringLiteral("100.00%"),
                                          QStringLiteral("Open Dir"), QStringLiteral("Finish"),
                                          QStringLiteral("00:00:00"), QStringLiteral("00:00:00")}));
    EXPECT_TRUE(answers.boxes.isEmpty());
    EXPECT_EQ(answers.openedItems, QStringList{m_strOut});
    EXPECT_FALSE(dlg.isVisible());

    // The log: numbered consecutively, the total line and the closing line last.
    QTreeWidget* log = qobject_cast<QTreeWidget*>(dlg.GetDlgItem(IDC_PROG_LOG));
    const int nRows = log->topLevelItemCount();
    ASSERT_GE(nRows, 3);
    const unsigned nFirst = log->topLevelItem(0)->text(1).trimmed().toUInt();
    for (int nRow = 0; nRow < nRows; ++nRow) {
        EXPECT_EQ(log->topLevelItem(nRow)->text(1), QString::asprintf("%03u ", nFirst + unsigned(nRow)));
        EXPECT_EQ(log->topLevelItem(nRow)->data(0, Qt::UserRole).toInt(), LOG_INFO);
    }
    EXPECT_EQ(log->topLevelItem(nRows - 1)->text(3), QStringLiteral("Finished converting, all done"));
    EXPECT_TRUE(log->topLevelItem(nRows - 2)->text(3).startsWith(QStringLiteral("Total time elapsed ")));

    for (const QString& name : {QStringLiteral("First"), QStringLiteral("Second")}) {
        const QString output = m_strOut + name + QStringLiteral(".mp3");
        bool bComplete = false;
        EXPECT_GT(Mp3Inspection::ParseFrames(Mp3Inspection::ReadAll(output), &bComplete).size(), 50u);
        EXPECT_TRUE(bComplete) << output.toStdString();
        EXPECT_GT(Decode(output).Frames(), 44100u);
    }
}

TEST_F(ConvProgTest, CancelAnsweredNoResumesTheJobWhereItWas)
{
    CancelAnswers answers;
    answers.boxAnswers = {IDNO};
    ScopedInteraction seam(&answers);
    const QString source = MakeWma(QStringLiteral("Song.wma"), 4.0);
    CConvProg& dlg = Open({Task(source)});
    PauseMidway();
    const uint64_t nPausedAt = dlg.Job()->m_nSamplesDone;

    Click(IDC_PROG_CANCEL);
    ASSERT_EQ(answers.boxes.size(), 1);
    EXPECT_EQ(answers.boxes[0].text, QStringLiteral("Do You Want to Cancel?"));
    EXPECT_EQ(answers.boxes[0].type & 0x0F, unsigned(MB_YESNO));
    EXPECT_TRUE(answers.bPausedWhenAsked);
    EXPECT_GE(answers.nSamplesWhenAsked, nPausedAt);
    EXPECT_LT(answers.nSamplesWhenAsked, dlg.Job()->m_nSamplesTotal);
    EXPECT_FALSE(dlg.Job()->m_bPaused);
    EXPECT_EQ(Text(IDC_PROG_PAUSE), QStringLiteral("Pause"));
    EXPECT_TRUE(dlg.isVisible());

    ASSERT_TRUE(WaitFinished());
    ASSERT_TRUE(ProcessEventsUntil([&] { return AllThreadsEnded(*dlg.Job()); }));

    // Complete and continuous: as long as the source, the tone everywhere.
    const AudioFixtures::DecodedAudio in = Decode(source);
    const AudioFixtures::DecodedAudio out = Decode(m_strOut + QStringLiteral("Song.mp3"));
    EXPECT_NEAR(double(out.Frames()), double(in.Frames()), 1152.0);
    const size_t nWindow = 2048;
    for (size_t nFirst = 2048; nFirst + 2 * nWindow < out.Frames(); nFirst += nWindow) {
        const double dAmplitude = AudioFixtures::ToneAmplitude(out, 0, 440.0, nFirst, nWindow);
        ASSERT_NEAR(dAmplitude, 0.5, 0.1) << "at frame " << nFirst;
    }
}

TEST_F(ConvProgTest, CancelAnsweredYesEndsWithinBoundsLeavingAPlayablePartialFile)
{
    CancelAnswers answers;
    answers.boxAnswers = {IDYES};
    ScopedInteraction seam(&answers);
    const QString source = MakeWma(QStringLiteral("Song.wma"), 4.0);
    CConvProg& dlg = Open({Task(source)});
    PauseMidway();
    const std::shared_ptr<CConvJob> job = dlg.Job();

    QElapsedTimer clock;
    clock.start();
    Click(IDC_PROG_CANCEL);
    const qint64 nCancelMs = clock.elapsed();

    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Aborting, Please Wait..."));
    EXPECT_FALSE(dlg.GetDlgItem(IDC_PROG_PAUSE)->isEnabled());
    EXPECT_FALSE(dlg.GetDlgItem(IDC_PROG_CANCEL)->isEnabled());
    EXPECT_TRUE(job->m_bAborted);
    EXPECT_FALSE(job->m_bRunning);
    // Three bounded waits of one second at most.
    EXPECT_LT(nCancelMs, 3000);
    EXPECT_TRUE(AllThreadsEnded(*job));

    const QString output = m_strOut + QStringLiteral("Song.mp3");
    bool bComplete = false;
    const auto frames = Mp3Inspection::ParseFrames(Mp3Inspection::ReadAll(output), &bComplete);
    EXPECT_TRUE(bComplete);
    EXPECT_GT(frames.size(), 1u);
    const AudioFixtures::DecodedAudio in = Decode(source);
    const AudioFixtures::DecodedAudio out = Decode(output);
    EXPECT_GT(out.Frames(), 0u);
    EXPECT_LT(out.Frames(), in.Frames());
}

TEST_F(ConvProgTest, VanishedSourceLeavesTheWindowOpenInItsErrorState)
{
    ScriptedInteraction answers;
    ScopedInteraction seam(&answers);
    const QString first = MakeWma(QStringLiteral("First.wma"), 2.0);
    const QString second = MakeWma(QStringLiteral("Second.wma"), 2.0);
    std::vector<CConversionTask> tasks{Task(first), Task(second)};
    ASSERT_TRUE(QFile::remove(first));
    CConvProg& dlg = Open(std::move(tasks));

    ASSERT_TRUE(ProcessEventsUntil([&] {
        return AllThreadsEnded(*dlg.Job()) && LastLine() == QStringLiteral("Converting status: ERROR.");
    }));
    QCoreApplication::processEvents();
    EXPECT_EQ(LastLine(), QStringLiteral("Converting status: ERROR."));
    EXPECT_TRUE(LastLine(1).startsWith(QStringLiteral("File Error: ")));
    EXPECT_EQ(Log()->topLevelItem(Log()->topLevelItemCount() - 1)->data(0, Qt::UserRole).toInt(), LOG_ERROR);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Converting 1/2"));
    // The last figures: the zero progress every job starts with.
    EXPECT_EQ(Text(IDC_PROG_TASK_DONE), QStringLiteral(" 0.00%"));
    EXPECT_EQ(Text(IDC_PROG_PAUSE), QStringLiteral("Pause"));
    EXPECT_EQ(Text(IDC_PROG_CANCEL), QStringLiteral("Cancel"));
    EXPECT_FALSE(QFile::exists(m_strOut + QStringLiteral("Second.mp3")));

    Click(IDC_PROG_PAUSE);
    EXPECT_EQ(answers.openedItems, QStringList{m_strOut});
    EXPECT_TRUE(dlg.isVisible());
    Click(IDC_PROG_CANCEL);
    EXPECT_TRUE(answers.boxes.isEmpty());
    EXPECT_FALSE(dlg.isVisible());
}

TEST_F(ConvProgTest, LogNumbersGoOnAcrossWindowsAndAfterClear)
{
    ScriptedInteraction answers;
    ScopedInteraction seam(&answers);
    const QRegularExpression numbered(QStringLiteral("^\\d{3,} $"));
    const auto number = [this](int nRow) { return Log()->topLevelItem(nRow)->text(1).trimmed().toUInt(); };

    // A job without tasks finishes at once with its closing line.
    Open({});
    ASSERT_TRUE(WaitFinished());
    ASSERT_EQ(Log()->topLevelItemCount(), 1);
    EXPECT_TRUE(numbered.match(Log()->topLevelItem(0)->text(1)).hasMatch());
    const unsigned nFirst = number(0);
    Click(IDC_PROG_CLEAR);
    EXPECT_EQ(Log()->topLevelItemCount(), 0);
    m_pDlg->Target().PostMessage(WM_CONV_LOG, 0, LOG_ERROR,
                                 std::make_unique<TextPayload>(QStringLiteral("after clear")));
    ASSERT_TRUE(ProcessEventsUntil([this] { return Log()->topLevelItemCount() == 1; }));
    EXPECT_EQ(number(0), nFirst + 1);
    EXPECT_EQ(LastLine(), QStringLiteral("after clear"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$"))
                    .match(Log()->topLevelItem(0)->text(2)).hasMatch());
    Click(IDC_PROG_CANCEL);

    Open({});
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(number(0), nFirst + 2);
}

TEST_F(ConvProgTest, PercentAboveHundredShowsAFullBarAndTimesFollowEveryTenthMessage)
{
    CancelAnswers answers;
    answers.boxAnswers = {IDYES};
    ScopedInteraction seam(&answers);
    CConvProg& dlg = Open({Task(MakeWma(QStringLiteral("Song.wma"), 2.0))});
    // Held at the start of its file: nothing but the test moves the figures.
    Click(IDC_PROG_PAUSE);
    ASSERT_TRUE(ProcessEventsUntil([&] {
        return dlg.windowTitle() == QStringLiteral("Converting 1/1")
            && static_cast<uint32_t>(GetTickCount32() - dlg.Job()->m_dwTaskStart) > 200;
    }));

    for (int n = 0; n < 10; ++n)
        dlg.Target().PostMessage(WM_CONV_PROGRESS, 0, 0, std::make_unique<ProgressPayload>(ConvProgress{150.0f, 120.0f}));
    QCoreApplication::processEvents();
    EXPECT_EQ(Text(IDC_PROG_TASK_DONE), QStringLiteral("100.00%"));
    EXPECT_EQ(Text(IDC_PROG_JOB_DONE), QStringLiteral("100.00%"));
    EXPECT_EQ(Bar(IDC_PROG_BAR_TASK), 100);
    EXPECT_EQ(Bar(IDC_PROG_BAR_JOB), 100);
    // One of ten consecutive messages is a tenth one.
    EXPECT_EQ(Text(IDC_PROG_TASK_SPEED), QStringLiteral("  0.00x"));
    EXPECT_EQ(Text(IDC_PROG_JOB_SPEED), QStringLiteral("  0.00x"));

    dlg.Target().PostMessage(WM_CONV_PROGRESS, 0, 0, std::make_unique<ProgressPayload>(ConvProgress{7.5f, 3.25f}));
    QCoreApplication::processEvents();
    EXPECT_EQ(Text(IDC_PROG_TASK_DONE), QStringLiteral(" 7.50%"));
    EXPECT_EQ(Text(IDC_PROG_JOB_DONE), QStringLiteral(" 3.25%"));
    EXPECT_EQ(Bar(IDC_PROG_BAR_TASK), 7);
    EXPECT_EQ(Bar(IDC_PROG_BAR_JOB), 3);

    Click(IDC_PROG_CANCEL);
    EXPECT_FALSE(dlg.isVisible());
}

TEST_F(ConvProgTest, EscAndEnterDoNothingAndTheCloseBoxAsksLikeCancel)
{
    ScriptedInteraction answers;
    answers.boxAnswers = {IDNO, IDYES};
    ScopedInteraction seam(&answers);
    CConvProg& dlg = Open({Task(MakeWma(QStringLiteral("Song.wma"), 2.0))});
    Click(IDC_PROG_PAUSE);

    for (QWidget* target : {static_cast<QWidget*>(&dlg), dlg.GetDlgItem(IDC_PROG_PAUSE),
                            dlg.GetDlgItem(IDC_PROG_CANCEL), dlg.GetDlgItem(IDC_PROG_LOG)}) {
        target->setFocus();
        for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter})
            QTest::keyClick(target, key);
    }
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(answers.boxes.isEmpty());
    EXPECT_EQ(Text(IDC_PROG_PAUSE), QStringLiteral("Resume"));

    dlg.close();
    EXPECT_EQ(answers.boxes.size(), 1);
    EXPECT_TRUE(dlg.isVisible());
    dlg.close();
    EXPECT_EQ(answers.boxes.size(), 2);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_TRUE(AllThreadsEnded(*dlg.Job()));
}

TEST_F(ConvProgTest, LogListHasItsColumnsAndColours)
{
    ScriptedInteraction answers;
    ScopedInteraction seam(&answers);
    Open({});
    const QHeaderView* header = Log()->header();
    ASSERT_EQ(Log()->columnCount(), 4);
    EXPECT_TRUE(header->isSectionHidden(0));
    EXPECT_EQ(Log()->headerItem()->text(1), QStringLiteral("#"));
    EXPECT_EQ(Log()->headerItem()->text(2), QStringLiteral("Time"));
    EXPECT_EQ(Log()->headerItem()->text(3), QStringLiteral("Description"));
    EXPECT_EQ(header->sectionSize(1), 55);
    EXPECT_EQ(header->sectionSize(2), 63);
    EXPECT_FALSE(header->sectionsClickable());
    EXPECT_FALSE(m_pDlg->windowIcon().isNull());

    struct Case
    {
        int nRow;
        int nSeverity;
        QColor background;
        QColor text;
    };
    for (const Case& c : {Case{0, LOG_INFO, Qt::white, QColor(0, 0, 255)},
                          Case{1, LOG_INFO, QColor(243, 245, 252), QColor(0, 0, 255)},
                          Case{2, LOG_ERROR, Qt::white, QColor(255, 0, 0)},
                          Case{3, LOG_ERROR, QColor(243, 245, 252), QColor(255, 0, 0)}}) {
        QStyleOptionViewItem option;
        CConvProg::OnLogCustomDraw(c.nRow, c.nSeverity, option);
        EXPECT_EQ(option.backgroundBrush.color(), c.background) << c.nRow;
        EXPECT_EQ(option.palette.color(QPalette::Text), c.text) << c.nRow;
    }
    ASSERT_TRUE(WaitFinished());
}

// Not a check: renders the window during a job and once finished to PNG
// files for a reviewer, into $MARLUNE_LOOK_DIR (a temporary folder without it).
TEST_F(ConvProgTest, LookRendersTheWindowToPng)
{
    ScriptedInteraction answers;
    ScopedInteraction seam(&answers);
    const QByteArray lookDir = qgetenv("MARLUNE_LOOK_DIR");
    const QString folder = lookDir.isEmpty() ? m_dir.path() : QString::fromLocal8Bit(lookDir);
    ASSERT_TRUE(QDir().mkpath(folder));

    CConvProg& dlg = Open({Task(MakeWma(QStringLiteral("A Rather Long Song Title.wma"), 4.0)),
                           Task(MakeWma(QStringLiteral("Second.wma"), 2.0))});
    PauseMidway();
    // Figures as a running job shows them: ten messages make one a tenth.
    for (int n = 0; n < 10; ++n)
        dlg.Target().PostMessage(WM_CONV_PROGRESS, 0, 0,
                                 std::make_unique<ProgressPayload>(ConvProgress{37.25f, 24.5f}));
    ASSERT_TRUE(ProcessEventsUntil([this] { return Text(IDC_PROG_TASK_DONE) == QStringLiteral("37.25%"); }));
    const QString running = folder + QStringLiteral("/convprog-running.png");
    EXPECT_TRUE(dlg.grab().save(running));

    Click(IDC_PROG_PAUSE);
    ASSERT_TRUE(WaitFinished());
    const QString finished = folder + QStringLiteral("/convprog-finished.png");
    EXPECT_TRUE(dlg.grab().save(finished));
    dlg.resize(dlg.width() * 3 / 2, dlg.height() * 5 / 4);
    QCoreApplication::processEvents();
    const QString resized = folder + QStringLiteral("/convprog-resized.png");
    EXPECT_TRUE(dlg.grab().save(resized));
    const QString written = QStringList{running, finished, resized}.join(QLatin1Char(' '));
    std::printf("[ look     ] %s\n", qPrintable(written));
    Click(IDC_PROG_CANCEL);
}

} // namespace
