#include "DecodeStage.h"

#include <algorithm>
#include <memory>
#include <vector>

#include <QFile>

#include "ComResult.h"
#include "ConvJob.h"
#include "ConversionTask.h"
#include "EncodeStage.h"
#include "EngineGlobals.h"
#include "ProcessStage.h"
#include "Tick.h"
#include "WMAFile2.h"
#include "WorkerThread.h"

WMAFile2* g_pWMAFile = nullptr;

namespace {

constexpr int kMaxErrorTextChars = 1024;
constexpr unsigned kPollMs = 1;

// Closes the decoder's file on every way out of decoding, so a failed task
// never leaves the shared instance with a file open.
class DecoderFileGuard
{
public:
    explicit DecoderFileGuard(WMAFile2* decoder)
        : m_pDecoder(decoder)
    {
    }
    ~DecoderFileGuard()
    {
        if (m_pDecoder)
            m_pDecoder->Close();
    }
    DecoderFileGuard(const DecoderFileGuard&) = delete;
    DecoderFileGuard& operator=(const DecoderFileGuard&) = delete;

    // Closes now; a failure throws.
    void Close()
    {
        WMAFile2* decoder = m_pDecoder;
        m_pDecoder = nullptr;
        ThrowIfFailed(decoder->Close());
    }

private:
    WMAFile2* m_pDecoder;
};

// A 16-bit sample in the upper half of a 32-bit value, as the effects chain
// counts full scale.
int32_t ToRingValue(int16_t sample)
{
    const uint32_t shifted = static_cast<uint32_t>(static_cast<uint16_t>(sample)) << 16;
    return static_cast<int32_t>(shifted & SAMPLE_MASK);
}

void StartProcessStage(CConversionTask& task)
{
    auto thread = std::make_shared<CWorkerThread>([pTask = &task] { return ProcessAudio(pTask); });
    g_pConvProg->m_pProcessThread.Store(thread);
    thread->Resume();
}

} // namespace

bool DecodeTask(CConversionTask& task)
{
    CConvJob* job = g_pConvProg;
    g_pCurrentTask = &task;
    task.m_bDecoding = true;
    job->m_pProcessThread.Store(nullptr);

    if (!CheckSourceFile(task.m_strSource)) {
        job->m_bRunning = false;
        task.m_bDecoding = false;
        return false;
    }

    bool result = false;
    try {
        // Nothing but WMA is decoded; any other format fails the task
        // before an output file exists.
        if (task.m_nSourceFormat != FORMAT_WMA) {
            job->m_bRunning = false;
            task.m_bDecoding = false;
            return false;
        }
        OpenWmaSource(task);
        if (task.m_bProcess) {
            task.m_pEncoderInput = g_pProcessedRing;
            StartProcessStage(task);
        } else {
            task.m_pEncoderInput = g_pDecodedRing;
            StartEncodeStage(task);
        }
        result = DecodeWma(task);
    } catch (...) {
        job->m_bRunning = false;
        if (g_pWMAFile)
            g_pWMAFile->Close();
        job->PostLog(QStringLiteral("An error occurred while decoding %1").arg(task.m_strSource),
                     LOG_ERROR);
        result = false;
    }
    // After the last Write: downstream takes a clear flag and an empty ring
    // buffer as the end of the source.
    task.m_bDecoding = false;
    return result;
}

bool CheckSourceFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        PostLog(QStringLiteral("File Error: %1").arg(file.errorString().left(kMaxErrorTextChars)),
                LOG_ERROR);
        return false;
    }
    file.close();
    return true;
}

void OpenWmaSource(const CConversionTask& task)
{
    WMAFile2* decoder = g_pWMAFile;
    if (!decoder)
        throw CComError(E_POINTER);
    ThrowIfFailed(decoder->SetOutputFormat(task.m_nSourceRate, task.m_nSourceChannels));
    ThrowIfFailed(decoder->Open(task.m_strSource));
}

bool DecodeWma(CConversionTask& task)
{
    WMAFile2* decoder = g_pWMAFile;
    if (!decoder)
        throw CComError(E_POINTER);
    DecoderFileGuard file(decoder);
    const CConvJob* job = g_pConvProg;

    const auto blockValues =
        static_cast<uint32_t>(std::max(task.m_nSourceChannels, 1) * DECODE_BLOCK_FRAMES);
    std::vector<int32_t> block(blockValues);
    std::vector<int16_t> samples;
    samples.reserve(blockValues);

    while (job->m_bRunning) {
        if (g_pDecodedRing->FreeSpace() < blockValues) {
            SleepMs(kPollMs);
            continue;
        }
        ThrowIfFailed(decoder->ReadSamples(DECODE_BLOCK_FRAMES, samples));
        const auto n = static_cast<uint32_t>(std::min<size_t>(samples.size(), blockValues));
        std::transform(samples.begin(), samples.begin() + n, block.begin(), ToRingValue);
        g_pDecodedRing->Write(block.data(), n);
        YieldThread();
        if (n == 0)
            break;
    }
    file.Close();
    return true;
}
