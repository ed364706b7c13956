#include "EngineGlobals.h"

#include <memory>

#include "ConvJob.h"

CConvJob* g_pConvProg = nullptr;
CConversionTask* g_pCurrentTask = nullptr;
SampleRing* g_pDecodedRing = nullptr;
SampleRing* g_pProcessedRing = nullptr;

namespace {
std::unique_ptr<SampleRing> s_pDecodedRing;
std::unique_ptr<SampleRing> s_pProcessedRing;
} // namespace

void CreateSampleRings()
{
    if (!s_pDecodedRing)
        s_pDecodedRing = std::make_unique<SampleRing>(SAMPLE_RING_CAPACITY);
    if (!s_pProcessedRing)
        s_pProcessedRing = std::make_unique<SampleRing>(SAMPLE_RING_CAPACITY);
    g_pDecodedRing = s_pDecodedRing.get();
    g_pProcessedRing = s_pProcessedRing.get();
}

void DestroySampleRings()
{
    WaitForJobsToEnd();
    g_pDecodedRing = nullptr;
    g_pProcessedRing = nullptr;
    s_pDecodedRing.reset();
    s_pProcessedRing.reset();
}
