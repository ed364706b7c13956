#pragma once

#include <cstdio>
#include <memory>
#include <vector>

#include <QString>

#include "ConvertOptions.h"
#include "ConversionTask.h"
#include "WindowMessage.h"

class CConvJob;
class QEventLoop;
class WMAFile2;

// Exit statuses of marlune-convert.
constexpr int CONVERT_EXIT_OK = 0;
constexpr int CONVERT_EXIT_FAILED = 1;      // a file was skipped, or the job stopped on an error
constexpr int CONVERT_EXIT_USAGE = 2;
constexpr int CONVERT_EXIT_INTERRUPTED = 130; // 128 + SIGINT

// Runs one conversion job for the command line: builds the tasks as the main
// window does, runs them through the job runner and the stages, and shows
// the job's log (numbered as the progress window numbers it) and, on a
// terminal, a one-line progress display on standard error.
// User-interface thread (the thread of the QCoreApplication).
class CConvertCommand : public MessageReceiver
{
public:
    explicit CConvertCommand(CConvertOptions options);
    ~CConvertCommand() override;

    CConvertCommand(const CConvertCommand&) = delete;
    CConvertCommand& operator=(const CConvertCommand&) = delete;

    // Converts the files and returns the exit status.
    int Run();

    // Cancels the running job like the progress window's Cancel: the
    // current MP3 is finished with what was encoded. Safe to call from a
    // signal handler: it only raises a flag that Run() polls.
    static void RequestCancel();

    LRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                            std::unique_ptr<MessagePayload>& payload) override;

private:
    std::vector<CConversionTask> BuildTasks();
    void RunJob(std::vector<CConversionTask> tasks);
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
    int m_nSkipped = 0;
    float m_fTaskPercent = 0.0f;
    float m_fJobPercent = 0.0f;
};
