#include "AudioFixtures.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include <QDir>
#include <QFile>
#include <QProcess>

namespace AudioFixtures {

namespace {

constexpr int kToolTimeoutMs = 120000;

bool RunTool(const QString& program, const QStringList& arguments, QByteArray* output,
             QString* error)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.start();
    if (!process.waitForStarted()) {
        if (error)
            *error = program + QStringLiteral(" cannot be started");
        return false;
    }
    process.closeWriteChannel();
    // QProcess keeps reading the pipes while it waits.
    if (!process.waitForFinished(kToolTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        if (error)
            *error = program + QStringLiteral(" did not finish");
        return false;
    }
    const QByteArray out = process.readAllStandardOutput();
    const bool ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (!ok && error)
        *error = QString::fromLocal8Bit(process.readAllStandardError());
    if (output)
        *output = out;
    return ok;
}

QString ChannelExpression(const Signal& signal, int channel)
{
    double hz = 1000.0;
    if (!signal.toneHz.empty())
        hz = signal.toneHz[std::min(static_cast<size_t>(channel), signal.toneHz.size() - 1)];
    QString expression = QStringLiteral("0");
    if (hz > 0)
        expression = QStringLiteral("%1*sin(2*PI*%2*t)").arg(signal.toneAmplitude).arg(hz);
    if (signal.noiseAmplitude > 0)
        expression += QStringLiteral("+%1*(2*random(0)-1)").arg(signal.noiseAmplitude);
    return expression;
}

QStringList SignalInput(const Signal& signal)
{
    QStringList channels;
    for (int c = 0; c < signal.channels; ++c)
        channels << ChannelExpression(signal, c);
    const QString source = QStringLiteral("aevalsrc=exprs='%1':s=%2:d=%3")
                               .arg(channels.join(QLatin1Char('|')))
                               .arg(signal.sampleRate)
                               .arg(signal.seconds);
    return {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), source};
}

QString Make(const QString& folder, const QString& name, const Signal& signal,
             const QStringList& codecArguments, QString* error)
{
    const QString path = QDir(folder).filePath(name);
    const QStringList arguments = SignalInput(signal) + codecArguments + QStringList{path};
    return RunFfmpeg(arguments, error) ? path : QString();
}

} // namespace

bool RunFfmpeg(const QStringList& arguments, QString* error)
{
    return RunTool(QStringLiteral("ffmpeg"),
                   QStringList{QStringLiteral("-nostdin"), QStringLiteral("-hide_banner"),
                               QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y")}
                       + arguments,
                   nullptr, error);
}

QString MakeWma(const QString& folder, const QString& name, const Signal& signal,
                const WmaOptions& options, QString* error)
{
    return Make(folder, name, signal,
                {QStringLiteral("-c:a"), options.codec, QStringLiteral("-b:a"),
                 QString::number(options.bitrate), QStringLiteral("-f"), QStringLiteral("asf")},
                error);
}

QString MakeWav(const QString& folder, const QString& name, const Signal& signal, QString* error)
{
    return Make(folder, name, signal,
                {QStringLiteral("-c:a"), QStringLiteral("pcm_s16le"), QStringLiteral("-f"),
                 QStringLiteral("wav")},
                error);
}

bool RemoveDataPackets(const QString& path)
{
    // GUID, 64-bit size, file id GUID, 64-bit packet count, two reserved bytes.
    const QByteArray dataObject = QByteArray::fromHex("3626B2758E66CF11A6D900AA0062CE6C");
    constexpr qsizetype kDataObjectHeaderSize = 50;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = file.readAll();
    file.close();
    const qsizetype data = bytes.indexOf(dataObject);
    if (data < 0 || bytes.size() < data + kDataObjectHeaderSize)
        return false;
    bytes.truncate(data + kDataObjectHeaderSize);
    for (int i = 0; i < 8; ++i) {
        bytes[data + 16 + i] = static_cast<char>(i == 0 ? kDataObjectHeaderSize : 0);
        bytes[data + 40 + i] = 0;
    }
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

bool TruncateFile(const QString& path, double fraction)
{
    QFile file(path);
    return file.resize(static_cast<qint64>(static_cast<double>(file.size()) * fraction));
}

DecodedAudio DecodedAudio::FromInt16(int sampleRate, int channels,
                                     const std::vector<int16_t>& samples)
{
    DecodedAudio audio;
    audio.sampleRate = sampleRate;
    audio.channels = channels;
    audio.samples.reserve(samples.size());
    for (const int16_t s : samples)
        audio.samples.push_back(static_cast<float>(s) / 32768.0f);
    return audio;
}

DecodedAudio Decode(const QString& path, QString* error)
{
    QByteArray probe;
    if (!RunTool(QStringLiteral("ffprobe"),
                 {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-select_streams"),
                  QStringLiteral("a:0"), QStringLiteral("-show_entries"),
                  QStringLiteral("stream=sample_rate,channels"), QStringLiteral("-of"),
                  QStringLiteral("csv=p=0"), path},
                 &probe, error))
        return {};
    const QList<QByteArray> fields = probe.trimmed().split(',');
    DecodedAudio audio;
    if (fields.size() != 2) {
        if (error)
            *error = QStringLiteral("no audio stream in ") + path;
        return {};
    }
    audio.sampleRate = fields[0].toInt();
    audio.channels = fields[1].toInt();

    QByteArray pcm;
    if (!RunTool(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-nostdin"), QStringLiteral("-v"), QStringLiteral("error"),
                  QStringLiteral("-i"), path, QStringLiteral("-map"), QStringLiteral("0:a:0"),
                  QStringLiteral("-f"), QStringLiteral("f32le"), QStringLiteral("-c:a"),
                  QStringLiteral("pcm_f32le"), QStringLiteral("-")},
                 &pcm, error))
        return {};
    audio.samples.resize(static_cast<size_t>(pcm.size()) / sizeof(float));
    std::memcpy(audio.samples.data(), pcm.constData(), audio.samples.size() * sizeof(float));
    return audio;
}

double ToneAmplitude(const DecodedAudio& audio, int channel, double hz, size_t first, size_t count)
{
    const size_t frames = audio.Frames();
    if (first >= frames || audio.sampleRate <= 0)
        return 0.0;
    const size_t n = count == 0 ? frames - first : std::min(count, frames - first);
    const double w = 2.0 * std::numbers::pi * hz / audio.sampleRate;
    const double coefficient = 2.0 * std::cos(w);
    double s1 = 0.0;
    double s2 = 0.0;
    for (size_t i = 0; i < n; ++i) {
        const double x =
            audio.samples[(first + i) * static_cast<size_t>(audio.channels) + static_cast<size_t>(channel)];
        const double s0 = x + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    return 2.0 * std::sqrt(std::max(power, 0.0)) / static_cast<double>(n);
}

double Rms(const DecodedAudio& audio, int channel)
{
    const size_t frames = audio.Frames();
    if (frames == 0)
        return 0.0;
    double sum = 0.0;
    for (size_t i = 0; i < frames; ++i) {
        const double x =
            audio.samples[i * static_cast<size_t>(audio.channels) + static_cast<size_t>(channel)];
        sum += x * x;
    }
    return std::sqrt(sum / static_cast<double>(frames));
}

double ToDb(double amplitude)
{
    return 20.0 * std::log10(std::max(amplitude, 1e-12));
}

} // namespace AudioFixtures
