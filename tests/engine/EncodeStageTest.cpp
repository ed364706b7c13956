#include <csignal>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include <sys/resource.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include "AppSettings.h"
#include "ConvJob.h"
#include "EncodeStage.h"
#include "EngineGlobals.h"
#include "EngineMessages.h"
#include "RecordingJobWindow.h"
#include "LameLibrary.h"
#include "Mp3Inspection.h"
#include "ScriptedInteraction.h"
#include "Tick.h"
#include "WorkerThread.h"

namespace {

using namespace Mp3Inspection;

constexpr int kAmplitude = 10000;

// Answers the boxes and notes whether the job was still running when each
// was shown.
class BoxAnswers : public ScriptedInteraction
{
public:
    int MessageBox(QWidget* parent, const QString& text, const QString& caption,
                   unsigned type) override
    {
        runningWhenAsked.push_back(g_pConvProg && g_pConvProg->m_bRunning);
        return ScriptedInteraction::MessageBox(parent, text, caption, type);
    }
    std::vector<bool> runningWhenAsked;
};

// A stereo signal keeps a 1 kHz tone on the left and 500 Hz on the right,
// so a swap of channels shows.
std::vector<int> Sine(int rate, int channels, qsizetype frames, qsizetype firstFrame = 0)
{
    std::vector<int> values;
    values.reserve(size_t(frames * channels));
    for (qsizetype i = firstFrame; i < firstFrame + frames; ++i) {
        const double t = double(i) / rate;
        values.push_back(int(std::lround(kAmplitude * std::sin(2 * M_PI * 1000 * t))) * 65536);
        if (channels == 2)
            values.push_back(int(std::lround(kAmplitude * std::sin(2 * M_PI * 500 * t))) * 65536);
    }
    return values;
}

QString TestModules(const char* variant)
{
    return QStringLiteral(MARLUNE_BIN_DIR "/test-modules/") + QLatin1String(variant);
}

class EncodeStageTest : public testing::Test
{
protected:
    void SetUp() override
    {
        CreateSampleRings();
        g_pProcessedRing->Reset();
        m_job = std::make_shared<CConvJob>();
        m_job->m_wndTarget = m_window.Target();
        g_pConvProg = m_job.get();
        m_job->m_bRunning = true;
        AppSettings.LameBits = DEFAULT_LAME_BITS;
    }

    void TearDown() override
    {
        if (m_thread) {
            EXPECT_TRUE(ProcessEventsUntil([this] { return !m_thread->IsRunning(); }));
        }
        CLameLibrary::SetModuleFolder({});
        g_pConvProg = nullptr;
        DestroySampleRings();
    }

    void MakeTask(int rate, int channels, qsizetype frames)
    {
        m_task.m_strDest = m_dir.filePath(QStringLiteral("out.mp3"));
        m_task.m_nDestFormat = FORMAT_MP3;
        m_task.m_nDestRate = rate;
        m_task.m_nDestChannels = channels;
        m_task.m_nTotalSamples = uint64_t(frames * channels);
        m_task.m_pEncoderInput = g_pProcessedRing;
        m_task.m_bProcessing = true;
        m_job->m_nSamplesTotal = m_task.m_nTotalSamples;
    }

    void Start()
    {
        m_thread = std::make_shared<CWorkerThread>([this] { return EncodeTask(&m_task); });
        m_thread->Resume();
    }

    // Writes the values as the processing stage would, a piece at a time.
    void Feed(const std::vector<int>& values, size_t piece = 8192)
    {
        for (size_t done = 0; done < values.size();) {
            const auto n = uint32_t(std::min(piece, values.size() - done));
            const uint32_t written = g_pProcessedRing->Write(values.data() + done, n);
            done += written;
            QCoreApplication::processEvents();
            if (written < n)
                QThread::msleep(1);
        }
    }

    void EndUpstreamAndWait()
    {
        m_task.m_bProcessing = false;
        ASSERT_TRUE(ProcessEventsUntil([this] { return !m_thread->IsRunning(); }));
        // Posted messages still queued are delivered.
        QCoreApplication::processEvents();
    }

