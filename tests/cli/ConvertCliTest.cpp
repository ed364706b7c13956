#include <csignal>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include "AppSettings.h"
#include "AudioFixtures.h"
#include "ConvertCommand.h"
#include "ConvertOptions.h"
#include "Mp3Inspection.h"

namespace {

// ---- The command line ------------------------------------------------------

CConvertOptions Defaults()
{
    CConvertOptions defaults;
    defaults.strOutputDir = QStringLiteral("/saved/out/");
    defaults.nLameBits = 11;
    defaults.nFreq = 0;
    defaults.nLameChannel = 0;
    return defaults;
}

ConvertCommandLine Parse(const QStringList& arguments)
{
    return ParseConvertArguments(arguments, Defaults());
}

TEST(ConvertArguments, DefaultsComeFromTheSavedSettings)
{
    const ConvertCommandLine result = Parse({QStringLiteral("a.wma")});
    ASSERT_EQ(result.action, ConvertCommandLine::Action::Convert);
    EXPECT_EQ(result.options.strOutputDir, QStringLiteral("/saved/out/"));
    EXPECT_EQ(result.options.nLameBits, 11);
    EXPECT_EQ(result.options.nFreq, 0);
    EXPECT_EQ(result.options.nLameChannel, 0);
    EXPECT_FALSE(result.options.bQuiet);
    EXPECT_EQ(result.options.arrFiles, QStringList{QDir::current().absoluteFilePath(QStringLiteral("a.wma"))});
}

TEST(ConvertArguments, OptionsOverrideTheSettings)
{
    const ConvertCommandLine result =
        Parse({QStringLiteral("-o"), QStringLiteral("/tmp/mp3"), QStringLiteral("-b"), QStringLiteral("320"),
               QStringLiteral("-r"), QStringLiteral("22050"), QStringLiteral("-c"), QStringLiteral("mono"),
               QStringLiteral("-j"), QStringLiteral("3"), QStringLiteral("-q"), QStringLiteral("/in/x.wma"),
               QStringLiteral("/in/y.wma")});
    ASSERT_EQ(result.action, ConvertCommandLine::Action::Convert) << result.strError.toStdString();
    EXPECT_EQ(result.options.strOutputDir, QStringLiteral("/tmp/mp3/"));
    EXPECT_EQ(result.options.nLameBits, 16);
    EXPECT_EQ(result.options.nFreq, 5);
    EXPECT_EQ(result.options.nLameChannel, 1);
    EXPECT_TRUE(result.options.bQuiet);
    EXPECT_EQ(result.options.nEncoderThreads, 3);
    EXPECT_EQ(result.options.arrFiles, (QStringList{QStringLiteral("/in/x.wma"), QStringLiteral("/in/y.wma")}));

    const ConvertCommandLine automatic =
        Parse({QStringLiteral("--rate=auto"), QStringLiteral("--channels=stereo"), QStringLiteral("--bitrate=8"),
               QStringLiteral("x.wma")});
    ASSERT_EQ(automatic.action, ConvertCommandLine::Action::Convert);
    EXPECT_EQ(automatic.options.nFreq, 0);
    EXPECT_EQ(automatic.options.nLameChannel, 2);
    EXPECT_EQ(automatic.options.nLameBits, 0);
    EXPECT_EQ(automatic.options.nEncoderThreads, 0);
}

struct BadArguments
{
    const char* name;
    QStringList arguments;
    const char* reasonPart;
};

class ConvertUsageErrors : public testing::TestWithParam<BadArguments>
{
};

TEST_P(ConvertUsageErrors, GiveAOneLineReason)
{
    const ConvertCommandLine result = Parse(GetParam().arguments);
    EXPECT_EQ(result.action, ConvertCommandLine::Action::UsageError);
    EXPECT_TRUE(result.strError.contains(QLatin1String(GetParam().reasonPart)))
        << result.strError.toStdString();
    EXPECT_FALSE(result.strError.contains(QLatin1Char('\n')));
}

INSTANTIATE_TEST_SUITE_P(
    ConvertArguments, ConvertUsageErrors,
    testing::Values(
        BadArguments{"noFiles", {}, "No input files"},
        BadArguments{"bitrateNotInTheTable", {QStringLiteral("-b"), QStringLiteral("100"), QStringLiteral("a.wma")}, "'100'"},
        BadArguments{"bitrateNotANumber", {QStringLiteral("-b"), QStringLiteral("fast"), QStringLiteral("a.wma")}, "'fast'"},
        BadArguments{"rateNotInTheTable", {QStringLiteral("-r"), QStringLiteral("48000"), QStringLiteral("a.wma")}, "'48000'"},
        BadArguments{"channelsUnknown", {QStringLiteral("-c"), QStringLiteral("quad"), QStringLiteral("a.wma")}, "'quad'"},
        BadArguments{"noThreads", {QStringLiteral("-j"), QStringLiteral("0"), QStringLiteral("a.wma")}, "'0'"},
        BadArguments{"threadsNotANumber", {QStringLiteral("--jobs=many"), QStringLiteral("a.wma")}, "'many'"},
        BadArguments{"unknownOption", {QStringLiteral("--loud"), QStringLiteral("a.wma")}, "loud"},
        BadArguments{"missingValue", {QStringLiteral("a.wma"), QStringLiteral("-b")}, "b"},
        BadArguments{"emptyOutputFolder", {QStringLiteral("-o"), QString(), QStringLiteral("a.wma")}, "output folder"}),
    [](const testing::TestParamInfo<BadArguments>& p) { return std::string(p.param.name); });

TEST(ConvertArguments, HelpAndVersion)
{
    EXPECT_EQ(Parse({QStringLiteral("--help")}).action, ConvertCommandLine::Action::ShowHelp);
    EXPECT_EQ(Parse({QStringLiteral("-h"), QStringLiteral("--bitrate=1")}).action,
              ConvertCommandLine::Action::ShowHelp);
    EXPECT_EQ(Parse({QStringLiteral("--version")}).action, ConvertCommandLine::Action::ShowVersion);
    EXPECT_TRUE(ConvertHelpText().contains(QStringLiteral("--bitrate")));
}

// ---- The program -----------------------------------------------------------

struct Outcome
{
    int status = -1;
    QString out;
    QString err;
};

class ConvertProgram : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_strOut = m_dir.filePath(QStringLiteral("out"));
    }

    QString MakeWma(const QString& name, double seconds)
    {
        AudioFixtures::Signal signal;
        signal.seconds = seconds;
        QString error;
        const QString path = AudioFixtures::MakeWma(m_dir.path(), name, signal, {}, &error);
        EXPECT_FALSE(path.isEmpty()) << error.toStdString();
        return path;
    }

    static QString Program() { return QStringLiteral(MARLUNE_BIN_DIR "/marlune-convert"); }

    static Outcome Finish(QProcess& process)
    {
        EXPECT_TRUE(process.state() == QProcess::NotRunning || process.waitForFinished(120000));
        Outcome outcome;
        outcome.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        outcome.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        outcome.err = QString::fromLocal8Bit(process.readAllStandardError());
        return outcome;
    }

    static Outcome Run(const QStringList& arguments)
    {
        QProcess process;
        process.start(Program(), arguments);
        EXPECT_TRUE(process.waitForStarted());
        return Finish(process);
    }

    // The settings file the program reads: the test's private home.
    static QString ConfigFile()
    {
        return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
               + QStringLiteral("/Marlune/Config.ini");
    }

    QTemporaryDir m_dir;
    QString m_strOut;
};

