#include <cmath>
#include <cstring>
#include <vector>

#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "BladeEncoder.h"
#include "LameModule.h"
#include "Mp3Inspection.h"

namespace {

using namespace Mp3Inspection;

constexpr double kAmplitude = 10000.0;
constexpr double kToneHz = 1000.0;

QString ModuleFolder()
{
    return QStringLiteral(MARLUNE_BIN_DIR);
}

QString TestModuleFolder(const char* variant)
{
    return QStringLiteral(MARLUNE_BIN_DIR "/test-modules/") + QLatin1String(variant);
}

BE_CONFIG Config(uint32_t rate, int channels, uint32_t kbps)
{
    BE_CONFIG config;
    std::memset(&config, 0, sizeof config);
    config.dwConfig = BE_CONFIG_LAME;
    auto& lhv = config.format.LHV1;
    lhv.dwStructVersion = 1;
    lhv.dwStructSize = sizeof config;
    lhv.dwSampleRate = rate;
    lhv.nMode = channels == 1 ? BE_MP3_MODE_MONO : BE_MP3_MODE_STEREO;
    lhv.dwBitrate = kbps;
    lhv.nPreset = LQP_NOPRESET;
    lhv.dwMpegVersion = 1;
    lhv.bWriteVBRHeader = 1;
    lhv.bNoRes = 1;
    lhv.nQuality = (255 - 9) * 256 + 9;
    return config;
}

BE_ERR InitStream(const LameModule& module, const BE_CONFIG& config, uint32_t* samples,
                  uint32_t* bufferSize, HBE_STREAM* stream)
{
    static const char empty[] = "";
    return module.init(&config, samples, bufferSize, stream, 0, 0, empty, empty, empty, empty,
                       empty, empty, empty, 0, 0, 30, 5, 16000, 2400);
}

struct Encoding
{
    uint32_t samplesPerChunk = 0;
    uint32_t bufferSize = 0;
    qsizetype inputFrames = 0;
    BE_ERR tagResult = BE_ERR_SUCCESSFUL;
};

// Encodes a sine (the right channel an octave below the left, so the channels
// stay told apart), flushes, closes and writes the tag the way the engine does.
Encoding EncodeSine(const LameModule& module, const QString& path, uint32_t rate, int channels,
                    uint32_t kbps, double seconds)
{
    Encoding result;
    HBE_STREAM stream = 0;
    const BE_CONFIG config = Config(rate, channels, kbps);
    EXPECT_EQ(InitStream(module, config, &result.samplesPerChunk, &result.bufferSize, &stream),
              BE_ERR_SUCCESSFUL);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    std::vector<uint8_t> output(result.bufferSize);
    const qsizetype chunkFrames = result.samplesPerChunk / uint32_t(channels);
    std::vector<float> left(static_cast<size_t>(chunkFrames));
    std::vector<float> right(left.size());
    result.inputFrames = qsizetype(seconds * rate);
    for (qsizetype done = 0; done < result.inputFrames;) {
        const qsizetype frames = std::min(chunkFrames, result.inputFrames - done);
        for (qsizetype i = 0; i < frames; ++i) {
            const double t = double(done + i) / rate;
            left[size_t(i)] = float(kAmplitude * std::sin(2 * M_PI * kToneHz * t));
            right[size_t(i)] = float(kAmplitude * std::sin(2 * M_PI * kToneHz / 2 * t));
        }
        uint32_t bytes = 0;
        EXPECT_EQ(module.encode(stream, uint32_t(frames), left.data(),
                                channels == 2 ? right.data() : nullptr, output.data(), &bytes),
                  BE_ERR_SUCCESSFUL);
        EXPECT_LE(bytes, result.bufferSize);
        file.write(reinterpret_cast<const char*>(output.data()), bytes);
        done += frames;
    }
    uint32_t bytes = 0;
    EXPECT_EQ(module.deinit(stream, output.data(), &bytes), BE_ERR_SUCCESSFUL);
    file.write(reinterpret_cast<const char*>(output.data()), bytes);
    file.close();
    EXPECT_EQ(module.close(stream), BE_ERR_SUCCESSFUL);
    const QByteArray narrowPath = QFile::encodeName(path);
    result.tagResult = module.writeInfoTag ? module.writeInfoTag(stream, narrowPath.constData())
                                           : module.writeVbrHeader(narrowPath.constData());
    return result;
}

struct StreamCase
{
    uint32_t rate;
    int channels;
    uint32_t kbps;
    bool tagFits; // the Info tag fits a frame of the stream's own bitrate
};

void PrintTo(const StreamCase& c, std::ostream* os)
{
    *os << c.rate << "Hz_" << c.channels << "ch_" << c.kbps << "kbps";
}

class LameEncStream : public ::testing::TestWithParam<StreamCase>
{
protected:
    QTemporaryDir m_dir;
};

TEST_P(LameEncStream, EncodesConstantBitrateWithInfoTagAndTone)
{
    const StreamCase c = GetParam();
    LameModule module(ModuleFolder());
    ASSERT_TRUE(module.library.isLoaded()) << module.library.errorString().toStdString();
    ASSERT_TRUE(module.init && module.encode && module.deinit && module.close
                && module.writeVbrHeader && module.writeInfoTag);
    const QString path = m_dir.filePath(QStringLiteral("out.mp3"));
    const Encoding encoding = EncodeSine(module, path, c.rate, c.channels, c.kbps, 2.0);

    const bool mpeg1 = c.rate >= 32000;
    const uint32_t frameSamples = mpeg1 ? 1152 : 576;
    EXPECT_EQ(encoding.samplesPerChunk, frameSamples * uint32_t(c.channels));
    EXPECT_GE(encoding.bufferSize, encoding.samplesPerChunk * 5 / 4 + 7200);

    const QByteArray data = ReadAll(path);
    bool complete = false;
    const std::vector<Frame> frames = ParseFrames(data, &complete);
    ASSERT_TRUE(complete) << "stray bytes after " << frames.size() << " frames";
    ASSERT_GT(frames.size(), 2u);
    const auto tag = ReadInfoTag(data);
    // The tag frame may use a bitrate of its own; every audio frame uses the stream's.
    for (size_t i = tag ? 1 : 0; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i].bitrateKbps, int(c.kbps)) << "frame " << i;
        EXPECT_EQ(frames[i].sampleRate, int(c.rate));
        EXPECT_EQ(frames[i].channels, c.channels);
    }

    const auto decoded = Decode(path);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->sampleRate, int(c.rate));
    EXPECT_EQ(decoded->channels, c.channels);
    if (c.tagFits) {
        EXPECT_EQ(encoding.tagResult, BE_ERR_SUCCESSFUL);
        ASSERT_TRUE(tag);
        EXPECT_EQ(tag->name, QByteArray("Info"));
        EXPECT_EQ(tag->frames, frames.size() - 1);
        EXPECT_EQ(tag->bytes, uint32_t(data.size()));
        // The stream's frames hold the encoder delay, the input and the
        // padding, and the padding is less than one frame.
        const qsizetype carried = qsizetype(tag->frames) * frameSamples;
        EXPECT_EQ(carried, tag->encoderDelay + encoding.inputFrames + tag->padding);
        EXPECT_LT(tag->padding, int(frameSamples) + 529 + 288);
        // A decoder that honours the tag gives back exactly the input's length.
        EXPECT_EQ(decoded->Frames(), encoding.inputFrames);
    } else {
        EXPECT_EQ(encoding.tagResult, BE_ERR_NO_TAG);
        EXPECT_FALSE(tag);
        EXPECT_GE(decoded->Frames(), encoding.inputFrames);
        EXPECT_LE(decoded->Frames(), encoding.inputFrames + 2 * frameSamples + 1105);
    }

    // The tone, measured over the middle second.
    const qsizetype from = c.rate / 2;
    const qsizetype count = c.rate;
    const double levelDb = 20 * std::log10(ToneAmplitude(*decoded, 0, kToneHz, from, count) / kAmplitude);
    EXPECT_NEAR(levelDb, 0.0, c.kbps <= 16 ? 3.0 : 1.0);
    if (c.channels == 2) {
        const double right = ToneAmplitude(*decoded, 1, kToneHz / 2, from, count);
        EXPECT_NEAR(20 * std::log10(right / kAmplitude), 0.0, 1.0);
        EXPECT_LT(ToneAmplitude(*decoded, 1, kToneHz, from, count), kAmplitude / 100);
    }
}

