#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "AudioFixtures.h"
#include "WMAFile2.h"

using AudioFixtures::DecodedAudio;
using AudioFixtures::Signal;
using AudioFixtures::WmaOptions;

namespace {

struct Details
{
    uint32_t channels = 0;
    uint32_t sampleRate = 0;
    uint32_t sampleCount = 0;
    int32_t duration = 0;
};

Details ReadDetails(const WMAFile2& file)
{
    Details d;
    EXPECT_EQ(file.get_Channels(&d.channels), S_OK);
    EXPECT_EQ(file.get_SampleRate(&d.sampleRate), S_OK);
    EXPECT_EQ(file.get_SampleCount(&d.sampleCount), S_OK);
    EXPECT_EQ(file.get_Duration(&d.duration), S_OK);
    return d;
}

// Reads to the end, frames at a time, with a bound on the number of calls.
std::vector<int16_t> ReadAll(WMAFile2& file, int frames = 128, HRESULT* result = nullptr)
{
    std::vector<int16_t> all;
    std::vector<int16_t> block;
    HRESULT hr = S_OK;
    for (int calls = 0; calls < 1000000; ++calls) {
        hr = file.ReadSamples(frames, block);
        if (FAILED(hr) || block.empty())
            break;
        all.insert(all.end(), block.begin(), block.end());
    }
    if (result)
        *result = hr;
    else
        EXPECT_EQ(hr, S_OK);
    return all;
}

// The longest frame the WMA 1 and 2 codecs use at a sampling frequency.
int64_t WmaFrameLength(int sampleRate)
{
    if (sampleRate <= 16000)
        return 512;
    if (sampleRate <= 22050)
        return 1024;
    return 2048;
}

class WMAFile2Test : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_EQ(CreateWMAFile2(m_pFile), S_OK);
        ASSERT_TRUE(m_pFile);
    }

    QString Make(const QString& name, const Signal& signal, const WmaOptions& options = {})
    {
        QString error;
        const QString path = AudioFixtures::MakeWma(m_dir.path(), name, signal, options, &error);
        EXPECT_FALSE(path.isEmpty()) << error.toStdString();
        return path;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<WMAFile2> m_pFile;
};

TEST_F(WMAFile2Test, CreationFailsWhileATestAsksForIt)
{
    SetWMAFile2CreationFailure(REGDB_E_CLASSNOTREG);
    std::unique_ptr<WMAFile2> file;
    EXPECT_EQ(CreateWMAFile2(file), REGDB_E_CLASSNOTREG);
    EXPECT_FALSE(file);
    SetWMAFile2CreationFailure(S_OK);
    EXPECT_EQ(CreateWMAFile2(file), S_OK);
    EXPECT_TRUE(file);
}

TEST_F(WMAFile2Test, ThrowIfFailedRaisesTheFailedCode)
{
    EXPECT_EQ(ThrowIfFailed(S_FALSE), S_FALSE);
    try {
        ThrowIfFailed(WMA_E_DRM);
        FAIL() << "no exception";
    } catch (const CComError& e) {
        EXPECT_EQ(e.Error(), WMA_E_DRM);
        EXPECT_FALSE(e.ErrorMessage().isEmpty());
        EXPECT_STRNE(e.what(), "");
    }
    for (const HRESULT hr : {E_FAIL, E_INVALIDARG, E_OUTOFMEMORY, E_NOTIMPL, WMA_E_NOT_ASF,
                             WMA_E_NO_AUDIO, WMA_E_DRM, WMA_E_CORRUPT, WMA_E_NOT_OPEN}) {
        EXPECT_TRUE(FAILED(hr));
        EXPECT_FALSE(SUCCEEDED(hr));
    }
}

struct FormatCase
{
    const char* codec;
    int sampleRate;
    int channels;
    double seconds;
    int bitrate;
};

class WMAFile2FormatTest : public WMAFile2Test, public ::testing::WithParamInterface<FormatCase>
{
};