    RecordingJobWindow m_window;
    std::shared_ptr<CConvJob> m_job;
    CConversionTask m_task;
    std::shared_ptr<CWorkerThread> m_thread;
    QTemporaryDir m_dir;
};

struct BitrateCase
{
    int rate;
    int channels;
    int16_t lameBits;
    int kbps;
    bool tagFits;
};

void PrintTo(const BitrateCase& c, std::ostream* os)
{
    *os << c.rate << "Hz_" << c.channels << "ch_" << c.kbps << "kbps";
}

class EncodeStageBitrates : public EncodeStageTest, public testing::WithParamInterface<BitrateCase>
{
};

TEST_P(EncodeStageBitrates, EncodesTheStreamAtTheSettingsBitrate)
{
    const BitrateCase c = GetParam();
    AppSettings.LameBits = c.lameBits;
    const qsizetype frames = qsizetype(c.rate) * 3;
    MakeTask(c.rate, c.channels, frames);
    Start();
    Feed(Sine(c.rate, c.channels, frames));
    EndUpstreamAndWait();

    EXPECT_TRUE(m_job->m_bRunning);
    EXPECT_TRUE(m_window.log.empty()) << m_window.Log().join(u'\n').toStdString();
    EXPECT_FALSE(m_task.m_bEncoding);
    EXPECT_EQ(m_job->m_nTaskSamplesDone, m_task.m_nTotalSamples);
    EXPECT_EQ(m_job->m_nSamplesDone, m_task.m_nTotalSamples);
    EXPECT_NEAR(m_job->m_fTaskSecondsDone, 3.0f, 1e-3f);

    const QByteArray data = ReadAll(m_task.m_strDest);
    bool complete = false;
    const std::vector<Frame> mp3 = ParseFrames(data, &complete);
    ASSERT_TRUE(complete);
    const auto tag = ReadInfoTag(data);
    ASSERT_EQ(bool(tag), c.tagFits);
    ASSERT_GT(mp3.size(), 3u);
    for (size_t i = tag ? 1 : 0; i < mp3.size(); ++i) {
        ASSERT_EQ(mp3[i].bitrateKbps, c.kbps) << "frame " << i;
        ASSERT_EQ(mp3[i].sampleRate, c.rate);
        ASSERT_EQ(mp3[i].channels, c.channels);
    }
    const auto decoded = Decode(m_task.m_strDest);
    ASSERT_TRUE(decoded);
    if (tag) {
        EXPECT_EQ(tag->name, QByteArray("Info"));
        EXPECT_EQ(tag->frames, mp3.size() - 1);
        EXPECT_EQ(decoded->Frames(), frames);
    } else {
        EXPECT_GE(decoded->Frames(), frames);
        EXPECT_LE(decoded->Frames(), frames + 2 * mp3[0].samplesPerFrame + 1105);
    }
    const double left = ToneAmplitude(*decoded, 0, 1000, c.rate, c.rate);
    EXPECT_NEAR(20 * std::log10(left / kAmplitude), 0.0, c.kbps <= 16 ? 3.0 : 1.0);
    if (c.channels == 2) {
        EXPECT_NEAR(20 * std::log10(ToneAmplitude(*decoded, 1, 500, c.rate, c.rate) / kAmplitude),
                    0.0, 1.0);
        EXPECT_LT(ToneAmplitude(*decoded, 1, 1000, c.rate, c.rate), kAmplitude / 100.0);
    }

    // The last progress is sent once the stream is done, at 100 percent.
    ASSERT_FALSE(m_window.progress.empty());
    EXPECT_FLOAT_EQ(m_window.progress.back().fTaskPercent, 100.0f);
    EXPECT_FLOAT_EQ(m_window.progress.back().fJobPercent, 100.0f);
}

INSTANTIATE_TEST_SUITE_P(Settings, EncodeStageBitrates,
                         testing::Values(BitrateCase{44100, 2, 11, 128, true},
                                         BitrateCase{44100, 1, 16, 320, true},
                                         BitrateCase{48000, 2, 16, 320, true},
                                         BitrateCase{22050, 2, 7, 64, true},
                                         BitrateCase{8000, 1, 0, 8, false},
                                         BitrateCase{8000, 2, 0, 8, false}));

TEST_F(EncodeStageTest, ProgressIsThrottledAndRisesToTheEnd)
{
    const int rate = 44100;
    const qsizetype frames = rate * 8;
    MakeTask(rate, 2, frames);
    const std::vector<int> values = Sine(rate, 2, frames);
    const uint32_t start = GetTickCount32();
    Start();
    // A slow producer: the encoder keeps waiting for input, so progress
    // would flood the window without the throttle.
    for (size_t done = 0; done < values.size(); done += 2048) {
        const auto n = uint32_t(std::min<size_t>(2048, values.size() - done));
        ASSERT_TRUE(ProcessEventsUntil([&] { return g_pProcessedRing->FreeSpace() >= n; }));
        g_pProcessedRing->Write(values.data() + done, n);
        QCoreApplication::processEvents();
        QThread::usleep(300);
    }
    // However fast or slow this machine fed it, the stream stays open until
    // the encoder has posted once on its own, so the last, sent progress is
    // never the only one.
    ASSERT_TRUE(ProcessEventsUntil([&] { return !m_window.progress.empty(); }));
    EndUpstreamAndWait();
    const uint32_t elapsed = GetTickCount32() - start;

    const auto& progress = m_window.progress;
    ASSERT_GE(progress.size(), 2u);
    EXPECT_LE(progress.size(), elapsed / 100 + 2) << "over " << elapsed << " ms";
    for (size_t i = 1; i < progress.size(); ++i) {
        EXPECT_GE(progress[i].fTaskPercent, progress[i - 1].fTaskPercent);
        EXPECT_EQ(progress[i].fTaskPercent, progress[i].fJobPercent);
    }
    EXPECT_LT(progress.front().fTaskPercent, 100.0f);
    EXPECT_FLOAT_EQ(progress.back().fTaskPercent, 100.0f);
}

TEST_F(EncodeStageTest, JobPercentCountsTheWholeJob)
{
    const int rate = 22050;
    MakeTask(rate, 1, rate);
    m_job->m_nSamplesTotal = uint64_t(rate) * 4;
    m_job->m_nSamplesDone = uint64_t(rate);
    Start();
    Feed(Sine(rate, 1, rate));
    EndUpstreamAndWait();
    ASSERT_FALSE(m_window.progress.empty());
    EXPECT_FLOAT_EQ(m_window.progress.back().fTaskPercent, 100.0f);
    EXPECT_FLOAT_EQ(m_window.progress.back().fJobPercent, 50.0f);
}

TEST_F(EncodeStageTest, PauseHoldsTheEncoderUntilResumed)
{
    const int rate = 44100;
    MakeTask(rate, 2, rate * 2);
    m_job->m_bPaused = true;
    Start();
    Feed(Sine(rate, 2, rate * 2));
    m_task.m_bProcessing = false;
    // Paused, nothing may happen however long we look.
    QDeadlineTimer watch(400);
    while (!watch.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(m_window.progress.empty());
    EXPECT_EQ(QFileInfo(m_task.m_strDest).size(), 0);
    EXPECT_EQ(m_job->m_nTaskSamplesDone, 0u);
    EXPECT_TRUE(m_thread->IsRunning());

    m_job->m_bPaused = false;
    EndUpstreamAndWait();
    EXPECT_EQ(m_job->m_nTaskSamplesDone, m_task.m_nTotalSamples);
    EXPECT_FALSE(m_window.progress.empty());
    EXPECT_TRUE(ReadInfoTag(ReadAll(m_task.m_strDest)));
}

TEST_F(EncodeStageTest, StoppedJobStillFinishesAndTagsThePartialFile)
{
    const int rate = 44100;
    MakeTask(rate, 2, rate * 10);
    Start();
    Feed(Sine(rate, 2, rate * 3));
    ASSERT_TRUE(ProcessEventsUntil([this] { return m_job->m_nTaskSamplesDone >= uint64_t(rate) * 2; }));
    m_job->m_bRunning = false;
    ASSERT_TRUE(ProcessEventsUntil([this] { return !m_thread->IsRunning(); }));
    QCoreApplication::processEvents();
    m_task.m_bProcessing = false;

    const qsizetype encodedFrames = qsizetype(m_job->m_nTaskSamplesDone / 2);
    EXPECT_LT(encodedFrames, rate * 10);
    const QByteArray data = ReadAll(m_task.m_strDest);
    bool complete = false;
    const std::vector<Frame> mp3 = ParseFrames(data, &complete);
    EXPECT_TRUE(complete);
    const auto tag = ReadInfoTag(data);
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->frames, mp3.size() - 1);
    const auto decoded = Decode(m_task.m_strDest);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->Frames(), encodedFrames);
    EXPECT_TRUE(m_window.log.empty());
    ASSERT_FALSE(m_window.progress.empty());
}

