#pragma once

#include "RingBuffer.h"

class CConvJob;
class CConversionTask;

// The running job; set by CConvJob::Start() and cleared when that job is
// destroyed. One job runs at a time.
extern CConvJob* g_pConvProg;

// The task copy the current task's stages work on; set by the decoding stage,
// cleared by the runner after the task's stage threads have ended.
extern CConversionTask* g_pCurrentTask;

// Decoder -> processing chain (or encoder), and processing chain -> encoder.
extern SampleRing* g_pDecodedRing;
extern SampleRing* g_pProcessedRing;

constexpr int SAMPLE_RING_CAPACITY = 1048575;

// Called by the main window at start-up and when it closes. DestroySampleRings
// first waits for a job still winding down.
void CreateSampleRings();
void DestroySampleRings();