// The details match the encoded signal, and the decoded stream has the
// length the details announce, as near as the codec's framing allows: the
// ASF play duration is kept in milliseconds, and FFmpeg's WMA encoder drops
// or pads the last partial frame.
TEST_P(WMAFile2FormatTest, DetailsAndDecodedLengthAgree)
{
    const FormatCase c = GetParam();
    Signal signal;
    signal.seconds = c.seconds;
    signal.sampleRate = c.sampleRate;
    signal.channels = c.channels;
    signal.toneHz = {440.0};
    const QString path = Make(QStringLiteral("f.wma"), signal,
                              WmaOptions{QString::fromLatin1(c.codec), c.bitrate});
    ASSERT_EQ(m_pFile->Open(path), S_OK);
    const Details d = ReadDetails(*m_pFile);
    EXPECT_EQ(d.channels, static_cast<uint32_t>(c.channels));
    EXPECT_EQ(d.sampleRate, static_cast<uint32_t>(c.sampleRate));

    const int64_t inputFrames = std::llround(c.seconds * c.sampleRate);
    const int64_t frameLength = WmaFrameLength(c.sampleRate);
    EXPECT_NEAR(d.duration, c.seconds * 1000.0, 1000.0 * frameLength / c.sampleRate + 1);
    EXPECT_NEAR(static_cast<double>(d.sampleCount), d.duration * c.sampleRate / 1000.0,
                c.sampleRate / 1000.0 + 1);

    const std::vector<int16_t> samples = ReadAll(*m_pFile);
    ASSERT_EQ(samples.size() % static_cast<size_t>(c.channels), 0u);
    const int64_t decoded = static_cast<int64_t>(samples.size()) / c.channels;
    // Measured on these fixtures: the count exceeds the decoded length by
    // half a codec frame to one frame plus the millisecond rounding.
    const int64_t shortfall = static_cast<int64_t>(d.sampleCount) - decoded;
    EXPECT_GE(shortfall, -(c.sampleRate / 1000 + 1));
    EXPECT_LE(shortfall, frameLength + c.sampleRate / 1000 + 1);
    EXPECT_LE(decoded, inputFrames);

    const DecodedAudio audio = DecodedAudio::FromInt16(c.sampleRate, c.channels, samples);
    for (int ch = 0; ch < c.channels; ++ch)
        EXPECT_NEAR(AudioFixtures::ToDb(AudioFixtures::ToneAmplitude(audio, ch, 440.0)),
                    AudioFixtures::ToDb(0.5), 1.5)
            << "channel " << ch;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, WMAFile2FormatTest,
    ::testing::Values(FormatCase{"wmav2", 44100, 2, 1.3, 128000},
                      FormatCase{"wmav2", 48000, 2, 2.05, 128000},
                      FormatCase{"wmav2", 22050, 1, 0.7, 32000},
                      FormatCase{"wmav2", 16000, 2, 3.1, 48000},
                      FormatCase{"wmav2", 11025, 1, 1.0, 32000},
                      FormatCase{"wmav2", 8000, 1, 1.3, 24000},
                      FormatCase{"wmav1", 8000, 2, 0.9, 32000},
                      FormatCase{"wmav1", 32000, 2, 1.5, 64000},
                      FormatCase{"wmav1", 44100, 1, 4.0, 64000}));

TEST_F(WMAFile2Test, ChannelsKeepTheirOwnTones)
{
    Signal signal;
    signal.toneHz = {1000.0, 0.0};
    const QString leftOnly = Make(QStringLiteral("left.wma"), signal);
    ASSERT_EQ(m_pFile->Open(leftOnly), S_OK);
    DecodedAudio audio = DecodedAudio::FromInt16(44100, 2, ReadAll(*m_pFile));
    EXPECT_NEAR(AudioFixtures::ToDb(AudioFixtures::ToneAmplitude(audio, 0, 1000.0)),
                AudioFixtures::ToDb(0.5), 1.0);
    EXPECT_LT(AudioFixtures::ToDb(AudioFixtures::Rms(audio, 1)), -50.0);

    signal.toneHz = {440.0, 3000.0};
    ASSERT_EQ(m_pFile->Open(Make(QStringLiteral("two.wma"), signal)), S_OK);
    audio = DecodedAudio::FromInt16(44100, 2, ReadAll(*m_pFile));
    EXPECT_GT(AudioFixtures::ToneAmplitude(audio, 0, 440.0), 0.4);
    EXPECT_LT(AudioFixtures::ToneAmplitude(audio, 0, 3000.0), 0.01);
    EXPECT_GT(AudioFixtures::ToneAmplitude(audio, 1, 3000.0), 0.4);
    EXPECT_LT(AudioFixtures::ToneAmplitude(audio, 1, 440.0), 0.01);
}

