#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>
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

bool IsComplete(const LameModule& module)
{
    return module.init && module.encode && module.deinit && module.close && module.writeInfoTag
        && module.setThreads;
}

struct Format
{
    uint32_t rate;
    int channels;
    uint32_t kbps;
};

void PrintTo(const Format& f, std::ostream* os)
{
    *os << f.rate << "Hz_" << f.channels << "ch_" << f.kbps << "kbps";
}

BE_CONFIG Config(const Format& format)
{
    BE_CONFIG config;
    std::memset(&config, 0, sizeof config);
    config.dwConfig = BE_CONFIG_LAME;
    auto& lhv = config.format.LHV1;
    lhv.dwStructVersion = 1;
    lhv.dwStructSize = sizeof config;
    lhv.dwSampleRate = format.rate;
    lhv.nMode = format.channels == 1 ? BE_MP3_MODE_MONO : BE_MP3_MODE_STEREO;
    lhv.dwBitrate = format.kbps;
    lhv.nPreset = LQP_NOPRESET;
    lhv.dwMpegVersion = 1;
    lhv.bWriteVBRHeader = 1;
    lhv.bNoRes = 1;
    lhv.nQuality = (255 - 9) * 256 + 9;
    return config;
}

uint32_t FrameSamples(uint32_t rate)
{
    return rate >= 32000 ? 1152 : 576;
}

// Where the module joins its first two segments: it cuts about eight
// seconds, rounded up to the frames after which the padded frames repeat,
// plus its eight warm-up frames; the encoder delay is 576 samples.
int64_t FirstJoinSample(const Format& f)
{
    const uint64_t frameSamples = FrameSamples(f.rate);
    const uint64_t frameBytesTimesRate = (f.rate >= 32000 ? 144u : 72u) * uint64_t{f.kbps} * 1000;
    const uint64_t remainder = frameBytesTimesRate % f.rate;
    uint64_t period = 1;
    if (remainder != 0) {
        uint64_t a = f.rate, b = remainder;
        while (b) {
            const uint64_t t = a % b;
            a = b;
            b = t;
        }
        period = f.rate / a;
    }
    const uint64_t wanted = 8 * f.rate / frameSamples;
    const uint64_t segment = std::max<uint64_t>(1, (wanted + period - 1) / period) * period;
    return int64_t((segment + 8) * frameSamples) - 576;
}

// Music-like test audio, one vector per channel: tones that change every
// quarter second, noise bursts, stretches of silence, and sharp attacks
// (silence, then full noise at once), one of them exactly at attackSample.
std::vector<std::vector<float>> MusicLike(const Format& f, int64_t frames, int64_t attackSample)
{
    std::vector<std::vector<float>> channels(size_t(f.channels), std::vector<float>(size_t(frames)));
    uint32_t noise = 12345;
    const auto nextNoise = [&noise] {
        noise = noise * 1664525u + 1013904223u;
        return float(int32_t(noise >> 8) - (1 << 23)) / float(1 << 23);
    };
    const int64_t quarter = f.rate / 4;
    for (int64_t i = 0; i < frames; ++i) {
        const int64_t piece = i / quarter;
        const double t = double(i) / f.rate;
        for (int c = 0; c < f.channels; ++c) {
            double value = 0;
            switch (piece % 6) {
            case 0:
            case 3:
                value = 12000 * std::sin(2 * M_PI * (220.0 * double(1 + piece % 5) + 110 * c) * t);
                break;
            case 1:
                value = 6000 * std::sin(2 * M_PI * 3000 * t) + 4000 * nextNoise();
                break;
            case 2:
                value = 0;
                break;
            case 4:
                value = (i % quarter) < quarter / 2 ? 0 : 30000 * nextNoise();
                break;
            default:
                value = 20000 * nextNoise() * std::exp(-double(i % quarter) / f.rate * 20);
                break;
            }
            // The attack at the join: silence before it, loud noise after.
            const int64_t fromAttack = i - attackSample;
            if (fromAttack >= -int64_t(f.rate / 10) && fromAttack < 0)
                value = 0;
            else if (fromAttack >= 0 && fromAttack < int64_t(f.rate / 10))
                value = 32000 * nextNoise();
            channels[size_t(c)][size_t(i)] = float(value);
        }
    }
    return channels;
}

struct EncodeRun
{
    uint32_t threads = 1;
    // Sample count after which feeding stops, as on Cancel; -1 feeds all.
    int64_t stopAfter = -1;
    // Sample count at which feeding pauses until the encoders are idle.
    int64_t pauseAt = -1;
};

