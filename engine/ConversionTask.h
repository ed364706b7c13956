#pragma once

#include <atomic>
#include <cstdint>

#include <QString>

#include "RingBuffer.h"

// Format codes of sources and outputs.
constexpr int FORMAT_MP3 = 2;
constexpr int FORMAT_WMA = 3;

// Severities of log lines (the lParam of WM_CONV_LOG).
constexpr int LOG_INFO = 0;
constexpr int LOG_ERROR = 2;

// One queued conversion. A value type: copies carry every field, including
// the current values of the stage flags.
//
// The runner hands each task's stages its own copy. The stage flags are set
// and cleared by the stage they name (m_bDecoding on the runner thread,
// m_bProcessing and m_bEncoding on their threads) and polled by the stages
// downstream: a clear upstream flag together with an empty ring buffer is the
// end of the stream, so a stage clears its flag only after its last Write.
class CConversionTask
{
public:
    CConversionTask() = default;
    CConversionTask(const CConversionTask& other);
    CConversionTask& operator=(const CConversionTask& other);

    // Seconds of output audio in n output sample values (all channels
    // counted); 0 while the output format is unset.
    float SamplesToSeconds(uint64_t n) const;

    QString m_strSource;
    int m_nSourceFormat = -1;
    int m_nSourceRate = -1;
    int m_nSourceChannels = -1;
    QString m_strDest;
    int m_nDestFormat = -1;
    int m_nDestRate = -1;
    int m_nDestChannels = -1;
    // Expected output sample values (frames x output channels).
    uint64_t m_nTotalSamples = 0;
    double m_dRatio = 0.0;
    // Every conversion passes the processing chain.
    int m_bProcess = 1;
    std::atomic<bool> m_bDecoding{false};
    std::atomic<bool> m_bProcessing{false};
    std::atomic<bool> m_bEncoding{false};
    // The ring buffer the encoding stage drains; set by the decoding stage
    // before it starts the downstream thread. Not owned.
    SampleRing* m_pEncoderInput = nullptr;
};