TEST_F(ConvertProgram, ConvertsEveryFileAndLogsAsTheProgressWindow)
{
    const QString first = MakeWma(QStringLiteral("one.wma"), 1.0);
    const QString second = MakeWma(QStringLiteral("two.wma"), 1.0);

    const Outcome outcome = Run({QStringLiteral("-o"), m_strOut, QStringLiteral("-b"), QStringLiteral("64"), first, second});

    EXPECT_EQ(outcome.status, CONVERT_EXIT_OK) << outcome.err.toStdString();
    for (const char* name : {"one.mp3", "two.mp3"}) {
        const QByteArray data = Mp3Inspection::ReadAll(m_strOut + QLatin1Char('/') + QLatin1String(name));
        const auto frames = Mp3Inspection::ParseFrames(data);
        ASSERT_GT(frames.size(), 5u) << name;
        EXPECT_EQ(frames.back().bitrateKbps, 64);
    }
    // Numbered lines with the time of day, no progress display off a
    // terminal; then the summary.
    QStringList lines = outcome.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.takeLast(), QStringLiteral("marlune-convert: converted 2; failed 0; skipped 0"));
    const QRegularExpression format(QStringLiteral("^(\\d{3,}) \\d\\d:\\d\\d:\\d\\d (.*)$"));
    ASSERT_FALSE(lines.isEmpty());
    int previous = 0;
    for (const QString& line : lines) {
        const QRegularExpressionMatch match = format.match(line);
        ASSERT_TRUE(match.hasMatch()) << line.toStdString();
        EXPECT_EQ(match.captured(1).toInt(), previous + 1);
        previous = match.captured(1).toInt();
    }
    EXPECT_TRUE(lines.first().startsWith(QStringLiteral("001 ")));
    EXPECT_TRUE(outcome.err.contains(QStringLiteral(" Source:  %1.").arg(first)));
    EXPECT_TRUE(lines.last().endsWith(QStringLiteral("Finished converting, all done")));
    EXPECT_FALSE(outcome.err.contains(QLatin1Char('\r')));
}

