#include "ConvertOptions.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include "AppSettings.h"

namespace {

const QString kProgram = QStringLiteral("marlune-convert");

struct Parser
{
    QCommandLineParser parser;
    QCommandLineOption output{{QStringLiteral("o"), QStringLiteral("output")},
                              QStringLiteral("Write the MP3 files into DIR (default: the output folder of "
                                             "Marlune's settings)."),
                              QStringLiteral("DIR")};
    QCommandLineOption bitrate{{QStringLiteral("b"), QStringLiteral("bitrate")},
                               QStringLiteral("Constant bitrate in kbps: 8, 16, 24, 32, 40, 48, 56, 64, "
                                              "80, 96, 112, 128, 160, 192, 224, 256 or 320."),
                               QStringLiteral("KBPS")};
    QCommandLineOption rate{{QStringLiteral("r"), QStringLiteral("rate")},
                            QStringLiteral("Output sampling frequency: auto (the smallest of the list "
                                           "not below the source's), 8000, 11025, 12000, 16000, 22050, "
                                           "24000, 32000 or 44100."),
                            QStringLiteral("auto|HZ")};
    QCommandLineOption channels{{QStringLiteral("c"), QStringLiteral("channels")},
                                QStringLiteral("Output channels: auto (as the source, at most two), mono "
                                               "or stereo."),
                                QStringLiteral("auto|mono|stereo")};
    QCommandLineOption jobs{{QStringLiteral("j"), QStringLiteral("jobs")},
                            QStringLiteral("Encode each file on N threads (default: one per processor "
                                           "core); the MP3 file is the same for every N."),
                            QStringLiteral("N")};
    QCommandLineOption quiet{{QStringLiteral("q"), QStringLiteral("quiet")},
                             QStringLiteral("Print errors only.")};
    QCommandLineOption noTags{QStringLiteral("no-tags"),
                              QStringLiteral("Leave the MP3 files untagged (by default the title, artist, "
                                             "album, numbering, pictures and the other tags of each WMA "
                                             "file are copied).")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help and exit.")};
    QCommandLineOption version{QStringLiteral("version"),
                               QStringLiteral("Show the version and exit.")};

    Parser()
    {
        parser.setApplicationDescription(QStringLiteral(
            "Converts WMA files into constant-bitrate MP3 files, as Marlune does.\n"
            "Each FILE becomes NAME.mp3 in the output folder; an existing file is never\n"
            "overwritten (\"NAME (2).mp3\" and so on instead).\n"
            "A file that cannot be converted is skipped, and one that fails does not stop\n"
            "the others; a summary on standard error ends the run.\n"
            "Exit status: 0 when every file was converted, 1 when a file was skipped or\n"
            "failed, 2 for a usage error, 128 + the signal when stopped by Ctrl+C (130),\n"
            "SIGTERM (143) or SIGHUP (129), which finish the current MP3 with what was\n"
            "converted."));
        parser.addOptions({output, bitrate, rate, channels, jobs, quiet, noTags, help, version});
        parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("WMA files to convert."),
                                     QStringLiteral("FILE..."));
    }
};

int IndexOf(const auto& table, int value, size_t first)
{
    for (size_t i = first; i < table.size(); ++i) {
        if (table[i] == value)
            return static_cast<int>(i);
    }
    return -1;
}

// A decimal number with nothing else; -1 otherwise.
int Number(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok && !text.startsWith(QLatin1Char('+')) ? value : -1;
}

ConvertCommandLine UsageError(const QString& reason)
{
    ConvertCommandLine result;
    result.action = ConvertCommandLine::Action::UsageError;
    result.strError = reason;
    return result;
}

QString WithSeparator(const QString& folder)
{
    return folder.endsWith(QDir::separator()) || folder.endsWith(QLatin1Char('/'))
               ? folder
               : folder + QDir::separator();
}

} // namespace

ConvertCommandLine ParseConvertArguments(const QStringList& arguments,
                                         const CConvertOptions& defaults)
{
    Parser p;
    if (!p.parser.parse(QStringList{kProgram} + arguments))
        return UsageError(p.parser.errorText());

    ConvertCommandLine result;
    if (p.parser.isSet(p.help)) {
        result.action = ConvertCommandLine::Action::ShowHelp;
        return result;
    }
    if (p.parser.isSet(p.version)) {
        result.action = ConvertCommandLine::Action::ShowVersion;
        return result;
    }

    CConvertOptions& options = result.options;
    options = defaults;
    if (p.parser.isSet(p.output)) {
        const QString folder = p.parser.value(p.output);
        if (folder.isEmpty())
            return UsageError(QStringLiteral("The output folder must not be empty."));
        options.strOutputDir = folder;
    }
    if (!options.strOutputDir.isEmpty())
        options.strOutputDir =
            WithSeparator(QDir::toNativeSeparators(QFileInfo(options.strOutputDir).absoluteFilePath()));

    if (p.parser.isSet(p.bitrate)) {
        const QString text = p.parser.value(p.bitrate);
        options.nLameBits = IndexOf(BitrateTable, Number(text), 0);
        if (options.nLameBits < 0)
            return UsageError(QStringLiteral("Invalid bitrate '%1': use 8, 16, 24, 32, 40, 48, 56, 64, "
                                             "80, 96, 112, 128, 160, 192, 224, 256 or 320.")
                                  .arg(text));
    }
    if (p.parser.isSet(p.rate)) {
        const QString text = p.parser.value(p.rate);
        options.nFreq = text == QStringLiteral("auto") ? 0 : IndexOf(FrequencyTable, Number(text), 1);
        if (options.nFreq < 0)
            return UsageError(QStringLiteral("Invalid sampling frequency '%1': use auto, 8000, 11025, "
                                             "12000, 16000, 22050, 24000, 32000 or 44100.")
                                  .arg(text));
    }
    if (p.parser.isSet(p.channels)) {
        const QString text = p.parser.value(p.channels);
        const QStringList modes{QStringLiteral("auto"), QStringLiteral("mono"), QStringLiteral("stereo")};
        options.nLameChannel = static_cast<int>(modes.indexOf(text));
        if (options.nLameChannel < 0)
            return UsageError(
                QStringLiteral("Invalid channel mode '%1': use auto, mono or stereo.").arg(text));
    }
    if (p.parser.isSet(p.jobs)) {
        const QString text = p.parser.value(p.jobs);
        options.nEncoderThreads = Number(text);
        if (options.nEncoderThreads < 1)
            return UsageError(QStringLiteral("Invalid thread count '%1': use a number from 1 up.").arg(text));
    }
    options.bQuiet = p.parser.isSet(p.quiet);
    options.bCopyTags = !p.parser.isSet(p.noTags);

    const QStringList files = p.parser.positionalArguments();
    if (files.isEmpty())
        return UsageError(QStringLiteral("No input files."));
    options.arrFiles.clear();
    for (const QString& file : files)
        options.arrFiles.append(QFileInfo(file).absoluteFilePath());
    return result;
}

QString ConvertHelpText()
{
    Parser p;
    // Qt names the program by the path it was started with.
    QString text = p.parser.helpText();
    const QString usage = QStringLiteral("Usage: ");
    const qsizetype end = text.indexOf(QStringLiteral(" [options]"));
    if (text.startsWith(usage) && end > usage.size())
        text.replace(usage.size(), end - usage.size(), kProgram);
    return text;
}
