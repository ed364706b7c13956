#include <cmath>
#include <complex>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <numbers>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "AppSettings.h"
#include "AudioFixtures.h"
#include "ComResult.h"
#include "ConvJob.h"
#include "DecodeStage.h"
#include "EngineGlobals.h"
#include "EngineMessages.h"
#include "RecordingJobWindow.h"
#include "Mp3Inspection.h"
#include "ProcessStage.h"
#include "TaskBuilder.h"
#include "Tick.h"
#include "ToolProcess.h"
#include "WMAFile2.h"

// Whole jobs through the runner and the three stages, on WMA files made by
// FFmpeg's encoder and MP3 files decoded again by FFmpeg.

namespace {

// The chains the processing stage builds, by source path.
class ChainRecorder
{
public:
    ChainRecorder()
    {
        SetChainObserver([this](const CConversionTask& task, const QStringList& effects) {
            std::lock_guard lock(m_mutex);
            m_chains[task.m_strSource] = effects;
            m_pLastTask = &task;
        });
    }
    ~ChainRecorder() { SetChainObserver({}); }
    ChainRecorder(const ChainRecorder&) = delete;
    ChainRecorder& operator=(const ChainRecorder&) = delete;

    QStringList Chain(const QString& source) const
    {
        std::lock_guard lock(m_mutex);
        const auto found = m_chains.find(source);
        return found == m_chains.end() ? QStringList() : found->second;
    }

    // The runner's copy of the task being converted. Valid only while that
    // task's stage threads run.
    const CConversionTask* LastTask() const
    {
        std::lock_guard lock(m_mutex);
        return m_pLastTask;
    }

private:
    mutable std::mutex m_mutex;
    std::map<QString, QStringList> m_chains;
    const CConversionTask* m_pLastTask = nullptr;
};

QString MakeWmaFile(const QString& folder, const QString& name, const AudioFixtures::Signal& signal)
{
    QStringList channels;
    for (int c = 0; c < signal.channels; ++c) {
        const double hz = signal.toneHz.empty()
                              ? 1000.0
                              : signal.toneHz[std::min(size_t(c), signal.toneHz.size() - 1)];
        QString expression = hz > 0 ? QStringLiteral("%1*sin(2*PI*%2*t)").arg(signal.toneAmplitude).arg(hz)
                                    : QStringLiteral("0");
        if (signal.noiseAmplitude > 0)
            expression += QStringLiteral("+%1*(2*random(%2)-1)").arg(signal.noiseAmplitude).arg(c);
        channels << expression;
    }
    const QString path = QDir(folder).filePath(name);
    const bool made = RunTool(
        "ffmpeg", {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
                   QStringLiteral("lavfi"), QStringLiteral("-i"),
                   QStringLiteral("aevalsrc=exprs='%1':s=%2:d=%3")
                       .arg(channels.join(QLatin1Char('|')))
                       .arg(signal.sampleRate)
                       .arg(signal.seconds),
                   QStringLiteral("-c:a"), QStringLiteral("wmav2"), QStringLiteral("-b:a"),
                   QStringLiteral("128k"), path});
    return made ? path : QString();
}

AudioFixtures::DecodedAudio DecodeAudioFile(const QString& path)
{
    QByteArray probe;
    if (!RunTool("ffprobe",
                 {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"),
                  QStringLiteral("a:0"), QStringLiteral("-show_entries"),
                  QStringLiteral("stream=sample_rate,channels"), QStringLiteral("-of"),
                  QStringLiteral("csv=p=0"), path},
                 &probe))
        return {};
    const QList<QByteArray> fields = probe.trimmed().split(',');
    QByteArray pcm;
    if (fields.size() != 2
        || !RunTool("ffmpeg", {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), path,
                               QStringLiteral("-f"), QStringLiteral("s16le"), QStringLiteral("-")},
                    &pcm))
        return {};
    std::vector<int16_t> samples(size_t(pcm.size()) / sizeof(int16_t));
    std::memcpy(samples.data(), pcm.constData(), samples.size() * sizeof(int16_t));
    return AudioFixtures::DecodedAudio::FromInt16(fields[0].toInt(), fields[1].toInt(), samples);
}