// Music-like audio long enough for several segments per thread: every thread
// count writes the very file a single stream writes, information tag and all.
TEST_F(ConvertProgram, EveryThreadCountWritesTheSingleStreamsFile)
{
    AudioFixtures::Signal signal;
    signal.seconds = 40.0;
    signal.toneHz = {440.0, 1500.0};
    signal.toneAmplitude = 0.3;
    signal.noiseAmplitude = 0.2;
    QString error;
    const QString source = AudioFixtures::MakeWma(m_dir.path(), QStringLiteral("music.wma"), signal, {}, &error);
    ASSERT_FALSE(source.isEmpty()) << error.toStdString();

    QByteArray reference;
    for (const char* threads : {"1", "2", "3", "8"}) {
        const QString folder = m_strOut + QLatin1String(threads);
        const Outcome outcome = Run({QStringLiteral("-q"), QStringLiteral("-j"), QLatin1String(threads),
                                     QStringLiteral("-o"), folder, source});
        ASSERT_EQ(outcome.status, CONVERT_EXIT_OK) << outcome.err.toStdString();
        const QByteArray data = Mp3Inspection::ReadAll(folder + QStringLiteral("/music.mp3"));
        ASSERT_GT(data.size(), 100000) << threads;
        if (reference.isEmpty()) {
            reference = data;
            const auto tag = Mp3Inspection::ReadInfoTag(data);
            ASSERT_TRUE(tag);
            EXPECT_EQ(tag->bytes, uint32_t(data.size()));
        } else {
            EXPECT_TRUE(data == reference) << threads << " threads";
        }
    }
}

TEST_F(ConvertProgram, UnreadableFilesAreSkippedWithTheirReason)
{
    const QString good = MakeWma(QStringLiteral("good.wma"), 1.0);
    const QString missing = m_dir.filePath(QStringLiteral("missing.wma"));
    const QString text = m_dir.filePath(QStringLiteral("text.wma"));
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not audio at all");
    file.close();

    const Outcome outcome = Run({QStringLiteral("-q"), QStringLiteral("-o"), m_strOut, missing, text, good});

    EXPECT_EQ(outcome.status, CONVERT_EXIT_FAILED);
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("skipping %1: No such file or directory").arg(missing)))
        << outcome.err.toStdString();
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("skipping %1: ").arg(text)));
    EXPECT_TRUE(QFileInfo(m_strOut + QStringLiteral("/good.mp3")).size() > 0);
    // Quiet: the two reasons and the summary, which names them again.
    EXPECT_EQ(outcome.err.count(QLatin1Char('\n')), 5) << outcome.err.toStdString();
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("marlune-convert: converted 1; failed 0; skipped 2\n")));
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("  skipped: %1: No such file or directory").arg(missing)));
}

TEST_F(ConvertProgram, FailedJobExitsWithOne)
{
    const QString source = MakeWma(QStringLiteral("song.wma"), 1.0);
    // A file where the output folder should be.
    QFile blocker(m_strOut);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    const Outcome outcome = Run({QStringLiteral("-o"), m_strOut, source});

    EXPECT_EQ(outcome.status, CONVERT_EXIT_FAILED);
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("Error creating file"))) << outcome.err.toStdString();
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("Converting status: ERROR.")));
}

