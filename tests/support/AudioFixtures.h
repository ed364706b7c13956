#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <QString>
#include <QStringList>

// Test audio made and checked with the ffmpeg and ffprobe tools: synthetic
// WMA and WAV fixtures written into a folder the test owns, and decoding of
// any audio file back to samples for checking a signal.
namespace AudioFixtures {

// Sine tones, one per channel, with optional white noise.
struct Signal
{
    double seconds = 1.0;
    int sampleRate = 44100;
    int channels = 2;
    // Tone frequency in Hz for each channel; 0 leaves the channel without a
    // tone. Channels beyond the list repeat its last entry; an empty list
    // means 1000 Hz on every channel.
    std::vector<double> toneHz;
    double toneAmplitude = 0.5;  // of full scale
    double noiseAmplitude = 0.0; // uniform noise of this peak on every channel
};

struct WmaOptions
{
    QString codec = QStringLiteral("wmav2"); // or wmav1
    int bitrate = 128000;
};

// Runs ffmpeg with the arguments (quiet, overwriting). False, with its
// message in *error, when it fails.
bool RunFfmpeg(const QStringList& arguments, QString* error = nullptr);

// The file folder/name, or an empty string (and *error) on failure.
QString MakeWma(const QString& folder, const QString& name, const Signal& signal,
                const WmaOptions& options = {}, QString* error = nullptr);
QString MakeWav(const QString& folder, const QString& name, const Signal& signal,
                QString* error = nullptr);

// Rewrites a WMA file made above so that its header stays whole and its data
// object holds no packet, as a header-only or live-stream file does. False
// when the file is not such a file.
bool RemoveDataPackets(const QString& path);

// Cuts the file to the given fraction of its size.
bool TruncateFile(const QString& path, double fraction);

// Interleaved samples, full scale being 1.0.
struct DecodedAudio
{
    int sampleRate = 0;
    int channels = 0;
    std::vector<float> samples;

    size_t Frames() const { return channels > 0 ? samples.size() / static_cast<size_t>(channels) : 0; }
    bool IsValid() const { return sampleRate > 0 && channels > 0; }

    static DecodedAudio FromInt16(int sampleRate, int channels, const std::vector<int16_t>& samples);
};

// The first audio stream of any file ffmpeg reads, at its own rate and
// channel count. Invalid (and *error) on failure.
DecodedAudio Decode(const QString& path, QString* error = nullptr);

// Peak amplitude of the hz component in one channel (Goertzel over the
// frames [first, first + count), the whole signal when count is 0).
double ToneAmplitude(const DecodedAudio& audio, int channel, double hz, size_t first = 0,
                     size_t count = 0);
double Rms(const DecodedAudio& audio, int channel);
double ToDb(double amplitude);

} // namespace AudioFixtures
