#include "ConvertCommand.h"

#include <csignal>

#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTime>
#include <QTimer>

#include "AppSettings.h"
#include "ComResult.h"
#include "ConvJob.h"
#include "ConvLogFormat.h"
#include "DecodeStage.h"
#include "EngineGlobals.h"
#include "EngineMessages.h"
#include "TaskBuilder.h"
#include "Tick.h"
#include "WMAFile2.h"

namespace {

const QString kProgram = QStringLiteral("marlune-convert");

// Often enough for a lively progress line and a prompt reaction to Ctrl+C;
// the job itself never waits for this.
constexpr int kPollMs = 100;

volatile std::sig_atomic_t s_cancelRequested = 0;

// Why a file cannot be converted, or an empty string when it can; fills the
// details the file list would show for it.
QString ReadDetails(WMAFile2& decoder, const QString& path, SourceDetails& details)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    file.close();

    const HRESULT hr = ReadSourceDetails(decoder, path, details);
    if (FAILED(hr))
        return DescribeResult(hr);
    if (details.nSampleRate == 0 || details.nChannels == 0 || details.nTotalSamples == 0)
        return QStringLiteral("The file holds no audio");
    return {};
}

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

void CConvertCommand::RequestCancel()
{
    s_cancelRequested = 1;
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
    if (!tasks.empty() && !s_cancelRequested) {
        AppSettings.LameBits = static_cast<int16_t>(m_options.nLameBits);
        CreateSampleRings();
        RunJob(std::move(tasks));
        DestroySampleRings();
    }
    g_pWMAFile = nullptr;

    if (m_bCancelled || s_cancelRequested)
        return CONVERT_EXIT_INTERRUPTED;
    return m_bFinished && m_nSkipped == 0 ? CONVERT_EXIT_OK : CONVERT_EXIT_FAILED;
}

std::vector<CConversionTask> CConvertCommand::BuildTasks()
{
    OutputSettings settings;
    settings.strDesDir = m_options.strOutputDir;
    settings.nFreq = m_options.nFreq;
    settings.nLameChannel = m_options.nLameChannel;

    std::vector<CConversionTask> tasks;
    for (const QString& path : m_options.arrFiles) {
        SourceDetails details;
        const QString reason = ReadDetails(*m_pDecoder, path, details);
        if (!reason.isEmpty()) {
            PrintError(QStringLiteral("skipping %1: %2").arg(path, reason));
            ++m_nSkipped;
            continue;
        }
        tasks.push_back(BuildConversionTask(details, settings));
    }
    return tasks;
}

void CConvertCommand::RunJob(std::vector<CConversionTask> tasks)
{
    m_pJob = std::make_shared<CConvJob>();
    m_pJob->m_wndTarget = Target();
    m_pJob->m_nStartDelayMs = 0;
    m_pJob->m_nEncoderThreads = static_cast<unsigned>(m_options.nEncoderThreads);
    for (const CConversionTask& task : tasks)
        m_pJob->m_nSamplesTotal += task.m_nTotalSamples;
    m_pJob->m_arrTasks = std::move(tasks);

    QEventLoop loop;
    m_pLoop = &loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [this] { Poll(); });
    poll.start(kPollMs);
    m_pJob->Start();
    loop.exec();
    m_pLoop = nullptr;

    // Lines the runner posted just before it ended.
    QCoreApplication::sendPostedEvents();
    ClearProgress();
    CloseMessages();
}

void CConvertCommand::Poll()
{
    if (s_cancelRequested && !m_bCancelled)
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

LRESULT CConvertCommand::OnWindowMessage(UINT message, WPARAM, LPARAM lParam,
                                         std::unique_ptr<MessagePayload>& payload)
{
    switch (message) {
    case WM_CONV_LOG:
        // Like the progress window, which closes on Cancel: the lines of
        // the winding-down stages are not shown.
        if (const QString* text = PayloadValue<QString>(payload.get()); text && !m_bCancelled)
            PrintLog(*text, static_cast<int>(lParam));
        break;
    case WM_CONV_PROGRESS:
        if (const ConvProgress* progress = PayloadValue<ConvProgress>(payload.get())) {
            m_fTaskPercent = std::min(progress->fTaskPercent, 100.0f);
            m_fJobPercent = std::min(progress->fJobPercent, 100.0f);
        }
        break;
    case WM_CONV_FINISHED:
        m_bFinished = !m_bCancelled;
        if (m_bFinished && !m_options.bQuiet)
            PrintLog(QStringLiteral("Finished converting, all done"), LOG_INFO);
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
    WriteLine(LogNumberText(number) + LogTimeText(QTime::currentTime()) + QLatin1Char(' ') + text);
}

void CConvertCommand::PrintError(const QString& text)
{
    WriteLine(kProgram + QStringLiteral(": ") + text);
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
    const float jobTime = SecondsSince(m_pJob->m_dwJobStart);
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