INSTANTIATE_TEST_SUITE_P(Streams, LameEncStream,
                         ::testing::Values(StreamCase{44100, 2, 128, true},
                                           StreamCase{44100, 1, 320, true},
                                           StreamCase{48000, 2, 320, true},
                                           StreamCase{32000, 2, 64, true},
                                           StreamCase{22050, 2, 64, true},
                                           StreamCase{22050, 1, 160, true},
                                           StreamCase{8000, 1, 8, false},
                                           StreamCase{8000, 2, 16, false},
                                           StreamCase{8000, 1, 64, true}));

// A bitrate the frequency's MPEG version cannot carry gives the nearest one
// it can, never a refused stream.
TEST_F(LameEncStream, BitrateOutsideTheFrequencysTableBecomesTheNearest)
{
    LameModule module(ModuleFolder());
    ASSERT_TRUE(module.library.isLoaded()) << module.library.errorString().toStdString();
    const struct
    {
        uint32_t rate;
        int channels;
        uint32_t asked;
        int expected;
    } cases[] = {{22050, 1, 192, 160}, {22050, 2, 320, 160}, {44100, 1, 8, 32}, {48000, 2, 144, 128},
                 {8000, 1, 128, 64}, {12000, 2, 80, 64}};
    for (const auto& c : cases) {
        const QString path = m_dir.filePath(QStringLiteral("nearest-%1-%2.mp3").arg(c.rate).arg(c.asked));
        EncodeSine(module, path, c.rate, c.channels, c.asked, 1.0);
        bool complete = false;
        const QByteArray data = ReadAll(path);
        const std::vector<Frame> frames = ParseFrames(data, &complete);
        ASSERT_GT(frames.size(), 2u) << c.rate << " Hz, " << c.asked << " kbps";
        EXPECT_EQ(frames.back().bitrateKbps, c.expected) << c.rate << " Hz, " << c.asked << " kbps";
        EXPECT_EQ(frames.back().sampleRate, int(c.rate));
    }
}

