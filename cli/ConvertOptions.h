#pragma once

#include <QString>
#include <QStringList>

// The command line of marlune-convert:
//   marlune-convert [-o DIR] [-b KBPS] [-r auto|HZ] [-c auto|mono|stereo] [-j N] [-q] [--no-tags] FILE...
// Defaults come from the user's saved settings.
struct CConvertOptions
{
    QString strOutputDir; // output folder, ending with a separator
    int nLameBits = 0;    // index into BitrateTable
    int nFreq = 0;        // index into FrequencyTable, 0 = automatic
    int nLameChannel = 0; // 0 automatic, 1 mono, 2 stereo
    bool bQuiet = false;  // errors only
    bool bCopyTags = true; // the sources' tags go into the MP3 files
    int nEncoderThreads = 0; // threads per file; 0 one per processor core
    QStringList arrFiles; // absolute paths, in the order given
};

struct ConvertCommandLine
{
    enum class Action { Convert, ShowHelp, ShowVersion, UsageError };

    Action action = Action::Convert;
    CConvertOptions options;
    QString strError; // one line, for UsageError
};

// Parses the arguments (without the program name); defaults holds the
// saved settings the options override.
ConvertCommandLine ParseConvertArguments(const QStringList& arguments,
                                         const CConvertOptions& defaults);

// The text of --help.
QString ConvertHelpText();