// Small reads and large reads deliver the same stream.
TEST_F(WMAFile2Test, ReadSizeDoesNotChangeTheStream)
{
    Signal signal;
    signal.seconds = 1.5;
    signal.noiseAmplitude = 0.1;
    const QString path = Make(QStringLiteral("n.wma"), signal);
    ASSERT_EQ(m_pFile->Open(path), S_OK);
    const std::vector<int16_t> small = ReadAll(*m_pFile, 128);
    ASSERT_EQ(m_pFile->Open(path), S_OK);
    const std::vector<int16_t> odd = ReadAll(*m_pFile, 1);
    ASSERT_EQ(m_pFile->Open(path), S_OK);
    const std::vector<int16_t> large = ReadAll(*m_pFile, 100000);
    EXPECT_FALSE(small.empty());
    EXPECT_EQ(small, odd);
    EXPECT_EQ(small, large);
}

TEST_F(WMAFile2Test, OutputFormatResamplesAndRemixes)
{
    Signal signal;
    signal.seconds = 2.0;
    signal.sampleRate = 44100;
    signal.channels = 2;
    const QString stereo = Make(QStringLiteral("s.wma"), signal);
    signal.sampleRate = 22050;
    signal.channels = 1;
    const QString mono = Make(QStringLiteral("m.wma"), signal, WmaOptions{QStringLiteral("wmav2"), 64000});

    struct Case
    {
        QString path;
        int rate;
        int channels;
        int sourceRate;
        int sourceChannels;
    };
    for (const Case& c : {Case{stereo, 22050, 1, 44100, 2}, Case{mono, 48000, 2, 22050, 1},
                          Case{stereo, 8000, 2, 44100, 2}, Case{mono, 0, 0, 22050, 1}}) {
        SCOPED_TRACE(c.path.toStdString() + " to " + std::to_string(c.rate));
        ASSERT_EQ(m_pFile->SetOutputFormat(c.rate, c.channels), S_OK);
        ASSERT_EQ(m_pFile->Open(c.path), S_OK);
        const Details d = ReadDetails(*m_pFile);
        EXPECT_EQ(d.sampleRate, static_cast<uint32_t>(c.sourceRate)) << "details describe the file";
        EXPECT_EQ(d.channels, static_cast<uint32_t>(c.sourceChannels));
        const int rate = c.rate ? c.rate : c.sourceRate;
        const int channels = c.channels ? c.channels : c.sourceChannels;
        const std::vector<int16_t> samples = ReadAll(*m_pFile);
        ASSERT_EQ(samples.size() % static_cast<size_t>(channels), 0u);
        const double seconds = static_cast<double>(samples.size() / static_cast<size_t>(channels)) / rate;
        EXPECT_NEAR(seconds, 2.0, 0.1);
        const DecodedAudio audio = DecodedAudio::FromInt16(rate, channels, samples);
        for (int ch = 0; ch < channels; ++ch)
            EXPECT_NEAR(AudioFixtures::ToDb(AudioFixtures::ToneAmplitude(audio, ch, 1000.0)),
                        AudioFixtures::ToDb(0.5), 1.0)
                << "channel " << ch;
        EXPECT_EQ(m_pFile->Close(), S_OK);
    }
}