TEST_F(ConvertProgram, UsageErrorsHelpAndVersion)
{
    const Outcome usage = Run({QStringLiteral("-b"), QStringLiteral("100"), QStringLiteral("x.wma")});
    EXPECT_EQ(usage.status, CONVERT_EXIT_USAGE);
    EXPECT_TRUE(usage.err.startsWith(QStringLiteral("marlune-convert: Invalid bitrate '100'")));
    EXPECT_TRUE(usage.out.isEmpty());

    const Outcome none = Run({});
    EXPECT_EQ(none.status, CONVERT_EXIT_USAGE);

    const Outcome help = Run({QStringLiteral("--help")});
    EXPECT_EQ(help.status, CONVERT_EXIT_OK);
    EXPECT_TRUE(help.out.contains(QStringLiteral("Usage: marlune-convert")));
    EXPECT_TRUE(help.err.isEmpty());

    const Outcome version = Run({QStringLiteral("--version")});
    EXPECT_EQ(version.status, CONVERT_EXIT_OK);
    EXPECT_TRUE(version.out.startsWith(QStringLiteral("marlune-convert ")));
}

TEST_F(ConvertProgram, SavedSettingsAreReadAndNeverWritten)
{
    const QString source = MakeWma(QStringLiteral("saved.wma"), 1.0);
    // No settings file: none is made.
    ASSERT_FALSE(QFileInfo::exists(ConfigFile()));
    const QString fromSettings = m_dir.filePath(QStringLiteral("from-settings"));
    Outcome outcome = Run({QStringLiteral("-q"), QStringLiteral("-o"), fromSettings, source});
    EXPECT_EQ(outcome.status, CONVERT_EXIT_OK) << outcome.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(ConfigFile()));
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(ConfigFile()).path()));

    ASSERT_TRUE(QDir().mkpath(QFileInfo(ConfigFile()).path()));
    const QByteArray settings = QStringLiteral("[OUTPUT]\nDesDir=%1/\n[MP3]\nLameBits=16\nFreq=0\nLameChannel=1\n")
                                    .arg(fromSettings)
                                    .toUtf8();
    QFile config(ConfigFile());
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write(settings);
    config.close();
    const QDateTime modified = QFileInfo(ConfigFile()).lastModified();

    outcome = Run({QStringLiteral("-q"), source});
    EXPECT_EQ(outcome.status, CONVERT_EXIT_OK) << outcome.err.toStdString();
    // The first run wrote saved.mp3, so this one takes the next free name.
    const auto frames = Mp3Inspection::ParseFrames(
        Mp3Inspection::ReadAll(fromSettings + QStringLiteral("/saved (2).mp3")));
    ASSERT_GT(frames.size(), 5u);
    EXPECT_EQ(frames.back().bitrateKbps, 320);
    EXPECT_EQ(frames.back().channels, 1);

    QFile check(ConfigFile());
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), settings);
    EXPECT_EQ(QFileInfo(ConfigFile()).lastModified(), modified);

    // An empty saved folder, which the window would refuse, means the music
    // folder here.
    ASSERT_TRUE(config.open(QIODevice::WriteOnly | QIODevice::Truncate));
    config.write("[OUTPUT]\nDesDir=\n");
    config.close();
    outcome = Run({QStringLiteral("-q"), source});
    EXPECT_EQ(outcome.status, CONVERT_EXIT_OK) << outcome.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(qEnvironmentVariable("XDG_MUSIC_DIR") + QStringLiteral("/saved.mp3")));
}

struct StopSignal
{
    const char* name;
    int signal;
    int status;
};

class ConvertStopSignals : public ConvertProgram, public testing::WithParamInterface<StopSignal>
{
};