struct LoadFailureCase
{
    const char* folder; // under the test modules; empty: a folder without any module
    const char* logLine;
    const char* boxText;
};

void PrintTo(const LoadFailureCase& c, std::ostream* os)
{
    *os << (*c.folder ? c.folder : "no-module");
}

class EncodeStageLoadFailures : public EncodeStageTest,
                                public testing::WithParamInterface<LoadFailureCase>
{
};

TEST_P(EncodeStageLoadFailures, PostTheLineShowTheBoxAndStopTheJob)
{
    const LoadFailureCase c = GetParam();
    QTemporaryDir empty;
    CLameLibrary::SetModuleFolder(*c.folder ? TestModules(c.folder) : empty.path());
    BoxAnswers boxes;
    ScopedInteraction scoped(&boxes);
    MakeTask(44100, 2, 44100);
    Start();
    EndUpstreamAndWait();

    ASSERT_EQ(m_window.log.size(), 1u);
    EXPECT_EQ(m_window.log[0].text, QLatin1String(c.logLine));
    EXPECT_EQ(m_window.log[0].severity, LOG_ERROR);
    ASSERT_EQ(boxes.boxes.size(), 1);
    EXPECT_EQ(boxes.boxes[0].text, QLatin1String(c.boxText));
    EXPECT_EQ(boxes.boxes[0].caption, ApplicationName());
    EXPECT_EQ(boxes.boxes[0].type, MB_OK | MB_ICONERROR);
    // The job stops only once the box is closed.
    EXPECT_EQ(boxes.runningWhenAsked, std::vector<bool>{true});
    EXPECT_FALSE(m_job->m_bRunning);
    EXPECT_FALSE(QFileInfo::exists(m_task.m_strDest));
}