TEST_F(WMAFile2Test, OutputFormatIsCheckedAndFixedWhileOpen)
{
    for (const auto& [rate, channels] : {std::pair{-1, 0}, std::pair{0, -1}, std::pair{0, 9},
                                          std::pair{999, 2}, std::pair{800000, 2}})
        EXPECT_EQ(m_pFile->SetOutputFormat(rate, channels), E_INVALIDARG) << rate << " " << channels;
    ASSERT_EQ(m_pFile->Open(Make(QStringLiteral("a.wma"), Signal{})), S_OK);
    EXPECT_EQ(m_pFile->SetOutputFormat(22050, 1), E_ILLEGAL_METHOD_CALL);
    EXPECT_EQ(m_pFile->Close(), S_OK);
    EXPECT_EQ(m_pFile->SetOutputFormat(22050, 1), S_OK);
}

TEST_F(WMAFile2Test, OpenCloseAndReopen)
{
    bool open = true;
    EXPECT_EQ(m_pFile->get_IsOpen(&open), S_OK);
    EXPECT_FALSE(open);
    uint32_t value = 0;
    int32_t duration = 0;
    std::vector<int16_t> samples{1, 2, 3};
    EXPECT_EQ(m_pFile->get_SampleCount(&value), WMA_E_NOT_OPEN);
    EXPECT_EQ(m_pFile->get_Channels(&value), WMA_E_NOT_OPEN);
    EXPECT_EQ(m_pFile->get_SampleRate(&value), WMA_E_NOT_OPEN);
    EXPECT_EQ(m_pFile->get_Duration(&duration), WMA_E_NOT_OPEN);
    EXPECT_EQ(m_pFile->ReadSamples(128, samples), WMA_E_NOT_OPEN);
    EXPECT_TRUE(samples.empty());
    EXPECT_EQ(m_pFile->Close(), S_FALSE);
    EXPECT_EQ(m_pFile->get_IsOpen(nullptr), E_POINTER);

    Signal signal;
    signal.seconds = 0.5;
    const QString first = Make(QStringLiteral("first.wma"), signal);
    signal.channels = 1;
    const QString second = Make(QStringLiteral("second.wma"), signal);

    ASSERT_EQ(m_pFile->Open(first), S_OK);
    EXPECT_EQ(m_pFile->get_IsOpen(&open), S_OK);
    EXPECT_TRUE(open);
    EXPECT_EQ(m_pFile->ReadSamples(0, samples), E_INVALIDARG);
    const std::vector<int16_t> once = ReadAll(*m_pFile);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(m_pFile->ReadSamples(128, samples), S_OK) << "the end stays the end";
        EXPECT_TRUE(samples.empty());
    }
    EXPECT_EQ(m_pFile->Close(), S_OK);
    EXPECT_EQ(m_pFile->get_IsOpen(&open), S_OK);
    EXPECT_FALSE(open);

    ASSERT_EQ(m_pFile->Open(first), S_OK);
    EXPECT_EQ(ReadAll(*m_pFile), once);

    // Opening another file while one is open replaces it, half read or not.
    ASSERT_EQ(m_pFile->Open(first), S_OK);
    ASSERT_EQ(m_pFile->ReadSamples(128, samples), S_OK);
    ASSERT_EQ(m_pFile->Open(second), S_OK);
    EXPECT_EQ(m_pFile->get_Channels(&value), S_OK);
    EXPECT_EQ(value, 1u);

    // A failed open leaves nothing open.
    EXPECT_EQ(m_pFile->Open(m_dir.filePath(QStringLiteral("missing.wma"))), STG_E_FILENOTFOUND);
    EXPECT_EQ(m_pFile->get_IsOpen(&open), S_OK);
    EXPECT_FALSE(open);
}

TEST_F(WMAFile2Test, PathsWithColonsAndNonAsciiNamesOpen)
{
    const QString made = Make(QStringLiteral("plain.wma"), Signal{});
    for (const QString& name : {QStringLiteral("concat:a.wma"), QStringLiteral("Ünïcødé 音楽.wma")}) {
        const QString path = m_dir.filePath(name);
        ASSERT_TRUE(QFile::copy(made, path));
        EXPECT_EQ(m_pFile->Open(path), S_OK) << name.toStdString();
        uint32_t frames = 0;
        EXPECT_EQ(m_pFile->get_SampleCount(&frames), S_OK);
        EXPECT_GT(frames, 40000u);
    }
}

} // namespace