// Magnitude in dB of libsox's two-pole low-pass or high-pass filter (the
// audio-cookbook biquad, Q = 1/sqrt(2)) at the frequency.
double BiquadGainDb(bool lowPass, double cornerHz, double rate, double hz)
{
    const double w0 = 2 * std::numbers::pi * cornerHz / rate;
    const double q = 1 / std::numbers::sqrt2;
    const double alpha = std::sin(w0) / (2 * q);
    const double c = std::cos(w0);
    const double b0 = lowPass ? (1 - c) / 2 : (1 + c) / 2;
    const double b1 = lowPass ? 1 - c : -(1 + c);
    const std::complex<double> z1 = std::polar(1.0, -2 * std::numbers::pi * hz / rate);
    const std::complex<double> z2 = z1 * z1;
    const std::complex<double> h =
        (b0 + b1 * z1 + b0 * z2) / ((1 + alpha) - 2 * c * z1 + (1 - alpha) * z2);
    return 20 * std::log10(std::abs(h));
}

double ChainGainDb(double rate, double hz)
{
    double db = BiquadGainDb(false, 100, rate, hz);
    if (7000 < rate / 2)
        db += BiquadGainDb(true, 7000, rate, hz);
    return db;
}

class PipelineTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(SUCCEEDED(CreateWMAFile2(m_pDecoder)));
        g_pWMAFile = m_pDecoder.get();
        CreateSampleRings();
        AppSettings.LameBits = DEFAULT_LAME_BITS;
        m_strOut = m_dir.filePath(QStringLiteral("out")) + QDir::separator();
    }

    void TearDown() override
    {
        if (m_job) {
            EXPECT_TRUE(ProcessEventsUntil([this] { return RunnerEnded(); }));
        }
        m_job.reset();
        DestroySampleRings();
        g_pWMAFile = nullptr;
        AppSettings.LameBits = DEFAULT_LAME_BITS;
    }

    QString MakeWma(const QString& name, const AudioFixtures::Signal& signal)
    {
        const QString path = MakeWmaFile(m_dir.path(), name, signal);
        EXPECT_FALSE(path.isEmpty()) << name.toStdString();
        return path;
    }

    // What the file list would store for the file.
    SourceDetails Details(const QString& path)
    {
        SourceDetails details;
        EXPECT_TRUE(SUCCEEDED(ReadSourceDetails(*m_pDecoder, path, details)));
        return details;
    }

    CConversionTask Task(const QString& source, int freq = 0, int lameChannel = 0)
    {
        OutputSettings settings;
        settings.strDesDir = m_strOut;
        settings.nFreq = freq;
        settings.nLameChannel = lameChannel;
        return BuildConversionTask(Details(source), settings);
    }

    void Start(std::vector<CConversionTask> tasks)
    {
        m_job = std::make_shared<CConvJob>();
        m_job->m_wndTarget = m_window.Target();
        for (const CConversionTask& task : tasks)
            m_job->m_nSamplesTotal += task.m_nTotalSamples;
        m_job->m_arrTasks = std::move(tasks);
        m_job->Start();
    }

    bool RunnerEnded() const
    {
        const auto runner = m_job->m_pRunnerThread.Load();
        return !runner || runner->WaitFor(0);
    }

    // Runs the tasks to their end; true when the job finished.
    bool Run(std::vector<CConversionTask> tasks)
    {
        Start(std::move(tasks));
        EXPECT_TRUE(ProcessEventsUntil([this] { return RunnerEnded(); }));
        // Lines posted just before the runner ended.
        QCoreApplication::processEvents();
        return m_window.Finished();
    }

    static AudioFixtures::DecodedAudio DecodeFile(const QString& path)
    {
        AudioFixtures::DecodedAudio audio = DecodeAudioFile(path);
        EXPECT_TRUE(audio.IsValid()) << path.toStdString();
        return audio;
    }

    QTemporaryDir m_dir;
    QString m_strOut;
    std::unique_ptr<WMAFile2> m_pDecoder;
    RecordingJobWindow m_window;
    ChainRecorder m_chains;
    std::shared_ptr<CConvJob> m_job;
};

struct FormatCase
{
    const char* name;
    int nSourceRate;
    int nSourceChannels;
    int nLameBits;
    int nFreq;
    int nLameChannel;
    int nBitrate;
    int nDestRate;
    int nDestChannels;
    const char* chain;
    // An 8 kbps frame is too small to carry the information tag.
    bool bTagFits = true;
};

class PipelineFormats : public PipelineTest, public testing::WithParamInterface<FormatCase>
{
};