TEST(LameEncModule, ModuleWithoutInfoTagFallsBackToVbrHeader)
{
    LameModule module(TestModuleFolder("without-info-tag"));
    ASSERT_TRUE(module.library.isLoaded()) << module.library.errorString().toStdString();
    EXPECT_FALSE(module.writeInfoTag);
    ASSERT_TRUE(module.init && module.encode && module.deinit && module.close && module.writeVbrHeader);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fallback.mp3"));
    const Encoding encoding = EncodeSine(module, path, 44100, 2, 128, 1.0);
    EXPECT_EQ(encoding.tagResult, BE_ERR_SUCCESSFUL);
    const auto tag = ReadInfoTag(ReadAll(path));
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->name, QByteArray("Info"));
    EXPECT_EQ(qsizetype(tag->frames) * 1152, tag->encoderDelay + encoding.inputFrames + tag->padding);
    // The tag was used up: a second call has nothing to write.
    EXPECT_EQ(module.writeVbrHeader(QFile::encodeName(path).constData()), BE_ERR_NO_TAG);
}

TEST(LameEncModule, ModuleWithoutEncodeChunkLacksIt)
{
    LameModule module(TestModuleFolder("without-encode-chunk"));
    ASSERT_TRUE(module.library.isLoaded()) << module.library.errorString().toStdString();
    EXPECT_TRUE(module.init);
    EXPECT_FALSE(module.encode);
}

