#include "EncodeStage.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <QFile>
#include <QThread>

#include "AppSettings.h"
#include "ConvJob.h"
#include "ConversionTask.h"
#include "EngineGlobals.h"
#include "EngineMessages.h"
#include "LameLibrary.h"
#include "TagCopy.h"
#include "Tick.h"
#include "UserInteraction.h"

namespace {

constexpr uint32_t kProgressIntervalMs = 100;
constexpr unsigned kPausePollMs = 100;
constexpr unsigned kEmptyPollMs = 1;
constexpr unsigned kMp3Quality = 9;
// Ring buffer values carry 16-bit samples in their upper half.
constexpr float kSampleScale = 1.0f / 65536.0f;

void Fail(CConvJob& job, const QString& line)
{
    job.PostLog(line, LOG_ERROR);
    job.m_bRunning = false;
}

// A failed create or write: the log line, then the system's reason for it.
void FailWithSystemReason(CConvJob& job, const QString& line, const QFile& file)
{
    Fail(job, line);
    job.m_wndTarget.PostMessage(WM_CONV_SYSTEM_REASON, 0, 0,
                                std::make_unique<TextPayload>(file.errorString()));
}

// A load failure is also shown to the user; the job stops only once the box
// has been closed.
void FailWithBox(CConvJob& job, const QString& line, const QString& box)
{
    job.PostLog(line, LOG_ERROR);
    MessageBoxFromAnyThread(box, ApplicationName(), MB_OK | MB_ICONERROR);
    job.m_bRunning = false;
}

BE_CONFIG MakeConfig(const CConversionTask& task)
{
    BE_CONFIG config;
    std::memset(&config, 0, sizeof config);
    config.dwConfig = BE_CONFIG_LAME;
    auto& lhv = config.format.LHV1;
    lhv.dwStructVersion = 1;
    lhv.dwStructSize = sizeof config;
    lhv.dwSampleRate = static_cast<uint32_t>(task.m_nDestRate);
    lhv.dwReSampleRate = 0;
    lhv.nMode = task.m_nDestChannels == 1 ? BE_MP3_MODE_MONO : BE_MP3_MODE_STEREO;
    lhv.dwBitrate = static_cast<uint32_t>(BitrateForIndex(AppSettings.LameBits));
    lhv.nPreset = LQP_NOPRESET;
    lhv.dwMpegVersion = 1;
    lhv.bWriteVBRHeader = 1;
    lhv.bNoRes = 1;
    lhv.nQuality = static_cast<uint16_t>((255 - kMp3Quality) * 256 + kMp3Quality);
    return config;
}

unsigned EncoderThreadCount(const CConvJob& job)
{
    return job.m_nEncoderThreads ? job.m_nEncoderThreads
                                 : static_cast<unsigned>(std::max(1, QThread::idealThreadCount()));
}

float Percent(uint64_t done, uint64_t total)
{
    return total ? static_cast<float>(100.0 * static_cast<double>(done) / static_cast<double>(total))
                 : 0.0f;
}

void PostJobProgress(const CConvJob& job, const CConversionTask& task, bool bSend)
{
    PostProgress(Percent(job.m_nTaskSamplesDone, task.m_nTotalSamples),
                 Percent(job.m_nSamplesDone, job.m_nSamplesTotal), bSend);
}

// Writes all of data; false on a short write (a full disk, for instance).
bool WriteAll(QFile& file, const uint8_t* data, uint32_t bytes)
{
    return bytes == 0
        || file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(bytes))
        == static_cast<qint64>(bytes);
}

// Closes the stream exactly once, on every way out of the encoder.
class CStreamCloser
{
public:
    CStreamCloser(const CLameLibrary& lame, HBE_STREAM hStream)
        : m_lame(lame)
        , m_hStream(hStream)
    {
    }
    ~CStreamCloser() { Close(); }
    CStreamCloser(const CStreamCloser&) = delete;
    CStreamCloser& operator=(const CStreamCloser&) = delete;