INSTANTIATE_TEST_SUITE_P(
    Modules, EncodeStageLoadFailures,
    testing::Values(LoadFailureCase{"", "Error loading lame_enc.dll", "Error Loading Lame_enc.dll"},
                    LoadFailureCase{"without-encode-chunk", "Unable to get LAME interfaces",
                                    "Unable to Get LAME Interfaces"}));

TEST_F(EncodeStageTest, ModuleWithoutInfoTagWritesTheTagThroughVbrHeader)
{
    CLameLibrary::SetModuleFolder(TestModules("without-info-tag"));
    const int rate = 44100;
    MakeTask(rate, 2, rate);
    Start();
    Feed(Sine(rate, 2, rate));
    EndUpstreamAndWait();
    EXPECT_TRUE(m_window.log.empty());
    const auto tag = ReadInfoTag(ReadAll(m_task.m_strDest));
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->name, QByteArray("Info"));
    EXPECT_EQ(qsizetype(tag->frames) * 1152, tag->encoderDelay + rate + tag->padding);
}

TEST_F(EncodeStageTest, UncreatableOutputStopsTheJob)
{
    MakeTask(44100, 2, 44100);
    m_task.m_strDest = m_dir.filePath(QStringLiteral("missing/out.mp3"));
    Start();
    EndUpstreamAndWait();
    ASSERT_EQ(m_window.Log(), QStringList{QStringLiteral("Error creating file ") + m_task.m_strDest});
    EXPECT_EQ(m_window.log[0].severity, LOG_ERROR);
    EXPECT_FALSE(m_job->m_bRunning);
    EXPECT_TRUE(m_window.progress.empty());
}

