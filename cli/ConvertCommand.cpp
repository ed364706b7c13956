#include "ConvertCommand.h"

#include <csignal>

#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QTime>
#include <QTimer>

#include "AppSettings.h"
#include "ComResult.h"
#include "ConvJob.h"
#include "ConvLogFormat.h"
#include "DecodeStage.h"
#include "EngineGlobals.h"
#include "EngineMessages.h"
#include "Mp3Bitrates.h"
#include "RawNameAliases.h"
#include "SourceCheck.h"
#include "TaskBuilder.h"
#include "Tick.h"
#include "WMAFile2.h"

namespace {

const QString kProgram = QStringLiteral("marlune-convert");

// Often enough for a lively progress line and a prompt reaction to Ctrl+C;
// the job itself never waits for this.
constexpr int kPollMs = 100;

// The signal that asked to cancel, 0 while none did.
volatile std::sig_atomic_t s_nCancelSignal = 0;

const QString kStatusError = QStringLiteral("Converting status: ERROR.");

// A decoded file shorter than its header announces by more than this is
// reported: it is damaged or truncated.
constexpr double kShortToleranceSeconds = 1.0;

} // namespace

CConvertCommand::CConvertCommand(CConvertOptions options)
    : m_options(std::move(options))
    , m_bShowProgress(!m_options.bQuiet && isatty(fileno(stderr)))
{
}

CConvertCommand::~CConvertCommand()
{
    if (g_pWMAFile == m_pDecoder.get())
        g_pWMAFile = nullptr;
}

void CConvertCommand::RequestCancel(int signal)
{
    s_nCancelSignal = signal;
}

int CConvertCommand::Run()
{
    const HRESULT hr = CreateWMAFile2(m_pDecoder);
    if (FAILED(hr)) {
        PrintError(QStringLiteral("the WMA decoder cannot be created: %1").arg(DescribeResult(hr)));
        return CONVERT_EXIT_FAILED;
    }
    g_pWMAFile = m_pDecoder.get();

    std::vector<CConversionTask> tasks = BuildTasks();
    if (!tasks.empty()) {
        AppSettings.LameBits = static_cast<int16_t>(m_options.nLameBits);
        CreateSampleRings();
        RunTasks(std::move(tasks));
        DestroySampleRings();
    }
    g_pWMAFile = nullptr;
    PrintSummary();

    if (s_nCancelSignal)
        return 128 + s_nCancelSignal;
    return m_summary.AllConverted() ? CONVERT_EXIT_OK : CONVERT_EXIT_FAILED;
}

std::vector<CConversionTask> CConvertCommand::BuildTasks()
{
    OutputSettings settings;
    settings.strDesDir = m_options.strOutputDir;
    settings.nFreq = m_options.nFreq;
    settings.nLameChannel = m_options.nLameChannel;

    std::vector<CConversionTask> tasks;
    for (const QString& path : m_options.arrFiles) {
        if (s_nCancelSignal) {
            m_summary.AddNotTried(Shown(path));
            continue;
        }
        SourceDetails details;
        const QString reason = CheckSource(*m_pDecoder, path, details);
        if (!reason.isEmpty()) {
            PrintError(QStringLiteral("skipping %1: %2").arg(path, reason));
            m_summary.AddSkipped(Shown(path), reason);
            continue;
        }
        tasks.push_back(BuildConversionTask(details, settings));
    }
    return tasks;
}

void CConvertCommand::RunTasks(std::vector<CConversionTask> tasks)
{
    for (const CConversionTask& task : tasks)
        m_nSamplesTotal += task.m_nTotalSamples;
    m_dwRunStart = GetTickCount32();
    for (const CConversionTask& task : tasks) {
        if (s_nCancelSignal) {
            m_summary.AddNotTried(Shown(task.m_strSource));
            continue;
        }
        NoteBitrate(task);
        const bool bConverted = RunJob(task);
        RenameAliasOutput(task);
        NoteOutcome(task, bConverted);
        m_nSamplesBefore += task.m_nTotalSamples;
    }
    if (m_summary.AllConverted() && !s_nCancelSignal)
        PrintTotals(tasks.size());
}