    void Close()
    {
        if (m_bOpen)
            m_lame.beCloseStream(m_hStream);
        m_bOpen = false;
    }

private:
    const CLameLibrary& m_lame;
    HBE_STREAM m_hStream;
    bool m_bOpen = true;
};

} // namespace

void PostProgress(float fCurrentPercent, float fJobPercent, bool bSend)
{
    const CConvJob* job = g_pConvProg;
    if (!job)
        return;
    auto payload = std::make_unique<ProgressPayload>(ConvProgress{fCurrentPercent, fJobPercent});
    if (bSend)
        job->m_wndTarget.SendMessage(WM_CONV_PROGRESS, 0, 0, std::move(payload));
    else
        job->m_wndTarget.PostMessage(WM_CONV_PROGRESS, 0, 0, std::move(payload));
}

unsigned EncodeTask(CConversionTask* task)
{
    task->m_bEncoding = true;
    if (task->m_nDestFormat == FORMAT_MP3) {
        try {
            EncodeMp3(*task);
        } catch (...) {
            if (CConvJob* job = g_pConvProg) {
                job->m_bRunning = false;
                job->PostLog(QStringLiteral("An error occurred while encoding %1").arg(task->m_strDest),
                             LOG_ERROR);
            }
        }
    }
    task->m_bEncoding = false;
    return 0;
}

std::shared_ptr<CWorkerThread> StartEncodeStage(CConversionTask& task)
{
    auto thread = std::make_shared<CWorkerThread>([pTask = &task] { return EncodeTask(pTask); });
    if (CConvJob* job = g_pConvProg)
        job->m_pEncoderThread.Store(thread);
    thread->Resume();
    return thread;
}