TEST_F(EncodeStageTest, ExistingOutputIsNeverOverwritten)
{
    MakeTask(44100, 2, 44100);
    QFile existing(m_task.m_strDest);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("someone else's file");
    existing.close();
    Start();
    Feed(Sine(44100, 2, 44100));
    EndUpstreamAndWait();
    EXPECT_EQ(m_window.Log(), QStringList{QStringLiteral("Error creating file ") + m_task.m_strDest});
    EXPECT_FALSE(m_job->m_bRunning);
    EXPECT_EQ(ReadAll(m_task.m_strDest), QByteArray("someone else's file"));
}

TEST_F(EncodeStageTest, FrequencyTheEncoderCannotWriteFailsToOpenTheStream)
{
    MakeTask(44000, 2, 44000); // no MPEG audio frequency
    Start();
    EndUpstreamAndWait();
    EXPECT_EQ(m_window.Log(), QStringList{QStringLiteral("Error opening encoding stream (2)")});
    EXPECT_FALSE(m_job->m_bRunning);
    EXPECT_FALSE(QFileInfo::exists(m_task.m_strDest));
}

// A process-wide file size limit makes the disk "full" part way through the
// file: the write that crosses it comes back short.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_previous);
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_previous;
        limit.rlim_cur = bytes;
        m_bActive = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool IsActive() const { return m_bActive; }

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = nullptr;
    bool m_bActive = false;
};

TEST_F(EncodeStageTest, ShortWriteReportsAndStillFinishesTheFile)
{
    const int rate = 44100;
    constexpr rlim_t kLimit = 20000;
    MakeTask(rate, 2, rate * 3);
    // A single stream writes while it encodes; on several threads a file
    // this short comes out whole when the stream is finished.
    m_job->m_nEncoderThreads = 1;
    {
        FileSizeLimit limit(kLimit);
        ASSERT_TRUE(limit.IsActive());
        Start();
        Feed(Sine(rate, 2, rate * 3));
        EndUpstreamAndWait();
    }
    const QStringList lines = m_window.Log();
    ASSERT_FALSE(lines.isEmpty());
    for (const QString& line : lines)
        EXPECT_EQ(line, QStringLiteral("Output file write error"));
    EXPECT_FALSE(m_job->m_bRunning);
    EXPECT_LT(m_job->m_nTaskSamplesDone, m_task.m_nTotalSamples);
    EXPECT_EQ(QFileInfo(m_task.m_strDest).size(), qint64(kLimit));
    // What was written still starts with its tag.
    EXPECT_TRUE(ReadInfoTag(ReadAll(m_task.m_strDest)));
    ASSERT_FALSE(m_window.progress.empty());
}

// An output that received no audio would play as nothing and take the name
// from the next conversion: the stage created it, so it removes it.
TEST_F(EncodeStageTest, AnOutputThatReceivedNoAudioIsRemoved)
{
    MakeTask(44100, 2, 44100);
    Start();
    EndUpstreamAndWait(); // the source gave nothing
    EXPECT_TRUE(m_window.Log().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(m_task.m_strDest));

    m_thread.reset();
    m_job->m_bRunning = true;
    MakeTask(44100, 2, 44100);
    {
        FileSizeLimit noRoom(0); // a disk full from the start
        ASSERT_TRUE(noRoom.IsActive());
        Start();
        Feed(Sine(44100, 2, 44100));
        EndUpstreamAndWait();
    }
    EXPECT_FALSE(m_window.Log().isEmpty());
    for (const QString& line : m_window.Log())
        EXPECT_EQ(line, QStringLiteral("Output file write error"));
    EXPECT_FALSE(QFileInfo::exists(m_task.m_strDest));
}

} // namespace
