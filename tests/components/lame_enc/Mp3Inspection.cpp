#include "Mp3Inspection.h"

#include <array>
#include <cmath>
#include <cstring>

#include <QFile>
#include <QProcess>

namespace Mp3Inspection {

namespace {

constexpr std::array<int, 15> kMpeg1Kbps = {0,   32,  40,  48,  56,  64,  80, 96,
                                            112, 128, 160, 192, 224, 256, 320};
constexpr std::array<int, 15> kMpeg2Kbps = {0,  8,  16, 24,  32,  40,  48, 56,
                                            64, 80, 96, 112, 128, 144, 160};
constexpr std::array<int, 3> kMpeg1Rates = {44100, 48000, 32000};

uint32_t BigEndian32(const QByteArray& data, qsizetype at)
{
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | uint8_t(data[at + i]);
    return value;
}

std::optional<Frame> FrameAt(const QByteArray& data, qsizetype at)
{
    if (at + 4 > data.size())
        return std::nullopt;
    const auto b = [&](int i) { return uint8_t(data[at + i]); };
    if (b(0) != 0xFF || (b(1) & 0xE0) != 0xE0)
        return std::nullopt;
    const int version = (b(1) >> 3) & 3; // 0: 2.5, 2: 2, 3: 1
    const int layer = (b(1) >> 1) & 3;   // 1: layer III
    const int bitrateIndex = b(2) >> 4;
    const int rateIndex = (b(2) >> 2) & 3;
    if (version == 1 || layer != 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
        return std::nullopt;
    Frame frame;
    frame.offset = at;
    const bool mpeg1 = version == 3;
    frame.bitrateKbps = mpeg1 ? kMpeg1Kbps[bitrateIndex] : kMpeg2Kbps[bitrateIndex];
    frame.sampleRate = kMpeg1Rates[rateIndex] / (mpeg1 ? 1 : version == 2 ? 2 : 4);
    frame.channels = (b(3) >> 6) == 3 ? 1 : 2;
    frame.samplesPerFrame = mpeg1 ? 1152 : 576;
    const int padding = (b(2) >> 1) & 1;
    frame.size = (mpeg1 ? 144 : 72) * frame.bitrateKbps * 1000 / frame.sampleRate + padding;
    return frame;
}

} // namespace

std::vector<Frame> ParseFrames(const QByteArray& data, bool* complete)
{
    std::vector<Frame> frames;
    qsizetype at = 0;
    while (const auto frame = FrameAt(data, at)) {
        if (at + frame->size > data.size())
            break;
        frames.push_back(*frame);
        at += frame->size;
    }
    if (complete)
        *complete = at == data.size();
    return frames;
}

qsizetype Id3v2Size(const QByteArray& data)
{
    if (data.size() < 10 || !data.startsWith("ID3"))
        return 0;
    qsizetype size = 0;
    for (int i = 6; i < 10; ++i)
        size = (size << 7) | (uint8_t(data[i]) & 0x7F);
    const bool footer = uint8_t(data[5]) & 0x10;
    return 10 + size + (footer ? 10 : 0);
}

std::optional<InfoTag> ReadInfoTag(const QByteArray& data)
{
    const auto frame = FrameAt(data, 0);
    if (!frame)
        return std::nullopt;
    const bool mpeg1 = frame->samplesPerFrame == 1152;
    const bool crc = (uint8_t(data[1]) & 1) == 0;
    const int sideInfo = mpeg1 ? (frame->channels == 1 ? 17 : 32) : (frame->channels == 1 ? 9 : 17);
    qsizetype at = 4 + (crc ? 2 : 0) + sideInfo;
    if (at + 8 > frame->size)
        return std::nullopt;
    InfoTag tag;
    tag.name = data.mid(at, 4);
    if (tag.name != "Info" && tag.name != "Xing")
        return std::nullopt;
    const uint32_t flags = BigEndian32(data, at + 4);
    at += 8;
    if (flags & 1) {
        tag.frames = BigEndian32(data, at);
        at += 4;
    }
    if (flags & 2) {
        tag.bytes = BigEndian32(data, at);
        at += 4;
    }
    if (flags & 4)
        at += 100;
    if (flags & 8)
        at += 4;
    // The encoder's extension: a 9-byte name, then 12 bytes of settings and
    // the 12-bit encoder delay and padding.
    at += 21;
    if (at + 3 <= frame->size) {
        const uint32_t bits = (uint8_t(data[at]) << 16) | (uint8_t(data[at + 1]) << 8)
            | uint8_t(data[at + 2]);
        tag.encoderDelay = int(bits >> 12);
        tag.padding = int(bits & 0xFFF);
    }
    return tag;
}

std::optional<Decoded> Decode(const QString& path)
{
    QProcess probe;
    probe.start(QStringLiteral("ffprobe"),
                {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"),
                 QStringLiteral("a:0"), QStringLiteral("-show_entries"),
                 QStringLiteral("stream=sample_rate,channels"), QStringLiteral("-of"),
                 QStringLiteral("default=nw=1"), path});
    if (!probe.waitForFinished(60000) || probe.exitCode() != 0)
        return std::nullopt;
    Decoded decoded;
    for (const QByteArray& line : probe.readAllStandardOutput().split('\n')) {
        if (line.startsWith("sample_rate="))
            decoded.sampleRate = line.mid(12).toInt();
        else if (line.startsWith("channels="))
            decoded.channels = line.mid(9).toInt();
    }
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), path,
                  QStringLiteral("-f"), QStringLiteral("s16le"), QStringLiteral("-")});
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0 || decoded.channels == 0)
        return std::nullopt;
    const QByteArray pcm = ffmpeg.readAllStandardOutput();
    decoded.samples.resize(size_t(pcm.size()) / 2);
    std::memcpy(decoded.samples.data(), pcm.constData(), decoded.samples.size() * 2);
    return decoded;
}

double ToneAmplitude(const Decoded& audio, int channel, double frequency, qsizetype from,
                     qsizetype count)
{
    double re = 0;
    double im = 0;
    for (qsizetype i = 0; i < count; ++i) {
        const double v = audio.samples[size_t((from + i) * audio.channels + channel)];
        const double phase = 2 * M_PI * frequency * double(from + i) / audio.sampleRate;
        re += v * std::cos(phase);
        im += v * std::sin(phase);
    }
    return 2 * std::hypot(re, im) / double(count);
}

double Rms(const Decoded& audio, int channel, qsizetype from, qsizetype count)
{
    double sum = 0;
    for (qsizetype i = 0; i < count; ++i) {
        const double v = audio.samples[size_t((from + i) * audio.channels + channel)];
        sum += v * v;
    }
    return std::sqrt(sum / double(count));
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace Mp3Inspection