// Feeds the module the way the encoding stage does: chunks of the size the
// stream asks for, the last one shorter, then deinit, close and the tag.
QByteArray Encode(const LameModule& module, const QString& path, const Format& f,
                  const std::vector<std::vector<float>>& audio, const EncodeRun& run)
{
    module.setThreads(run.threads);
    const BE_CONFIG config = Config(f);
    uint32_t samples = 0;
    uint32_t bufferSize = 0;
    HBE_STREAM stream = 0;
    static const char empty[] = "";
    EXPECT_EQ(module.init(&config, &samples, &bufferSize, &stream, 0, 0, empty, empty, empty, empty,
                          empty, empty, empty, 0, 0, 30, 5, 16000, 2400),
              BE_ERR_SUCCESSFUL);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    std::vector<uint8_t> output(bufferSize);
    const int64_t chunk = samples / uint32_t(f.channels);
    const int64_t total = run.stopAfter >= 0 ? run.stopAfter : int64_t(audio[0].size());
    bool paused = run.pauseAt < 0;
    for (int64_t done = 0; done < total;) {
        int64_t frames = std::min(chunk, total - done);
        if (!paused && done + frames > run.pauseAt) {
            frames = run.pauseAt - done;
            paused = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            if (frames == 0)
                continue;
        }
        uint32_t bytes = 0;
        EXPECT_EQ(module.encode(stream, uint32_t(frames), audio[0].data() + done,
                                f.channels == 2 ? audio[1].data() + done : nullptr, output.data(), &bytes),
                  BE_ERR_SUCCESSFUL);
        EXPECT_LE(bytes, bufferSize);
        file.write(reinterpret_cast<const char*>(output.data()), bytes);
        done += frames;
    }
    uint32_t bytes = 0;
    EXPECT_EQ(module.deinit(stream, output.data(), &bytes), BE_ERR_SUCCESSFUL);
    EXPECT_LE(bytes, bufferSize);
    file.write(reinterpret_cast<const char*>(output.data()), bytes);
    file.close();
    EXPECT_EQ(module.close(stream), BE_ERR_SUCCESSFUL);
    const BE_ERR tagResult = module.writeInfoTag(stream, QFile::encodeName(path).constData());
    EXPECT_TRUE(tagResult == BE_ERR_SUCCESSFUL || tagResult == BE_ERR_NO_TAG);
    return ReadAll(path);
}

// First bytes that differ, for a readable failure.
std::string FirstDifference(const QByteArray& a, const QByteArray& b)
{
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        if (a[i] != b[i])
            return "first difference at byte " + std::to_string(i) + " of " + std::to_string(a.size());
    }
    return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size());
}

// CRC-16 as the information tag defines it: polynomial 0x8005, bits
// reflected, starting from 0.
uint16_t Crc16(const char* data, qsizetype size)
{
    uint16_t crc = 0;
    for (qsizetype i = 0; i < size; ++i) {
        crc ^= uint8_t(data[i]);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0xA001) : uint16_t(crc >> 1);
    }
    return crc;
}

uint32_t BigEndian(const QByteArray& data, qsizetype at, int bytes)
{
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | uint8_t(data[at + i]);
    return value;
}

class ParallelEncoding : public ::testing::Test
{
protected:
    QString PathFor(const QString& name) const { return m_dir.filePath(name); }

    LameModule m_module;
    QTemporaryDir m_dir;
};

// Every output frequency and MPEG version, mono and stereo, the lowest and
// the highest bitrate: three threads make the very bytes one makes.
class ParallelEncodingFormats : public ParallelEncoding, public ::testing::WithParamInterface<Format>
{
};

TEST_P(ParallelEncodingFormats, JoinedStreamEqualsSingleStream)
{
    ASSERT_TRUE(IsComplete(m_module)) << m_module.library.errorString().toStdString();
    const Format f = GetParam();
    const int64_t join = FirstJoinSample(f);
    // Three segments and part of a fourth.
    const auto audio = MusicLike(f, 3 * join + f.rate, join);
    const QByteArray single = Encode(m_module, PathFor(QStringLiteral("single.mp3")), f, audio, {});
    const QByteArray joined = Encode(m_module, PathFor(QStringLiteral("joined.mp3")), f, audio, {3});
    ASSERT_GT(single.size(), 1000);
    EXPECT_TRUE(single == joined) << FirstDifference(single, joined);
}