class LameEncCalls : public ::testing::Test
{
protected:
    LameModule m_module{ModuleFolder()};
    uint32_t m_samples = 0;
    uint32_t m_bufferSize = 0;
    HBE_STREAM m_stream = 0;
};

TEST_F(LameEncCalls, RefusesHandlesItNeverGaveOrAlreadyClosed)
{
    ASSERT_TRUE(m_module.library.isLoaded());
    std::vector<float> samples(1152);
    std::vector<uint8_t> output(16000);
    uint32_t bytes = 0;
    for (const HBE_STREAM handle : {HBE_STREAM(0), HBE_STREAM(0xDEADBEEF)}) {
        EXPECT_EQ(m_module.encode(handle, 10, samples.data(), samples.data(), output.data(), &bytes),
                  BE_ERR_INVALID_HANDLE);
        EXPECT_EQ(m_module.deinit(handle, output.data(), &bytes), BE_ERR_INVALID_HANDLE);
        EXPECT_EQ(m_module.close(handle), BE_ERR_INVALID_HANDLE);
        EXPECT_EQ(m_module.writeInfoTag(handle, "/nonexistent"), BE_ERR_INVALID_HANDLE);
    }
    ASSERT_EQ(InitStream(m_module, Config(44100, 2, 128), &m_samples, &m_bufferSize, &m_stream),
              BE_ERR_SUCCESSFUL);
    EXPECT_EQ(m_module.close(m_stream), BE_ERR_SUCCESSFUL);
    EXPECT_EQ(m_module.close(m_stream), BE_ERR_INVALID_HANDLE);
    EXPECT_EQ(m_module.encode(m_stream, 10, samples.data(), samples.data(), output.data(), &bytes),
              BE_ERR_INVALID_HANDLE);
    // Closed before its flush: there is no tag to write.
    EXPECT_EQ(m_module.writeInfoTag(m_stream, "/nonexistent"), BE_ERR_NO_TAG);
}

TEST_F(LameEncCalls, RefusesRecordsItCannotHonour)
{
    ASSERT_TRUE(m_module.library.isLoaded());
    struct Case
    {
        const char* what;
        BE_CONFIG config;
        BE_ERR expected;
    };
    std::vector<Case> cases = {
        {"no bitrate", Config(44100, 2, 0), BE_ERR_INVALID_FORMAT_PARAMETERS},
        {"44 kHz", Config(44000, 2, 128), BE_ERR_INVALID_FORMAT_PARAMETERS},
        {"no frequency", Config(0, 2, 128), BE_ERR_INVALID_FORMAT_PARAMETERS},
    };
    Case oldKind{"old configuration kind", Config(44100, 2, 128), BE_ERR_INVALID_FORMAT};
    oldKind.config.dwConfig = 0;
    cases.push_back(oldKind);
    Case wrongSize{"wrong record size", Config(44100, 2, 128), BE_ERR_INVALID_FORMAT};
    wrongSize.config.format.LHV1.dwStructSize = 300;
    cases.push_back(wrongSize);
    Case badMode{"mode 7", Config(44100, 2, 128), BE_ERR_INVALID_FORMAT_PARAMETERS};
    badMode.config.format.LHV1.nMode = 7;
    cases.push_back(badMode);
    Case vbr{"variable bitrate", Config(44100, 2, 128), BE_ERR_INVALID_FORMAT_PARAMETERS};
    vbr.config.format.LHV1.bEnableVBR = 1;
    cases.push_back(vbr);
    for (const Case& c : cases) {
        m_stream = 12345;
        EXPECT_EQ(InitStream(m_module, c.config, &m_samples, &m_bufferSize, &m_stream), c.expected)
            << c.what;
        EXPECT_EQ(m_stream, HBE_STREAM(12345)) << c.what;
    }
    const BE_CONFIG config = Config(44100, 2, 128);
    EXPECT_EQ(InitStream(m_module, config, nullptr, &m_bufferSize, &m_stream),
              BE_ERR_INVALID_FORMAT_PARAMETERS);
    static const char empty[] = "";
    EXPECT_EQ(m_module.init(nullptr, &m_samples, &m_bufferSize, &m_stream, 0, 0, empty, empty,
                            empty, empty, empty, empty, empty, 0, 0, 30, 5, 16000, 2400),
              BE_ERR_INVALID_FORMAT_PARAMETERS);
}

