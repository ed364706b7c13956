#include "ProcessStage.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <new>
#include <stdexcept>
#include <type_traits>

#include <sox.h>

#include "ConvJob.h"
#include "ConversionTask.h"
#include "EncodeStage.h"
#include "EngineGlobals.h"
#include "Tick.h"

static_assert(std::is_same_v<sox_sample_t, int32_t>, "the ring buffers hold libsox samples");

namespace {

constexpr int kLowPassHz = 7000;
constexpr int kHighPassHz = 100;
constexpr unsigned kPollMs = 1;

std::mutex s_observerMutex;
ChainObserver s_observer;

// Both custom effects take every channel in one call and keep no state.
const sox_effect_handler_t kInputHandler{"input", nullptr, SOX_EFF_MCHAN, nullptr, nullptr,
                                         nullptr, InputDrain, nullptr, nullptr, 0};
const sox_effect_handler_t kOutputHandler{"output", nullptr, SOX_EFF_MCHAN, nullptr, nullptr,
                                          OutputFlow, nullptr, nullptr, nullptr, 0};

// libsox keeps process-wide state (its FFT cache among it), set up once.
void InitialiseSox()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // A refused effect is expected (a low-pass above half the output
        // frequency); the library's own complaints on stderr would only
        // confuse users of the command-line converter.
        sox_get_globals()->verbosity = 0;
        if (sox_init() != SOX_SUCCESS)
            throw std::runtime_error("libsox cannot be initialised");
    });
}

struct ChainDeleter
{
    void operator()(sox_effects_chain_t* chain) const { sox_delete_effects_chain(chain); }
};
using ChainPtr = std::unique_ptr<sox_effects_chain_t, ChainDeleter>;

// Adds the effect with the running signal description, which the library
// advances to the effect's output. The chain keeps a copy of the record, so
// the record itself is always freed here; an effect the library refused or
// left out keeps its private data, which is released with it.
void AddEffect(sox_effects_chain_t* chain, sox_effect_t* effect, sox_signalinfo_t* signal,
               const sox_signalinfo_t* requested)
{
    const size_t length = chain->length;
    sox_add_effect(chain, effect, signal, requested);
    if (chain->length == length && effect->priv) {
        effect->handler.kill(effect);
        std::free(effect->priv);
    }
    std::free(effect);
}

sox_effect_t* CreateEffect(const sox_effect_handler_t* handler)
{
    sox_effect_t* effect = sox_create_effect(handler);
    if (!effect)
        throw std::bad_alloc();
    return effect;
}

// Looks the effect up by name and adds it with one "%d" option. An effect
// the library lacks or refuses is simply missing from the chain.
void AddNamedEffect(sox_effects_chain_t* chain, const char* name, int option,
                    sox_signalinfo_t* signal, const sox_signalinfo_t* requested)
{
    const sox_effect_handler_t* handler = sox_find_effect(name);
    if (!handler)
        return;
    sox_effect_t* effect = CreateEffect(handler);
    char text[16];
    std::snprintf(text, sizeof text, "%d", option);
    char* arguments[] = {text};
    sox_effect_options(effect, 1, arguments);
    AddEffect(chain, effect, signal, requested);
}

QStringList EffectNames(const sox_effects_chain_t* chain)
{
    QStringList names;
    for (size_t i = 0; i < chain->length; ++i)
        names.append(QString::fromLatin1(chain->effects[i][0].handler.name));
    return names;
}

void NotifyObserver(const CConversionTask& task, const sox_effects_chain_t* chain)
{
    std::lock_guard lock(s_observerMutex);
    if (s_observer)
        s_observer(task, EffectNames(chain));
}

bool JobRunning()
{
    const CConvJob* job = g_pConvProg;
    return job && job->m_bRunning;
}

} // namespace

void SetChainObserver(ChainObserver observer)
{
    std::lock_guard lock(s_observerMutex);
    s_observer = std::move(observer);
}

unsigned ProcessAudio(CConversionTask* task)
{
    CConvJob* job = g_pConvProg;
    if (!job)
        return 0;
    try {
        task->m_bProcessing = true;
        InitialiseSox();

        // Outlives the chain, which refers to it.
        sox_encodinginfo_t encoding{};
        encoding.encoding = SOX_ENCODING_SIGN2;
        encoding.bits_per_sample = 32;
        encoding.reverse_bytes = sox_option_no;
        encoding.reverse_nibbles = sox_option_no;
        encoding.reverse_bits = sox_option_no;
        encoding.opposite_endian = sox_false;

        ChainPtr chain(sox_create_effects_chain(&encoding, &encoding));
        if (!chain)
            throw std::bad_alloc();

        sox_signalinfo_t signal{};
        signal.rate = static_cast<sox_rate_t>(static_cast<unsigned>(task->m_nSourceRate));
        signal.channels = static_cast<unsigned>(task->m_nSourceChannels);
        signal.precision = 32;
        signal.length = SOX_UNKNOWN_LEN;
        signal.mult = nullptr;
        const sox_signalinfo_t requested = signal;

        AddEffect(chain.get(), CreateEffect(&kInputHandler), &signal, &signal);
        if (task->m_nDestChannels != task->m_nSourceChannels)
            AddNamedEffect(chain.get(), "channels", task->m_nDestChannels, &signal, &requested);
        if (task->m_nDestRate != task->m_nSourceRate)
            AddNamedEffect(chain.get(), "rate", task->m_nDestRate, &signal, &requested);
        AddNamedEffect(chain.get(), "lowpass", kLowPassHz, &signal, &requested);
        AddNamedEffect(chain.get(), "highpass", kHighPassHz, &signal, &requested);
        AddEffect(chain.get(), CreateEffect(&kOutputHandler), &signal, &requested);
        NotifyObserver(*task, chain.get());

        StartEncodeStage(*task);

        sox_flow_effects(chain.get(), nullptr, nullptr);
        chain.reset();
        task->m_bProcessing = false;
    } catch (...) {
        job->m_bRunning = false;
        job->PostLog(QStringLiteral("An error occurred while processing audio data"), LOG_ERROR);
        task->m_bProcessing = false;
    }
    return 0;
}

int InputDrain(sox_effect_t* effect, int32_t* buffer, size_t* count)
{
    const size_t channels = effect->out_signal.channels ? effect->out_signal.channels : 1;
    const auto wanted = static_cast<uint32_t>(*count - *count % channels);
    const CConversionTask* task = g_pCurrentTask;
    while (JobRunning()) {
        // The flag first: values written before decoding ended are counted.
        const bool decoding = task->m_bDecoding;
        if (g_pDecodedRing->Available() >= wanted || !decoding) {
            *count = g_pDecodedRing->Read(buffer, wanted);
            return *count > 0 ? SOX_SUCCESS : SOX_EOF;
        }
        SleepMs(kPollMs);
    }
    *count = 0;
    return SOX_EOF;
}

int OutputFlow(sox_effect_t* /*effect*/, const int32_t* input, int32_t* /*output*/,
               size_t* inputCount, size_t* outputCount)
{
    *outputCount = 0;
    const auto count = static_cast<uint32_t>(*inputCount);
    while (JobRunning()) {
        if (g_pProcessedRing->FreeSpace() >= count)
            return g_pProcessedRing->Write(input, count) < count ? SOX_EOF : SOX_SUCCESS;
        SleepMs(kPollMs);
    }
    return SOX_EOF;
}