// A minute of music-like audio with an attack at the first join: every
// thread count gives the single stream's bytes, and the information tag
// describes the stream by its own definitions.
TEST_F(ParallelEncoding, ReferenceRunsAreIdenticalAndTheTagDescribesTheStream)
{
    ASSERT_TRUE(IsComplete(m_module)) << m_module.library.errorString().toStdString();
    const Format f{44100, 2, 128};
    const auto audio = MusicLike(f, 60 * int64_t(f.rate), FirstJoinSample(f));
    const QString singlePath = PathFor(QStringLiteral("j1.mp3"));
    const QByteArray single = Encode(m_module, singlePath, f, audio, {});
    for (const uint32_t threads : {2u, 3u, 8u}) {
        const QByteArray joined =
            Encode(m_module, PathFor(QStringLiteral("j%1.mp3").arg(threads)), f, audio, {threads});
        EXPECT_TRUE(single == joined) << threads << " threads: " << FirstDifference(single, joined);
    }

    bool complete = false;
    const std::vector<Frame> frames = ParseFrames(single, &complete);
    ASSERT_TRUE(complete);
    const auto tag = ReadInfoTag(single);
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->name, QByteArray("Info"));
    EXPECT_EQ(tag->frames, frames.size() - 1);
    EXPECT_EQ(tag->bytes, uint32_t(single.size()));
    EXPECT_EQ(qsizetype(tag->frames) * 1152, tag->encoderDelay + qsizetype(audio[0].size()) + tag->padding);
    // After the 4-byte header and 32 bytes of side information.
    const qsizetype at = 36;
    EXPECT_EQ(BigEndian(single, at + 148, 4), uint32_t(single.size())) << "music length";
    const qsizetype music = frames[1].offset;
    EXPECT_EQ(BigEndian(single, at + 152, 2), Crc16(single.constData() + music, single.size() - music))
        << "music CRC";
    EXPECT_EQ(BigEndian(single, at + 154, 2), Crc16(single.constData(), at + 154)) << "tag CRC";

    // A decoder that honours the delay and padding gives back the exact length.
    const auto decoded = Decode(singlePath);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->Frames(), qsizetype(audio[0].size()));
}

struct LengthCase
{
    const char* what;
    double segments; // input length in segments (join to join)
    double stopAt;   // fed this far, as on Cancel; < 0 feeds all
    double pauseAt;  // feeding pauses here; < 0 never
};

// Lengths around the segment boundaries, a stop in the middle of a segment
// (Cancel) and a pause there: the same bytes as one thread fed the same.
TEST_F(ParallelEncoding, LengthsCancelAndPauseGiveTheSingleStream)
{
    ASSERT_TRUE(IsComplete(m_module)) << m_module.library.errorString().toStdString();
    const Format f{44100, 2, 128};
    const int64_t segment = FirstJoinSample(f) + 576;
    const LengthCase cases[] = {
        {"a second", 1.0 / 9, -1, -1},
        {"shorter than one segment", 0.9, -1, -1},
        {"exactly one segment", 1.0, -1, -1},
        {"one segment and a frame", 1.0 + 1152.0 / double(segment), -1, -1},
        {"cancelled in the middle of the third segment", 4.0, 2.47, -1},
        {"paused in the middle of the second segment", 3.0, -1, 1.53},
    };
    for (const LengthCase& c : cases) {
        const auto audio = MusicLike(f, int64_t(c.segments * double(segment)), FirstJoinSample(f));
        EncodeRun single;
        // An odd sample count, so the last chunk is a partial one.
        single.stopAfter = c.stopAt < 0 ? -1 : int64_t(c.stopAt * double(segment)) | 1;
        EncodeRun joined = single;
        joined.threads = 3;
        joined.pauseAt = c.pauseAt < 0 ? -1 : int64_t(c.pauseAt * double(segment));
        const QByteArray one = Encode(m_module, PathFor(QStringLiteral("one.mp3")), f, audio, single);
        const QByteArray three = Encode(m_module, PathFor(QStringLiteral("three.mp3")), f, audio, joined);
        EXPECT_TRUE(one == three) << c.what << ": " << FirstDifference(one, three);
        const auto tag = ReadInfoTag(three);
        ASSERT_TRUE(tag) << c.what;
        EXPECT_EQ(tag->bytes, uint32_t(three.size())) << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, ParallelEncodingFormats,
                         ::testing::Values(Format{48000, 2, 320}, Format{48000, 1, 32},
                                           Format{44100, 2, 32}, Format{44100, 1, 320},
                                           Format{32000, 2, 320}, Format{32000, 1, 32},
                                           Format{24000, 2, 160}, Format{24000, 1, 8},
                                           Format{22050, 2, 8}, Format{22050, 1, 160},
                                           Format{16000, 2, 160}, Format{16000, 1, 8},
                                           Format{12000, 2, 8}, Format{12000, 1, 160},
                                           Format{11025, 2, 160}, Format{11025, 1, 8},
                                           Format{8000, 2, 8}, Format{8000, 1, 160}));

} // namespace
