#pragma once

#include <cstdio>
#include <memory>
#include <set>
#include <vector>

#include <QString>
#include <QStringList>

#include "BatchSummary.h"
#include "ConvertOptions.h"
#include "ConversionTask.h"
#include "WindowMessage.h"

class CConvJob;
class CRawNameAliases;
class QEventLoop;
class WMAFile2;

// Exit statuses of marlune-convert.
constexpr int CONVERT_EXIT_OK = 0;
constexpr int CONVERT_EXIT_FAILED = 1;      // a file was skipped, or the job stopped on an error
constexpr int CONVERT_EXIT_USAGE = 2;
constexpr int CONVERT_EXIT_INTERRUPTED = 130; // 128 + SIGINT; SIGTERM gives 143, SIGHUP 129

// Runs the conversions of the command line: builds the tasks as the main
// window does and runs each file as a job of its own through the job runner
// and the stages, so a file that fails does not stop the ones after it.
// Shows the jobs' log (numbered as the progress window numbers it) and, on a
// terminal, a one-line progress display on standard error, and ends with a
// summary there.
// User-interface thread (the thread of the QCoreApplication).
class CConvertCommand : public MessageReceiver
{
public:
    explicit CConvertCommand(CConvertOptions options);
    ~CConvertCommand() override;

    CConvertCommand(const CConvertCommand&) = delete;
    CConvertCommand& operator=(const CConvertCommand&) = delete;

    // The links to the files named by bytes that are not UTF-8; messages
    // show the names given, and their MP3 files get the sources' bytes.
    // Not owned; outlives Run().
    void SetRawNameAliases(const CRawNameAliases* aliases) { m_pAliases = aliases; }

    // Converts the files and returns the exit status.
    int Run();

    // Cancels the running job like the progress window's Cancel: the
    // current MP3 is finished with what was encoded, no further file is
    // started, and Run() returns 128 + the signal. Safe to call from a
    // signal handler: it only raises a flag that Run() polls.
    static void RequestCancel(int signal);

    LRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                            std::unique_ptr<MessagePayload>& payload) override;

private:
    std::vector<CConversionTask> BuildTasks();
    void RunTasks(std::vector<CConversionTask> tasks);
    bool RunJob(const CConversionTask& task);
    void NoteOutcome(const CConversionTask& task, bool bConverted);
    void RenameAliasOutput(const CConversionTask& task);
    QString Shown(const QString& text) const;
    void NoteBitrate(const CConversionTask& task);
    void PrintTotals(size_t nTasks);
    void PrintSummary();
    void Poll();
    void Cancel();

    void PrintLog(const QString& text, int severity);
    void PrintError(const QString& text);
    void WriteLine(const QString& line);
    void DrawProgress();
    void ClearProgress();

    CConvertOptions m_options;
    std::unique_ptr<WMAFile2> m_pDecoder;
    std::shared_ptr<CConvJob> m_pJob;
    QEventLoop* m_pLoop = nullptr;
    std::FILE* m_pOut = stderr;
    bool m_bShowProgress = false;
    bool m_bProgressShown = false;
    bool m_bFinished = false;
    bool m_bCancelled = false;
    const CRawNameAliases* m_pAliases = nullptr;
    QString m_strDest; // where the runner put the current file's MP3
    CBatchSummary m_summary;
    // The current file's first error line, and the system's reason for it.
    QString m_strFailure;
    std::set<int> m_setBitrateToldAt; // output frequencies already told about
    // Over the whole run, for the progress display and the total line.
    uint64_t m_nSamplesBefore = 0;
    uint64_t m_nSamplesTotal = 0;
    double m_fSecondsDone = 0.0;
    uint32_t m_dwRunStart = 0;
    float m_fTaskPercent = 0.0f;
    float m_fJobPercent = 0.0f;
};
