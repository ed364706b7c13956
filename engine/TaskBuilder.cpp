#include "TaskBuilder.h"

#include <algorithm>

#include <QDir>

#include "AppSettings.h"
#include "WMAFile2.h"

namespace {

qsizetype NameStart(const QString& path)
{
    return std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QDir::separator())) + 1;
}

} // namespace

HRESULT ReadSourceDetails(WMAFile2& decoder, const QString& path, SourceDetails& details)
{
    HRESULT hr = decoder.Open(path);
    uint32_t frames = 0;
    if (SUCCEEDED(hr))
        hr = decoder.get_SampleRate(&details.nSampleRate);
    if (SUCCEEDED(hr))
        hr = decoder.get_Channels(&details.nChannels);
    if (SUCCEEDED(hr))
        hr = decoder.get_SampleCount(&frames);
    decoder.Close();
    details.strPath = path;
    details.nFormat = FORMAT_WMA;
    details.nTotalSamples = uint64_t{frames} * details.nChannels;
    return hr;
}

QString OutputFileName(const QString& sourceName)
{
    const qsizetype dot = sourceName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return sourceName + QStringLiteral(".mp3");
    return sourceName.left(dot + 1) + QStringLiteral("mp3");
}

int AutomaticFrequency(uint32_t sourceRate)
{
    for (size_t i = 1; i < FrequencyTable.size(); ++i) {
        if (static_cast<uint32_t>(FrequencyTable[i]) >= sourceRate)
            return FrequencyTable[i];
    }
    return FrequencyTable.back();
}

int OutputFrequency(uint32_t sourceRate, int freq)
{
    if (freq == 0 || !IsValidFreq(freq))
        return AutomaticFrequency(sourceRate);
    return FrequencyTable[static_cast<size_t>(freq)];
}

int OutputChannels(uint32_t sourceChannels, int lameChannel)
{
    if (lameChannel == LAME_CHANNEL_AUTO)
        return sourceChannels < 2 ? static_cast<int>(sourceChannels) : 2;
    return lameChannel == LAME_CHANNEL_MONO ? 1 : 2;
}

CConversionTask BuildConversionTask(const SourceDetails& source, const OutputSettings& settings)
{
    CConversionTask task;
    task.m_strSource = source.strPath;
    task.m_nSourceFormat = source.nFormat;
    task.m_nSourceRate = static_cast<int>(source.nSampleRate);
    task.m_nSourceChannels = static_cast<int>(source.nChannels);
    task.m_nDestFormat = FORMAT_MP3;
    task.m_bProcess = 1;

    // A folder typed into the settings file by hand may lack the final
    // separator; the name must still land inside it.
    QString folder = settings.strDesDir;
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')) && !folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    task.m_strDest = folder + OutputFileName(source.strPath.mid(NameStart(source.strPath)));

    task.m_nDestChannels = OutputChannels(source.nChannels, settings.nLameChannel);
    task.m_nDestRate = OutputFrequency(source.nSampleRate, settings.nFreq);

    const uint32_t numerator =
        static_cast<uint32_t>(task.m_nDestRate) * static_cast<uint32_t>(task.m_nDestChannels);
    task.m_dRatio = static_cast<double>(numerator)
                    / (static_cast<double>(source.nSampleRate) * static_cast<double>(source.nChannels));

    uint64_t total = static_cast<uint64_t>(static_cast<double>(source.nTotalSamples) * task.m_dRatio);
    const auto channels = static_cast<uint64_t>(task.m_nDestChannels);
    while (total % channels != 0)
        --total;
    task.m_nTotalSamples = total;
    return task;
}