// One file as a job of its own: a failure stops that job only.
bool CConvertCommand::RunJob(const CConversionTask& task)
{
    m_bFinished = false;
    m_strFailure.clear();
    m_strDest.clear();
    m_fTaskPercent = 0.0f;
    m_pJob = std::make_shared<CConvJob>();
    m_pJob->m_wndTarget = Target();
    m_pJob->m_nStartDelayMs = 0;
    m_pJob->m_bCopyTags = m_options.bCopyTags;
    m_pJob->m_nEncoderThreads = static_cast<unsigned>(m_options.nEncoderThreads);
    m_pJob->m_nSamplesTotal = task.m_nTotalSamples;
    m_pJob->m_arrTasks = {task};

    QEventLoop loop;
    m_pLoop = &loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [this] { Poll(); });
    poll.start(kPollMs);
    m_pJob->Start();
    loop.exec();
    m_pLoop = nullptr;

    // The runner has posted its last line and ends now; then the lines it
    // posted just before.
    WaitForJobsToEnd();
    QCoreApplication::sendPostedEvents();
    ClearProgress();
    m_fSecondsDone += m_pJob->m_fSecondsDone;
    return m_bFinished;
}

// The MP3 of a source reached through a link gets the source's own name.
void CConvertCommand::RenameAliasOutput(const CConversionTask& task)
{
    if (!m_pAliases || !m_pAliases->IsAlias(task.m_strSource) || m_strDest.isEmpty()
        || !QFileInfo::exists(m_strDest))
        return;
    QString reason;
    if (!m_pAliases->GiveOutputTheSourceName(task.m_strSource, m_strDest, &reason))
        PrintError(QStringLiteral("%1 keeps its name: %2").arg(m_strDest, reason));
}

QString CConvertCommand::Shown(const QString& text) const
{
    return m_pAliases ? m_pAliases->Shown(text) : text;
}

void CConvertCommand::NoteOutcome(const CConversionTask& task, bool bConverted)
{
    if (!bConverted) {
        if (m_bCancelled)
            m_summary.AddFailed(Shown(task.m_strSource),
                                QStringLiteral("interrupted; the MP3 keeps what was converted"));
        else
            m_summary.AddFailed(Shown(task.m_strSource),
                                m_strFailure.isEmpty() ? kStatusError : m_strFailure);
        return;
    }
    const uint64_t nDone = m_pJob->m_nTaskSamplesDone;
    const double fExpected = task.SamplesToSeconds(task.m_nTotalSamples);
    const double fDecoded = task.SamplesToSeconds(nDone);
    if (nDone < task.m_nTotalSamples && fExpected - fDecoded > kShortToleranceSeconds) {
        PrintError(QStringLiteral("warning: %1 ends after %2 s of the %3 s its header announces; "
                                  "the source is damaged or truncated")
                       .arg(Shown(task.m_strSource), QString::number(fDecoded, 'f', 2),
                            QString::number(fExpected, 'f', 2)));
        m_summary.AddShort(Shown(task.m_strSource), fDecoded, fExpected);
        return;
    }
    m_summary.AddConverted();
}

// The encoder takes the nearest bitrate the output frequency's MPEG version
// carries; the user hears of it once per frequency.
void CConvertCommand::NoteBitrate(const CConversionTask& task)
{
    const auto asked = static_cast<uint32_t>(BitrateForIndex(m_options.nLameBits));
    const uint32_t taken = NearestBitrate(asked, static_cast<uint32_t>(task.m_nDestRate));
    if (taken == asked || !m_setBitrateToldAt.insert(task.m_nDestRate).second)
        return;
    PrintError(QStringLiteral("%1 kbps is not possible at %2 Hz; the MP3 files at %2 Hz are "
                              "written at %3 kbps")
                   .arg(asked)
                   .arg(task.m_nDestRate)
                   .arg(taken));
}

// The job's closing lines as the progress window logs them for a job of
// several files.
void CConvertCommand::PrintTotals(size_t nTasks)
{
    if (nTasks > 1) {
        const float fElapsed = SecondsSince(m_dwRunStart);
        PrintLog(QString(99, QLatin1Char('-')), LOG_INFO);
        PrintLog(QString::asprintf("Total time elapsed %.2f secs, overall speed %.2fx.", fElapsed,
                                   fElapsed > 0.0f ? m_fSecondsDone / fElapsed : 0.0),
                 LOG_INFO);
    }
    if (!m_options.bQuiet)
        PrintLog(QStringLiteral("Finished converting, all done"), LOG_INFO);
}

void CConvertCommand::PrintSummary()
{
    // Quiet runs that went well stay quiet.
    if (m_options.bQuiet && m_summary.AllConvertedInFull())
        return;
    for (const QString& line : m_summary.Lines())
        PrintError(line);
}

void CConvertCommand::Poll()
{
    if (s_nCancelSignal && !m_bCancelled)
        Cancel();
    const auto runner = m_pJob->m_pRunnerThread.Load();
    if (!runner || !runner->IsRunning()) {
        m_pLoop->quit();
        return;
    }
    DrawProgress();
}