// Each stop signal ends the run like Cancel: the file being written is
// finished with its information tag, and the status is 128 + the signal.
TEST_P(ConvertStopSignals, FinishTheCurrentFileWithItsTagAndExitWith128PlusTheSignal)
{
    const QString source = MakeWma(QStringLiteral("long.wma"), 60.0);
    const QString later = MakeWma(QStringLiteral("later.wma"), 1.0);
    const QString output = m_strOut + QStringLiteral("/long.mp3");
    QProcess process;
    process.start(Program(), {QStringLiteral("-o"), m_strOut, source, later});
    ASSERT_TRUE(process.waitForStarted());
    const QDeadlineTimer deadline(60000);
    while (QFileInfo(output).size() < 16 * 1024 && !deadline.hasExpired()
           && process.state() == QProcess::Running) {
        QThread::msleep(5);
    }
    ASSERT_EQ(process.state(), QProcess::Running) << "the conversion ended before it could be interrupted";
    ::kill(static_cast<pid_t>(process.processId()), GetParam().signal);

    const Outcome outcome = Finish(process);
    EXPECT_EQ(outcome.status, GetParam().status) << outcome.err.toStdString();
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("interrupted")));
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("  not tried: %1").arg(later))) << outcome.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(m_strOut + QStringLiteral("/later.mp3")));
    const QByteArray data = Mp3Inspection::ReadAll(output);
    bool complete = false;
    const auto frames = Mp3Inspection::ParseFrames(data, &complete);
    EXPECT_TRUE(complete);
    const auto tag = Mp3Inspection::ReadInfoTag(data);
    ASSERT_TRUE(tag.has_value());
    EXPECT_EQ(tag->frames + 1, frames.size());
    EXPECT_LT(frames.size(), 60u * 44100 / 1152);
    const auto decoded = Mp3Inspection::Decode(output);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_GT(decoded->Frames(), 0);
}

INSTANTIATE_TEST_SUITE_P(ConvertProgram, ConvertStopSignals,
                         testing::Values(StopSignal{"SIGINT", SIGINT, CONVERT_EXIT_INTERRUPTED},
                                         StopSignal{"SIGTERM", SIGTERM, 143},
                                         StopSignal{"SIGHUP", SIGHUP, 129}),
                         [](const testing::TestParamInfo<StopSignal>& p) { return std::string(p.param.name); });

// Anything but a regular file is refused before it is opened: a FIFO with
// no writer would block the open for ever.
TEST_F(ConvertProgram, NonRegularFilesAreSkippedWithoutBeingOpened)
{
    const QString good = MakeWma(QStringLiteral("good.wma"), 1.0);
    const QString fifo = m_dir.filePath(QStringLiteral("fifo.wma"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString folder = m_dir.filePath(QStringLiteral("folder.wma"));
    ASSERT_TRUE(QDir().mkpath(folder));

    QProcess process;
    process.start(Program(), {QStringLiteral("-q"), QStringLiteral("-o"), m_strOut, fifo,
                              QStringLiteral("/dev/zero"), folder, good});
    ASSERT_TRUE(process.waitForStarted());
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        FAIL() << "marlune-convert hangs on a FIFO";
    }
    const Outcome outcome = Finish(process);
    EXPECT_EQ(outcome.status, CONVERT_EXIT_FAILED);
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("skipping %1: Not a regular file (a FIFO)").arg(fifo)))
        << outcome.err.toStdString();
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("skipping /dev/zero: Not a regular file (a character device)")));
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("skipping %1: Not a regular file (a directory)").arg(folder)));
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("converted 1; failed 0; skipped 3")));
    EXPECT_GT(QFileInfo(m_strOut + QStringLiteral("/good.mp3")).size(), 0);
}

