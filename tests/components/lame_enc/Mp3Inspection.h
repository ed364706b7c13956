#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>

// Reads MP3 files back for the tests: the frame headers, the information tag
// at the start, and the audio as FFmpeg decodes it.
namespace Mp3Inspection {

struct Frame
{
    qsizetype offset = 0;
    int size = 0;
    int bitrateKbps = 0;
    int sampleRate = 0;
    int channels = 0;
    int samplesPerFrame = 0;
};

struct InfoTag
{
    QByteArray name; // "Info" for a constant-bitrate stream, "Xing" otherwise
    uint32_t frames = 0;
    uint32_t bytes = 0;
    int encoderDelay = 0;
    int padding = 0;
};

// Every frame from the start of the data; stops at the first byte that does
// not begin a frame. Complete is set when the frames cover all the data.
std::vector<Frame> ParseFrames(const QByteArray& data, bool* complete = nullptr);

// Bytes of the ID3v2 tag the data starts with (header, frames, padding and
// footer); 0 when it starts with none.
qsizetype Id3v2Size(const QByteArray& data);

// The information tag in the first frame, if there is one.
std::optional<InfoTag> ReadInfoTag(const QByteArray& data);

struct Decoded
{
    int sampleRate = 0;
    int channels = 0;
    std::vector<int16_t> samples; // interleaved
    qsizetype Frames() const { return channels ? qsizetype(samples.size()) / channels : 0; }
};

// Decodes the whole file with the ffmpeg command line tool; nullopt when it fails.
std::optional<Decoded> Decode(const QString& path);

// Amplitude of the frequency in one channel of the interleaved samples,
// measured over frames [from, from + count).
double ToneAmplitude(const Decoded& audio, int channel, double frequency, qsizetype from,
                     qsizetype count);

// Root mean square of one channel over the same range.
double Rms(const Decoded& audio, int channel, qsizetype from, qsizetype count);

QByteArray ReadAll(const QString& path);

} // namespace Mp3Inspection
