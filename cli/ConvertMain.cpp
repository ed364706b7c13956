#include <csignal>
#include <cstdio>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "AppSettings.h"
#include "ConsoleInteraction.h"
#include "ConvertCommand.h"
#include "ConvertOptions.h"
#include "RawNameAliases.h"
#include "SettingsStore.h"
#include "UserFolders.h"

namespace {

// The user's saved settings, read from Config.ini without creating or
// changing anything.
CConvertOptions SavedDefaults()
{
    AppSettings.DesDir = DefaultOutputFolder();
    QString appData = UserFolders::ApplicationData();
    if (appData.isEmpty())
        appData = QDir::toNativeSeparators(QDir::homePath());
    AppSettings.SettingsFolder = appData + QDir::separator() + QStringLiteral("Marlune");
    if (QFileInfo::exists(SettingsFilePath()))
        LoadSettings();

    CConvertOptions defaults;
    // The window refuses to convert into an empty output folder until one is
    // chosen; here, without a dialog to choose one, the default folder serves.
    defaults.strOutputDir = AppSettings.DesDir.isEmpty() ? DefaultOutputFolder() : AppSettings.DesDir;
    defaults.nLameBits = AppSettings.LameBits;
    defaults.nFreq = AppSettings.Freq;
    defaults.nLameChannel = AppSettings.LameChannel;
    return defaults;
}

void OnStopSignal(int signal)
{
    CConvertCommand::RequestCancel(signal);
}

void Print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("marlune-convert"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MARLUNE_VERSION));
    ConsoleInteraction console;
    InstallInteraction(&console);

    // From argv rather than QCoreApplication::arguments(), which decodes
    // every name as UTF-8 and loses the bytes of one that is not.
    CRawNameAliases aliases;
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(aliases.PathFor(QByteArray(argv[i])));
    const ConvertCommandLine commandLine = ParseConvertArguments(arguments, SavedDefaults());
    switch (commandLine.action) {
    case ConvertCommandLine::Action::ShowHelp:
        Print(stdout, ConvertHelpText());
        return CONVERT_EXIT_OK;
    case ConvertCommandLine::Action::ShowVersion:
        Print(stdout, QStringLiteral("marlune-convert %1\n").arg(QCoreApplication::applicationVersion()));
        return CONVERT_EXIT_OK;
    case ConvertCommandLine::Action::UsageError:
        Print(stderr, QStringLiteral("marlune-convert: %1\nTry 'marlune-convert --help' for more "
                                     "information.\n")
                          .arg(commandLine.strError));
        return CONVERT_EXIT_USAGE;
    case ConvertCommandLine::Action::Convert:
        break;
    }

    // The first Ctrl+C, SIGTERM or SIGHUP cancels and lets the current MP3
    // be finished with its information tag; a second one ends the process
    // the usual way.
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);

    CConvertCommand command(commandLine.options);
    command.SetRawNameAliases(&aliases);
    const int status = command.Run();
    InstallInteraction(nullptr);
    return status;
}