// A file that fails inside its conversion no longer ends the run: the ones
// after it are converted, and the summary names each file that was not.
TEST_F(ConvertProgram, BatchGoesOnAfterAFailedFileAndEndsWithASummary)
{
    const QString first = MakeWma(QStringLiteral("first.wma"), 1.0);
    const QString noAudio = MakeWma(QStringLiteral("no-audio.wma"), 2.0);
    ASSERT_TRUE(AudioFixtures::RemoveDataPackets(noAudio));
    const QString truncated = MakeWma(QStringLiteral("truncated.wma"), 10.0);
    ASSERT_TRUE(AudioFixtures::TruncateFile(truncated, 0.3));
    // Its output name is taken, and the next free one, "... (2).mp3", is
    // longer than a file name may be: creating it fails inside the job.
    const QString longStem(251, QLatin1Char('n'));
    const QString longName = MakeWma(longStem + QStringLiteral(".wma"), 1.0);
    ASSERT_TRUE(QDir().mkpath(m_strOut));
    QFile taken(m_strOut + QLatin1Char('/') + longStem + QStringLiteral(".mp3"));
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    taken.close();
    const QString last = MakeWma(QStringLiteral("last.wma"), 1.0);

    const Outcome outcome = Run({QStringLiteral("-o"), m_strOut, first, noAudio, longName, truncated, last});

    EXPECT_EQ(outcome.status, CONVERT_EXIT_FAILED) << outcome.err.toStdString();
    for (const char* name : {"first.mp3", "last.mp3", "truncated.mp3"}) {
        const auto decoded = Mp3Inspection::Decode(m_strOut + QLatin1Char('/') + QLatin1String(name));
        ASSERT_TRUE(decoded.has_value()) << name;
        EXPECT_GT(decoded->Frames(), 44100 / 2) << name;
    }
    // Nothing half-made for the file without audio.
    EXPECT_EQ(QDir(m_strOut).entryList(QDir::Files).size(), 4) << QDir(m_strOut).entryList().join(QLatin1Char(' ')).toStdString();

    EXPECT_TRUE(outcome.err.contains(QStringLiteral("skipping %1: The file holds no audio data").arg(noAudio)))
        << outcome.err.toStdString();
    // The system's reason beside the log's own line.
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("marlune-convert: File name too long\n")));
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("marlune-convert: warning: %1 ends after ").arg(truncated)));
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("marlune-convert: converted 3 (1 short); failed 1; skipped 1\n")));
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("  short: %1: ").arg(truncated)));
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("  failed: %1: Error creating file ").arg(longName)));
    EXPECT_TRUE(outcome.err.contains(QStringLiteral(": File name too long\n")));
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("  skipped: %1: The file holds no audio data").arg(noAudio)));
    EXPECT_FALSE(outcome.err.contains(QStringLiteral("Finished converting, all done")));
}

TEST_F(ConvertProgram, ABitrateTheFrequencyCannotCarryIsToldOnce)
{
    const QString first = MakeWma(QStringLiteral("one.wma"), 1.0);
    const QString second = MakeWma(QStringLiteral("two.wma"), 1.0);

    const Outcome outcome = Run({QStringLiteral("-q"), QStringLiteral("-o"), m_strOut, QStringLiteral("-b"),
                                 QStringLiteral("128"), QStringLiteral("-r"), QStringLiteral("8000"), first, second});

    EXPECT_EQ(outcome.status, CONVERT_EXIT_OK) << outcome.err.toStdString();
    const QString notice = QStringLiteral("marlune-convert: 128 kbps is not possible at 8000 Hz; the MP3 files "
                                          "at 8000 Hz are written at 64 kbps\n");
    EXPECT_EQ(outcome.err, notice);
    for (const char* name : {"one.mp3", "two.mp3"}) {
        const auto frames =
            Mp3Inspection::ParseFrames(Mp3Inspection::ReadAll(m_strOut + QLatin1Char('/') + QLatin1String(name)));
        ASSERT_GT(frames.size(), 5u) << name;
        EXPECT_EQ(frames.back().bitrateKbps, 64) << name;
    }
}