TEST_P(PipelineFormats, GiveTheRequestedMp3)
{
    const FormatCase& c = GetParam();
    AudioFixtures::Signal signal;
    signal.seconds = 2.0;
    signal.sampleRate = c.nSourceRate;
    signal.channels = c.nSourceChannels;
    signal.toneHz = {440.0};
    const QString source = MakeWma(QStringLiteral("Song.wma"), signal);
    AppSettings.LameBits = static_cast<int16_t>(c.nLameBits);

    ASSERT_TRUE(Run({Task(source, c.nFreq, c.nLameChannel)}));

    EXPECT_TRUE(m_window.Errors().isEmpty()) << m_window.Errors().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(m_chains.Chain(source).join(QLatin1Char(' ')), QString::fromLatin1(c.chain));

    const QString output = m_strOut + QStringLiteral("Song.mp3");
    const QByteArray data = Mp3Inspection::ReadAll(output);
    bool complete = false;
    const std::vector<Mp3Inspection::Frame> frames = Mp3Inspection::ParseFrames(data, &complete);
    ASSERT_GT(frames.size(), 10u);
    EXPECT_TRUE(complete);
    for (const Mp3Inspection::Frame& frame : frames) {
        ASSERT_EQ(frame.bitrateKbps, c.nBitrate);
        ASSERT_EQ(frame.sampleRate, c.nDestRate);
        ASSERT_EQ(frame.channels, c.nDestChannels);
    }
    const std::optional<Mp3Inspection::InfoTag> tag = Mp3Inspection::ReadInfoTag(data);
    ASSERT_EQ(tag.has_value(), c.bTagFits);

    const AudioFixtures::DecodedAudio in = DecodeFile(source);
    const AudioFixtures::DecodedAudio out = DecodeFile(output);
    const double expectedFrames = double(in.Frames()) * c.nDestRate / c.nSourceRate;
    const int frameLength = frames.front().samplesPerFrame;
    if (tag) {
        EXPECT_EQ(tag->name, QByteArray("Info"));
        EXPECT_EQ(tag->frames + 1, frames.size());
        // The player's length (delay and padding taken off by the tag)
        // matches the source's, to within one frame plus the encoder delay.
        EXPECT_NEAR(double(out.Frames()), expectedFrames, frameLength + tag->encoderDelay);
    } else {
        // Without a tag the player keeps the delay and the padding.
        EXPECT_GE(double(out.Frames()), expectedFrames - frameLength);
        EXPECT_LE(double(out.Frames()), expectedFrames + 2 * frameLength + 1105);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pipeline, PipelineFormats,
    testing::Values(
        FormatCase{"stereo44100At128", 44100, 2, 11, 0, 0, 128, 44100, 2, "input lowpass highpass output"},
        FormatCase{"lowestBitrate", 44100, 1, 0, 1, 0, 8, 8000, 1, "input rate highpass output", false},
        FormatCase{"highestBitrate", 44100, 2, 16, 0, 0, 320, 44100, 2, "input lowpass highpass output"},
        FormatCase{"monoSourceStereoSetting", 44100, 1, 11, 0, 2, 128, 44100, 2,
                   "input channels lowpass highpass output"},
        FormatCase{"source48000Automatic", 48000, 2, 11, 0, 0, 128, 44100, 2,
                   "input rate lowpass highpass output"},
        FormatCase{"output22050KeepsTheLowPass", 44100, 2, 11, 5, 0, 128, 22050, 2,
                   "input rate lowpass highpass output"},
        FormatCase{"output11025LosesTheLowPass", 44100, 2, 11, 2, 0, 64, 11025, 2,
                   "input rate highpass output"}),
    [](const testing::TestParamInfo<FormatCase>& p) { return std::string(p.param.name); });

struct ToneCase
{
    const char* name;
    int nFreq;  // output frequency index
    double leftHz;
    double rightHz;
};

class PipelineSignal : public PipelineTest, public testing::WithParamInterface<ToneCase>
{
};

// Tones through the whole road: each keeps the level the two filters give it
// at its frequency, and stays in its channel.
TEST_P(PipelineSignal, TonesKeepTheFiltersLevelAndTheirChannel)
{
    const ToneCase& c = GetParam();
    AudioFixtures::Signal signal;
    signal.seconds = 3.0;
    signal.toneHz = {c.leftHz, c.rightHz};
    const QString source = MakeWma(QStringLiteral("Tones.wma"), signal);

    ASSERT_TRUE(Run({Task(source, c.nFreq)}));
    const AudioFixtures::DecodedAudio in = DecodeFile(source);
    const AudioFixtures::DecodedAudio out = DecodeFile(m_strOut + QStringLiteral("Tones.mp3"));
    ASSERT_EQ(out.channels, 2);

    // Away from the edges, where the filters and codecs settle.
    const auto window = [](const AudioFixtures::DecodedAudio& audio) {
        return std::pair<size_t, size_t>(size_t(audio.sampleRate) / 2, size_t(audio.sampleRate));
    };
    const auto [inFirst, inCount] = window(in);
    const auto [outFirst, outCount] = window(out);
    const double tones[2] = {c.leftHz, c.rightHz};
    for (int channel = 0; channel < 2; ++channel) {
        const double hz = tones[channel];
        const double other = tones[1 - channel];
        if (hz > 0) {
            const double inDb = AudioFixtures::ToDb(AudioFixtures::ToneAmplitude(in, channel, hz, inFirst, inCount));
            const double outDb =
                AudioFixtures::ToDb(AudioFixtures::ToneAmplitude(out, channel, hz, outFirst, outCount));
            const double expectedDb = inDb + ChainGainDb(out.sampleRate, hz);
            EXPECT_NEAR(outDb, expectedDb, hz == 1000.0 ? 1.0 : 1.5)
                << "channel " << channel << " at " << hz << " Hz, source " << inDb << " dB";
        }
        if (other > 0 && other != hz) {
            // Nothing of the other channel's tone leaks in.
            const double leakDb = AudioFixtures::ToDb(
                AudioFixtures::ToneAmplitude(out, channel, other, outFirst, outCount));
            EXPECT_LT(leakDb, -60.0) << "channel " << channel << " has the " << other << " Hz tone";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pipeline, PipelineSignal,
    testing::Values(ToneCase{"oneKilohertzOnTheLeftOnly", 0, 1000.0, 0.0},
                    ToneCase{"highAndLowTones", 0, 12000.0, 40.0},
                    ToneCase{"highToneAt22050", 5, 9000.0, 1000.0}),
    [](const testing::TestParamInfo<ToneCase>& p) { return std::string(p.param.name); });

TEST_F(PipelineTest, JobOfTwoTasksConvertsBothAndLogsTheTotal)
{
    AudioFixtures::Signal signal;
    signal.seconds = 1.0;
    const QString first = MakeWma(QStringLiteral("one.wma"), signal);
    const QString second = MakeWma(QStringLiteral("two.wma"), signal);

    ASSERT_TRUE(Run({Task(first), Task(second)}));

    EXPECT_TRUE(QFileInfo(m_strOut + QStringLiteral("one.mp3")).size() > 0);
    EXPECT_TRUE(QFileInfo(m_strOut + QStringLiteral("two.mp3")).size() > 0);
    int oks = 0;
    for (const RecordingJobWindow::LogLine& line : m_window.log)
        oks += line.text == QStringLiteral("Converting status: OK.") ? 1 : 0;
    EXPECT_EQ(oks, 2);
    EXPECT_TRUE(m_window.log.back().text.startsWith(QStringLiteral("Total time elapsed")));
}

TEST_F(PipelineTest, PauseHoldsTheJobUntilResumed)
{
    AudioFixtures::Signal signal;
    signal.seconds = 20.0;
    const QString source = MakeWma(QStringLiteral("long.wma"), signal);
    const QString output = m_strOut + QStringLiteral("long.mp3");
    Start({Task(source)});
    ASSERT_TRUE(ProcessEventsUntil([this] { return m_job->m_nTaskSamplesDone > 0; }));
    m_job->m_bPaused = true;
    // The encoder notices at its next chunk.
    SleepMs(200);
    QCoreApplication::processEvents();

    const uint64_t samplesDone = m_job->m_nTaskSamplesDone;
    const qint64 bytes = QFileInfo(output).size();
    const int progress = static_cast<int>(m_window.progress.size());
    const QDeadlineTimer watch(500);
    while (!watch.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        SleepMs(10);
    }
    EXPECT_EQ(m_job->m_nTaskSamplesDone, samplesDone);
    EXPECT_EQ(QFileInfo(output).size(), bytes);
    EXPECT_EQ(static_cast<int>(m_window.progress.size()), progress);
    EXPECT_TRUE(m_job->m_bRunning);
    EXPECT_TRUE(m_job->m_pRunnerThread.Load()->IsRunning());

    m_job->m_bPaused = false;
    ASSERT_TRUE(ProcessEventsUntil([this] { return RunnerEnded(); }));
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_window.Finished());
    EXPECT_GT(QFileInfo(output).size(), bytes);
}

// Where the job stands when it is stopped: the encoder holds (paused after
// some output), and the source is long enough for the stages upstream to be
// still decoding, or done decoding but still processing, or both done.
struct StopCase
{
    const char* name;
    double seconds;
    bool decoding;
    bool processing;
};

class PipelineStop : public PipelineTest, public testing::WithParamInterface<StopCase>
{
};

TEST_P(PipelineStop, ClearingRunningEndsEveryThreadAndLeavesAPlayableFile)
{
    const StopCase& c = GetParam();
    AudioFixtures::Signal signal;
    signal.seconds = c.seconds;
    const QString source = MakeWma(QStringLiteral("stop.wma"), signal);
    const QString output = m_strOut + QStringLiteral("stop.mp3");
    Start({Task(source)});
    ASSERT_TRUE(ProcessEventsUntil([this] { return m_job->m_nTaskSamplesDone > 0; }));
    m_job->m_bPaused = true;

    // The task copy lives as long as the paused job runs.
    const CConversionTask* task = m_chains.LastTask();
    ASSERT_NE(task, nullptr);
    const auto full = [](const SampleRing* ring) { return ring->FreeSpace() < 8192; };
    ASSERT_TRUE(ProcessEventsUntil([&] {
        if (task->m_bDecoding != c.decoding || task->m_bProcessing != c.processing)
            return false;
        if (c.decoding)
            return full(g_pDecodedRing) && full(g_pProcessedRing);
        return !c.processing || full(g_pProcessedRing);
    }));

    const uint32_t stoppedAt = GetTickCount32();
    m_job->m_bRunning = false;
    ASSERT_TRUE(ProcessEventsUntil([this] { return RunnerEnded(); }));
    const uint32_t waited = GetTickCount32() - stoppedAt;
    QCoreApplication::processEvents();
    // The slowest poll is the paused encoder's 100 ms; the rest is slack for
    // a loaded machine.
    EXPECT_LT(waited, 2000u);
    for (const CThreadSlot* slot : {&m_job->m_pProcessThread, &m_job->m_pEncoderThread}) {
        const auto thread = slot->Load();
        ASSERT_TRUE(thread);
        EXPECT_FALSE(thread->IsRunning());
    }
    EXPECT_FALSE(m_window.Finished());
    EXPECT_TRUE(m_window.Logged(QStringLiteral("Converting status: ERROR.")));
    EXPECT_EQ(m_window.Errors(), QStringList{QStringLiteral("Converting status: ERROR.")});

    const QByteArray data = Mp3Inspection::ReadAll(output);
    bool complete = false;
    const auto frames = Mp3Inspection::ParseFrames(data, &complete);
    EXPECT_TRUE(complete);
    const auto tag = Mp3Inspection::ReadInfoTag(data);
    ASSERT_TRUE(tag.has_value());
    EXPECT_EQ(tag->frames + 1, frames.size());
    const AudioFixtures::DecodedAudio out = DecodeFile(output);
    EXPECT_GT(out.Frames(), 0u);
    EXPECT_LT(double(out.Frames()), c.seconds * 44100 - 44100);
}

INSTANTIATE_TEST_SUITE_P(Pipeline, PipelineStop,
                         testing::Values(StopCase{"whileDecoding", 40.0, true, true},
                                         StopCase{"whileProcessing", 18.0, false, true},
                                         StopCase{"whileEncoding", 4.0, false, false}),
                         [](const testing::TestParamInfo<StopCase>& p) { return std::string(p.param.name); });

TEST_F(PipelineTest, VanishedSourceStopsTheJobWithoutAnOutputFile)
{
    AudioFixtures::Signal signal;
    const QString source = MakeWma(QStringLiteral("gone.wma"), signal);
    CConversionTask task = Task(source);
    ASSERT_TRUE(QFile::remove(source));

    EXPECT_FALSE(Run({task}));

    EXPECT_EQ(m_window.Errors(), (QStringList{QStringLiteral("File Error: No such file or directory"),
                                              QStringLiteral("Converting status: ERROR.")}));
    EXPECT_FALSE(QFileInfo::exists(m_strOut + QStringLiteral("gone.mp3")));
    EXPECT_FALSE(m_job->m_pProcessThread.Load());
    EXPECT_FALSE(m_job->m_pEncoderThread.Load());
}

TEST_F(PipelineTest, CorruptSourceStopsTheJobWithTheDecodingError)
{
    const QString source = m_dir.filePath(QStringLiteral("corrupt.wma"));
    QFile file(source);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(64 * 1024, '\x5a'));
    file.close();
    SourceDetails details;
    details.strPath = source;
    details.nSampleRate = 44100;
    details.nChannels = 2;
    details.nTotalSamples = 88200;
    OutputSettings settings;
    settings.strDesDir = m_strOut;

    const CConversionTask task = BuildConversionTask(details, settings);
    EXPECT_FALSE(Run({task}));

    EXPECT_EQ(m_window.Errors(),
              (QStringList{QStringLiteral("An error occurred while decoding %1").arg(source),
                           QStringLiteral("Converting status: ERROR.")}));
    // The source is never touched, and no empty output is left behind.
    EXPECT_EQ(QFileInfo(source).size(), 64 * 1024);
    EXPECT_FALSE(QFileInfo::exists(task.m_strDest));
}

TEST_F(PipelineTest, UncreatableOutputStopsTheJobWithTheCreationError)
{
    AudioFixtures::Signal signal;
    const QString source = MakeWma(QStringLiteral("song.wma"), signal);
    // A file where the output folder should be: the name can never be made,
    // whoever runs the test.
    QFile blocker(m_dir.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    m_strOut = blocker.fileName() + QDir::separator();
    const CConversionTask task = Task(source);

    EXPECT_FALSE(Run({task}));

    EXPECT_EQ(m_window.Errors(),
              (QStringList{QStringLiteral("Error creating file %1").arg(task.m_strDest),
                           QStringLiteral("Converting status: ERROR.")}));
    EXPECT_EQ(QFileInfo(blocker.fileName()).size(), 0);
}

TEST_F(PipelineTest, DecodedSamplesReachTheRingBufferWithTheirUpperTenBits)
{
    // A quiet tone with noise: plenty of small sample values.
    AudioFixtures::Signal signal;
    signal.seconds = 2.0;
    signal.toneAmplitude = 0.01;
    signal.noiseAmplitude = 0.003;
    const QString source = MakeWma(QStringLiteral("quiet.wma"), signal);
    CConversionTask task = Task(source);

    // What the component delivers, read by a second instance.
    std::unique_ptr<WMAFile2> reference;
    ASSERT_TRUE(SUCCEEDED(CreateWMAFile2(reference)));
    ASSERT_TRUE(SUCCEEDED(reference->SetOutputFormat(task.m_nSourceRate, task.m_nSourceChannels)));
    ASSERT_TRUE(SUCCEEDED(reference->Open(source)));
    std::vector<int16_t> expected;
    std::vector<int16_t> block;
    do {
        ASSERT_TRUE(SUCCEEDED(reference->ReadSamples(DECODE_BLOCK_FRAMES, block)));
        expected.insert(expected.end(), block.begin(), block.end());
    } while (!block.empty());
    ASSERT_LT(expected.size(), size_t{g_pDecodedRing->Capacity()});

    // The decoding stage alone, on this thread.
    m_job = std::make_shared<CConvJob>();
    m_job->m_wndTarget = m_window.Target();
    g_pConvProg = m_job.get();
    m_job->m_bRunning = true;
    g_pDecodedRing->Reset();
    OpenWmaSource(task);
    ASSERT_TRUE(DecodeWma(task));

    std::vector<int32_t> values(expected.size() + 1);
    ASSERT_EQ(g_pDecodedRing->Read(values.data(), uint32_t(values.size())), expected.size());
    bool sawHundred = false;
    bool sawMinusOne = false;
    for (size_t i = 0; i < expected.size(); ++i) {
        const auto kept = int32_t(std::floor(expected[i] / 64.0)) * 64;
        ASSERT_EQ(values[i], kept * 65536) << "value " << i;
        sawHundred = sawHundred || (expected[i] == 100 && values[i] == 64 * 65536);
        sawMinusOne = sawMinusOne || (expected[i] == -1 && values[i] == -64 * 65536);
    }
    EXPECT_TRUE(sawHundred);
    EXPECT_TRUE(sawMinusOne);
    bool open = true;
    m_pDecoder->get_IsOpen(&open);
    EXPECT_FALSE(open);
}

} // namespace