bool EncodeMp3(CConversionTask& task)
{
    if (!g_pConvProg || !task.m_pEncoderInput)
        return false;
    CConvJob& job = *g_pConvProg;

    CLameLibrary lame;
    switch (lame.Load()) {
    case CLameLibrary::LoadResult::NotFound:
        FailWithBox(job, QStringLiteral("Error loading lame_enc.dll"),
                    QStringLiteral("Error Loading Lame_enc.dll"));
        return false;
    case CLameLibrary::LoadResult::MissingEntryPoint:
        FailWithBox(job, QStringLiteral("Unable to get LAME interfaces"),
                    QStringLiteral("Unable to Get LAME Interfaces"));
        return false;
    case CLameLibrary::LoadResult::Loaded:
        break;
    }

    const BE_CONFIG config = MakeConfig(task);

    // Never over an existing file: the runner picked a free name, and a file
    // that appeared since then belongs to someone else. Unbuffered, so a
    // short write shows at the write that failed.
    QFile file(task.m_strDest);
    if (!file.open(QIODevice::ReadWrite | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        FailWithSystemReason(job, QStringLiteral("Error creating file %1").arg(task.m_strDest), file);
        return false;
    }

    if (lame.beSetEncoderThreads)
        lame.beSetEncoderThreads(EncoderThreadCount(job));

    uint32_t dwSamples = 0;
    uint32_t dwBufferSize = 0;
    HBE_STREAM hStream = 0;
    static const char kEmpty[] = "";
    const BE_ERR initResult =
        lame.beInitStream(&config, &dwSamples, &dwBufferSize, &hStream, 0, 0, kEmpty, kEmpty,
                          kEmpty, kEmpty, kEmpty, kEmpty, kEmpty, 0, 0, 30, 5, 16000, 2400);
    CStreamCloser stream(lame, hStream);
    if (initResult != BE_ERR_SUCCESSFUL || dwSamples == 0) {
        Fail(job, QString::asprintf("Error opening encoding stream (%lu)",
                                    static_cast<unsigned long>(initResult)));
        stream.Close();
        // Nothing was written into it: the empty file is ours to remove.
        file.remove();
        return false;
    }

    const bool bMono = task.m_nDestChannels == 1;
    std::vector<uint8_t> output(dwBufferSize);
    std::vector<int> chunkBuffer(dwSamples);
    std::vector<float> left(bMono ? dwSamples : dwSamples / 2);
    std::vector<float> right(bMono ? 0 : dwSamples / 2);
    uint32_t dwLastProgress = GetTickCount32();
    bool bWriteFailed = false;
    uint64_t nSamplesStored = 0;

    SampleRing& input = *task.m_pEncoderInput;
    while (job.m_bRunning) {
        if (job.m_bPaused) {
            SleepMs(kPausePollMs);
            continue;
        }
        const uint32_t dwNow = GetTickCount32();
        if (static_cast<uint32_t>(dwNow - dwLastProgress) > kProgressIntervalMs) {
            dwLastProgress = dwNow;
            PostJobProgress(job, task, false);
        }

        uint32_t chunk = dwSamples;
        bool bLastChunk = false;
        // Upstream flags first: values written just before a flag was
        // cleared are then counted below.
        const bool bUpstreamRunning = task.m_bDecoding || task.m_bProcessing;
        const uint32_t available = input.Available(0);
        if (available < chunk) {
            if (bUpstreamRunning) {
                SleepMs(kEmptyPollMs);
                continue;
            }
            chunk = available;
            bLastChunk = true;
        }

        input.Read(chunkBuffer.data(), chunk, 0);
        uint32_t frames;
        if (bMono) {
            for (uint32_t i = 0; i < chunk; ++i)
                left[i] = static_cast<float>(chunkBuffer[i]) * kSampleScale;
            frames = chunk;
        } else {
            frames = chunk / 2;
            for (uint32_t i = 0; i < frames; ++i) {
                left[i] = static_cast<float>(chunkBuffer[2 * i]) * kSampleScale;
                right[i] = static_cast<float>(chunkBuffer[2 * i + 1]) * kSampleScale;
            }
        }

        uint32_t dwWritten = 0;
        const BE_ERR encodeResult = lame.beEncodeChunkFloatS16NI(
            hStream, frames, left.data(), bMono ? nullptr : right.data(), output.data(), &dwWritten);
        if (encodeResult != BE_ERR_SUCCESSFUL) {
            Fail(job, QString::asprintf("beEncodeChunk() failed (%lu)",
                                        static_cast<unsigned long>(encodeResult)));
            return false;
        }
        if (!WriteAll(file, output.data(), dwWritten)) {
            FailWithSystemReason(job, QStringLiteral("Output file write error"), file);
            bWriteFailed = true;
            break;
        }

        nSamplesStored += chunk;
        job.m_nTaskSamplesDone += chunk;
        job.m_nSamplesDone += chunk;
        const float fSeconds = task.SamplesToSeconds(chunk);
        job.m_fTaskSecondsDone = job.m_fTaskSecondsDone + fSeconds;
        job.m_fSecondsDone = job.m_fSecondsDone + fSeconds;
        if (bLastChunk)
            break;
    }

    // Also after a cancel or a failed write: the stream is finished with
    // what was encoded, so the file plays and carries its tag.
    uint32_t dwWritten = 0;
    const BE_ERR deinitResult = lame.beDeinitStream(hStream, output.data(), &dwWritten);
    if (deinitResult != BE_ERR_SUCCESSFUL) {
        Fail(job, QString::asprintf("beExitStream failed (%lu)",
                                    static_cast<unsigned long>(deinitResult)));
        return false;
    }
    if (!WriteAll(file, output.data(), dwWritten)) {
        FailWithSystemReason(job, QStringLiteral("Output file write error"), file);
        bWriteFailed = true;
    }
    stream.Close();
    // No audio reached the file (the source gave none before the job
    // stopped, or the disk was full from the start): it would play as
    // nothing and take the name from the next conversion. It was created
    // here exclusively, so it is ours to remove.
    if (nSamplesStored == 0 || file.size() == 0) {
        file.remove();
        PostJobProgress(job, task, true);
        return false;
    }
    file.close();

    const QByteArray path = QFile::encodeName(task.m_strDest);
    if (lame.beWriteInfoTag)
        lame.beWriteInfoTag(hStream, path.constData());
    else
        lame.beWriteVBRHeader(path.constData());
    CopyTaskTags(job, task);

    PostJobProgress(job, task, true);
    return !bWriteFailed;
}
