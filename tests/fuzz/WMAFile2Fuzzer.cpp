#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include "WMAFile2.h"

// Feeds each input to the decoder as a file: Open, the details, then
// ReadSamples to the end. The last byte picks the output format, so the
// resampler and the channel mixer are fuzzed too.
namespace {

struct OutputFormat
{
    int sampleRate;
    int channels;
};
constexpr OutputFormat kFormats[] = {{0, 0}, {22050, 1}, {48000, 2}, {8000, 2}};

// Far more calls than any input within the length limit can need.
constexpr int kMaxReads = 1 << 20;

QString InputPath()
{
    static const QString path = QDir::tempPath()
                                + QStringLiteral("/marlune-fuzz-%1.wma").arg(QCoreApplication::applicationPid());
    return path;
}

void RemoveInput()
{
    QFile::remove(InputPath());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static std::unique_ptr<WMAFile2> file = [] {
        std::unique_ptr<WMAFile2> created;
        if (FAILED(CreateWMAFile2(created)))
            std::abort();
        InputPath(); // built before the exit handler is registered, so it outlives it
        std::atexit(RemoveInput);
        return created;
    }();

    {
        QFile input(InputPath());
        if (!input.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        input.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }

    const OutputFormat format = kFormats[size ? data[size - 1] % std::size(kFormats) : 0];
    if (FAILED(file->SetOutputFormat(format.sampleRate, format.channels)))
        std::abort();
    if (FAILED(file->Open(InputPath())))
        return 0;

    uint32_t value = 0;
    int32_t duration = 0;
    file->get_SampleCount(&value);
    file->get_Channels(&value);
    file->get_SampleRate(&value);
    file->get_Duration(&duration);

    std::vector<int16_t> samples;
    for (int reads = 0; reads < kMaxReads; ++reads) {
        if (FAILED(file->ReadSamples(128, samples)) || samples.empty())
            break;
        if (reads == kMaxReads - 1)
            std::abort(); // the stream never ended
    }
    file->Close();
    return 0;
}