void CConvertCommand::Cancel()
{
    m_bCancelled = true;
    m_pJob->m_bAborted = true;
    m_pJob->m_bRunning = false;
    ClearProgress();
    WriteLine(QStringLiteral("%1: interrupted; the current MP3 keeps what was converted so far.")
                  .arg(kProgram));
}

LRESULT CConvertCommand::OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                         std::unique_ptr<MessagePayload>& payload)
{
    switch (message) {
    case WM_CONV_LOG:
        // Like the progress window, which closes on Cancel: the lines of
        // the winding-down stages are not shown.
        if (const QString* text = PayloadValue<QString>(payload.get()); text && !m_bCancelled) {
            PrintLog(*text, static_cast<int>(lParam));
            // The first error line names the cause; the ones after it follow from it.
            if (lParam == LOG_ERROR && m_strFailure.isEmpty() && *text != kStatusError)
                m_strFailure = *text;
            // The runner's last line for a failed file: no need to wait for
            // the next poll to go on.
            if (*text == kStatusError && m_pLoop)
                m_pLoop->quit();
        }
        break;
    case WM_CONV_SYSTEM_REASON:
        if (const QString* reason = PayloadValue<QString>(payload.get()); reason && !m_bCancelled) {
            PrintError(*reason);
            m_strFailure += QStringLiteral(": ") + *reason;
        }
        break;
    case WM_CONV_SETTEXT:
        if (const QString* text = PayloadValue<QString>(payload.get()); text && wParam == IDC_CONV_DEST)
            m_strDest = *text;
        break;
    case WM_CONV_PROGRESS:
        if (const ConvProgress* progress = PayloadValue<ConvProgress>(payload.get())) {
            m_fTaskPercent = std::min(progress->fTaskPercent, 100.0f);
            const double fDone = static_cast<double>(m_nSamplesBefore)
                                 + static_cast<double>(m_pJob ? m_pJob->m_nSamplesTotal : 0)
                                       * m_fTaskPercent / 100.0;
            m_fJobPercent = m_nSamplesTotal
                                ? static_cast<float>(std::min(
                                      100.0 * fDone / static_cast<double>(m_nSamplesTotal), 100.0))
                                : 0.0f;
        }
        break;
    case WM_CONV_TAGS_NOT_COPIED:
        // Outside the numbered log, which stays as the progress window's.
        if (const QString* text = PayloadValue<QString>(payload.get()))
            PrintError(QStringLiteral("tags not copied: ") + *text);
        break;
    case WM_CONV_FINISHED:
        m_bFinished = !m_bCancelled;
        if (m_pLoop)
            m_pLoop->quit();
        break;
    default:
        break;
    }
    return 0;
}

void CConvertCommand::PrintLog(const QString& text, int severity)
{
    // Numbered even when not shown, so the numbers match the window's.
    const unsigned number = NextLogLineNumber();
    if (m_options.bQuiet && severity != LOG_ERROR)
        return;
    WriteLine(LogNumberText(number) + LogTimeText(QTime::currentTime()) + QLatin1Char(' ') + Shown(text));
}

void CConvertCommand::PrintError(const QString& text)
{
    WriteLine(kProgram + QStringLiteral(": ") + Shown(text));
}

void CConvertCommand::WriteLine(const QString& line)
{
    const bool redraw = m_bProgressShown;
    ClearProgress();
    std::fputs(line.toLocal8Bit().constData(), m_pOut);
    std::fputc('\n', m_pOut);
    if (redraw)
        DrawProgress();
    std::fflush(m_pOut);
}

void CConvertCommand::DrawProgress()
{
    if (!m_bShowProgress || !m_pJob || m_bCancelled)
        return;
    const float taskTime = SecondsSince(m_pJob->m_dwTaskStart);
    const float jobTime = SecondsSince(m_dwRunStart);
    const double speed = taskTime > 0.1f ? m_pJob->m_fTaskSecondsDone / taskTime : 0.0;
    const double left = m_fJobPercent > 0.0f ? (100.0f - m_fJobPercent) * jobTime / m_fJobPercent : 0.0;
    const QString line = QStringLiteral("file %1  job %2  speed%3  ETA %4")
                             .arg(PercentText(m_fTaskPercent), PercentText(m_fJobPercent),
                                  SpeedText(speed), ClockText(left));
    // Carriage return and erase to the end of the line: the display is
    // redrawn in place and never pushes the log up.
    std::fprintf(m_pOut, "\r%s\x1b[K", line.toLocal8Bit().constData());
    std::fflush(m_pOut);
    m_bProgressShown = true;
}

void CConvertCommand::ClearProgress()
{
    if (!m_bProgressShown)
        return;
    std::fputs("\r\x1b[K", m_pOut);
    std::fflush(m_pOut);
    m_bProgressShown = false;
}
