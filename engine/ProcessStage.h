#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include <QStringList>

class CConversionTask;
struct sox_effect_t;

// The processing stage: a libsox effects chain that drains g_pDecodedRing,
// changes the channel count and the sampling frequency where the output
// differs from the source, applies a low-pass filter at 7000 Hz and a
// high-pass filter at 100 Hz, and fills g_pProcessedRing for the encoder.

// Thread entry, started by the decoding stage with the runner's copy of the
// task (which outlives the thread). Builds the chain, then starts the
// encoding thread, then flows the chain until the decoded stream ends or the
// job stops. Returns 0.
unsigned ProcessAudio(CConversionTask* task);

// The drain handler of the chain's "input" effect: up to *count values of
// g_pDecodedRing, whole frames only. SOX_SUCCESS with the number taken in
// *count, or SOX_EOF once decoding has ended and the ring buffer is empty, or
// the job stops.
int InputDrain(sox_effect_t* effect, int32_t* buffer, size_t* count);

// The flow handler of the chain's "output" effect: writes the whole block of
// *inputCount values into g_pProcessedRing (waiting for room) and produces
// nothing further down the chain. SOX_EOF when the job stops.
int OutputFlow(sox_effect_t* effect, const int32_t* input, int32_t* output, size_t* inputCount,
               size_t* outputCount);

// Sees the effects a task's chain actually holds, by their library names and
// in chain order, once the chain is built; an effect the library refused is
// not among them. For tests. Called on the processing thread.
using ChainObserver = std::function<void(const CConversionTask& task, const QStringList& effects)>;

// Installs the observer for the chains built from now on; an empty function
// removes it.
void SetChainObserver(ChainObserver observer);