// A file name whose bytes are not UTF-8 is legal: the file is converted and
// its MP3 carries the same bytes in its name.
TEST_F(ConvertProgram, ANameThatIsNotUtf8KeepsItsBytes)
{
    const QString source = MakeWma(QStringLiteral("latin1.wma"), 1.0);
    const QByteArray folder = QFile::encodeName(m_dir.path());
    const QByteArray latin1Name = folder + "/caf\xe9.wma";
    ASSERT_EQ(::rename(QFile::encodeName(source).constData(), latin1Name.constData()), 0);
    // A file under the name Qt would make of those bytes must not be taken
    // for it.
    const QString decodedTwin = MakeWma(QStringLiteral("caf\uFFFD.wma"), 2.0);

    // QProcess passes text; the shell passes the bytes.
    QProcess process;
    process.setWorkingDirectory(m_dir.path());
    process.start(QStringLiteral("/bin/sh"),
                  {QStringLiteral("-c"), QStringLiteral("exec \"$0\" -o \"$1\" \"$(printf 'caf\\351.wma')\""),
                   Program(), m_strOut});
    ASSERT_TRUE(process.waitForStarted());
    const Outcome outcome = Finish(process);

    EXPECT_EQ(outcome.status, CONVERT_EXIT_OK) << outcome.err.toStdString();
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("Source:  %1.").arg(m_dir.filePath(QStringLiteral("caf\uFFFD.wma")))))
        << outcome.err.toStdString();
    const QByteArray output = QFile::encodeName(m_strOut) + "/caf\xe9.mp3";
    std::ifstream file(output.constData(), std::ios::binary);
    ASSERT_TRUE(file.good()) << outcome.err.toStdString();
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
    bool complete = false;
    const auto frames = Mp3Inspection::ParseFrames(data, &complete);
    EXPECT_TRUE(complete);
    // One second, not the two of the decoded name's twin.
    EXPECT_NEAR(static_cast<double>(frames.size()), 44100.0 / 1152, 3);
    EXPECT_TRUE(Mp3Inspection::ReadInfoTag(data).has_value());
    // The name it was written under is gone, and the twin is untouched.
    EXPECT_FALSE(QFileInfo::exists(m_strOut + QStringLiteral("/caf\uFFFD.mp3")));
    EXPECT_TRUE(QFileInfo::exists(decodedTwin));

    // QTemporaryDir cannot name these two.
    ::unlink(output.constData());
    ::unlink(latin1Name.constData());
}

// The folder mounted over by a small tmpfs for the duration of a test;
// mounting needs root, so a test without it is skipped.
class ScratchMount
{
public:
    ScratchMount(const QString& folder, const QString& options)
        : m_strFolder(folder)
    {
        QDir().mkpath(folder);
        m_bMounted = QProcess::execute(QStringLiteral("mount"),
                                       {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                        options, QStringLiteral("tmpfs"), folder})
                     == 0;
    }
    ~ScratchMount()
    {
        if (m_bMounted)
            QProcess::execute(QStringLiteral("umount"), {m_strFolder});
    }
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;

    bool Mounted() const { return m_bMounted; }

private:
    QString m_strFolder;
    bool m_bMounted = false;
};

TEST_F(ConvertProgram, AFullDiskIsNamedAndLeavesNoEmptyFile)
{
    const QString source = MakeWma(QStringLiteral("song.wma"), 2.0);
    const ScratchMount mount(m_strOut, QStringLiteral("size=64k"));
    if (!mount.Mounted())
        GTEST_SKIP() << "no tmpfs can be mounted here";
    // Fill it to the last byte.
    QFile filler(m_strOut + QStringLiteral("/filler"));
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size()) {
    }
    filler.write(block.left(1));
    filler.close();

    const Outcome outcome = Run({QStringLiteral("-o"), m_strOut, source});

    EXPECT_EQ(outcome.status, CONVERT_EXIT_FAILED);
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("Output file write error"))) << outcome.err.toStdString();
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("marlune-convert: No space left on device\n")));
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("  failed: %1: Output file write error: No space left on device")
                                         .arg(source)));
    EXPECT_EQ(QDir(m_strOut).entryList(QDir::Files), QStringList{QStringLiteral("filler")});
}

TEST_F(ConvertProgram, AReadOnlyOutputFolderIsNamed)
{
    const QString source = MakeWma(QStringLiteral("song.wma"), 1.0);
    // Root writes into any folder; a read-only mount stops even root.
    const ScratchMount mount(m_strOut, QStringLiteral("size=64k,ro"));
    if (!mount.Mounted()) {
        ASSERT_TRUE(QDir().mkpath(m_strOut));
        ASSERT_TRUE(QFile::setPermissions(m_strOut, QFile::ReadOwner | QFile::ExeOwner));
    }

    const Outcome outcome = Run({QStringLiteral("-o"), m_strOut, source});

    EXPECT_EQ(outcome.status, CONVERT_EXIT_FAILED);
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("Error creating file %1/song.mp3").arg(m_strOut)))
        << outcome.err.toStdString();
    const QString reason = mount.Mounted() ? QStringLiteral("Read-only file system")
                                           : QStringLiteral("Permission denied");
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("marlune-convert: %1\n").arg(reason)));
    EXPECT_TRUE(outcome.err.contains(QStringLiteral(": %1\n").arg(reason)));
    EXPECT_TRUE(QDir(m_strOut).entryList(QDir::Files).isEmpty());
}

} // namespace