TEST_F(LameEncCalls, RefusesBadChunksAndKeepsTheStreamUsable)
{
    ASSERT_TRUE(m_module.library.isLoaded());
    ASSERT_EQ(InitStream(m_module, Config(44100, 2, 128), &m_samples, &m_bufferSize, &m_stream),
              BE_ERR_SUCCESSFUL);
    const uint32_t frames = m_samples / 2;
    std::vector<float> left(frames + 1), right(frames + 1);
    std::vector<uint8_t> output(m_bufferSize);
    uint32_t bytes = 0;
    EXPECT_EQ(m_module.encode(m_stream, frames + 1, left.data(), right.data(), output.data(), &bytes),
              BE_ERR_INVALID_FORMAT_PARAMETERS);
    EXPECT_EQ(m_module.encode(m_stream, frames, left.data(), nullptr, output.data(), &bytes),
              BE_ERR_INVALID_FORMAT_PARAMETERS);
    EXPECT_EQ(m_module.encode(m_stream, frames, left.data(), right.data(), nullptr, &bytes),
              BE_ERR_INVALID_FORMAT_PARAMETERS);
    // Values no 16-bit source produces are clipped rather than fed to the encoder.
    left[0] = std::nanf("");
    right[1] = 1e30f;
    EXPECT_EQ(m_module.encode(m_stream, frames, left.data(), right.data(), output.data(), &bytes),
              BE_ERR_SUCCESSFUL);
    EXPECT_EQ(m_module.deinit(m_stream, output.data(), &bytes), BE_ERR_SUCCESSFUL);
    EXPECT_EQ(m_module.deinit(m_stream, output.data(), &bytes), BE_ERR_INVALID_HANDLE);
    EXPECT_EQ(m_module.encode(m_stream, frames, left.data(), right.data(), output.data(), &bytes),
              BE_ERR_INVALID_HANDLE);
    EXPECT_EQ(m_module.close(m_stream), BE_ERR_SUCCESSFUL);
}

TEST_F(LameEncCalls, TagGoesOnlyIntoTheFileItsStreamReserved)
{
    ASSERT_TRUE(m_module.library.isLoaded());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("other.mp3"));
    QFile other(path);
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    const QByteArray unrelated(4000, 'x');
    other.write(unrelated);
    other.close();

    ASSERT_EQ(InitStream(m_module, Config(44100, 2, 128), &m_samples, &m_bufferSize, &m_stream),
              BE_ERR_SUCCESSFUL);
    std::vector<float> samples(m_samples / 2);
    std::vector<uint8_t> output(m_bufferSize);
    uint32_t bytes = 0;
    ASSERT_EQ(m_module.encode(m_stream, m_samples / 2, samples.data(), samples.data(), output.data(), &bytes),
              BE_ERR_SUCCESSFUL);
    ASSERT_EQ(m_module.deinit(m_stream, output.data(), &bytes), BE_ERR_SUCCESSFUL);
    ASSERT_EQ(m_module.close(m_stream), BE_ERR_SUCCESSFUL);
    EXPECT_EQ(m_module.writeInfoTag(m_stream, QFile::encodeName(path).constData()), BE_ERR_TAG_FILE);
    EXPECT_EQ(ReadAll(path), unrelated);
    EXPECT_EQ(m_module.writeInfoTag(m_stream, nullptr), BE_ERR_NO_TAG);
}

} // namespace
