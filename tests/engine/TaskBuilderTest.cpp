#include <cstdint>

#include <QDir>

#include <gtest/gtest.h>

#include "TaskBuilder.h"

namespace {

struct TaskCase
{
    const char* name;
    uint32_t nSourceRate;
    uint32_t nSourceChannels;
    uint64_t nSourceSamples;
    int nFreq;
    int nLameChannel;
    int nDestRate;
    int nDestChannels;
    double dRatio;
    uint64_t nTotalSamples;
};

class TaskFields : public testing::TestWithParam<TaskCase>
{
};

TEST_P(TaskFields, FollowTheOutputSettings)
{
    const TaskCase& c = GetParam();
    SourceDetails source;
    source.strPath = QStringLiteral("/music/in/Song.wma");
    source.nSampleRate = c.nSourceRate;
    source.nChannels = c.nSourceChannels;
    source.nTotalSamples = c.nSourceSamples;
    OutputSettings settings;
    settings.strDesDir = QStringLiteral("/music/out/");
    settings.nFreq = c.nFreq;
    settings.nLameChannel = c.nLameChannel;

    const CConversionTask task = BuildConversionTask(source, settings);

    EXPECT_EQ(task.m_nDestRate, c.nDestRate);
    EXPECT_EQ(task.m_nDestChannels, c.nDestChannels);
    EXPECT_DOUBLE_EQ(task.m_dRatio, c.dRatio);
    EXPECT_EQ(task.m_nTotalSamples, c.nTotalSamples);
    EXPECT_EQ(task.m_nTotalSamples % static_cast<uint64_t>(task.m_nDestChannels), 0u);
    EXPECT_EQ(task.m_nSourceRate, static_cast<int>(c.nSourceRate));
    EXPECT_EQ(task.m_nSourceChannels, static_cast<int>(c.nSourceChannels));
    EXPECT_EQ(task.m_nSourceFormat, FORMAT_WMA);
    EXPECT_EQ(task.m_nDestFormat, FORMAT_MP3);
    EXPECT_EQ(task.m_bProcess, 1);
    EXPECT_FALSE(task.m_bDecoding);
}

INSTANTIATE_TEST_SUITE_P(
    TaskBuilder, TaskFields,
    testing::Values(
        TaskCase{"stereo48000Automatic", 48000, 2, 1000000, 0, 0, 44100, 2, 0.91875, 918750},
        TaskCase{"mono11025At8000Stereo", 11025, 1, 1000, 1, 2, 8000, 2, 16000.0 / 11025.0, 1450},
        TaskCase{"monoStaysMonoOnAutomatic", 22050, 1, 22050, 0, 0, 22050, 1, 1.0, 22050},
        TaskCase{"sixChannelsBecomeStereo", 44100, 6, 600, 0, 0, 44100, 2, 1.0 / 3.0, 200},
        TaskCase{"rate16000KeptOnAutomatic", 16000, 2, 32000, 0, 0, 16000, 2, 1.0, 32000},
        TaskCase{"between11025And12000", 11500, 2, 23000, 0, 0, 12000, 2, 12000.0 / 11500.0, 24000},
        TaskCase{"fasterThanEveryEntry", 96000, 2, 192000, 0, 0, 44100, 2, 44100.0 / 96000.0, 88200},
        TaskCase{"stereoToMonoSetting", 44100, 2, 88200, 0, 1, 44100, 1, 0.5, 44100},
        TaskCase{"otherChannelValueMeansStereo", 44100, 1, 44100, 0, 7, 44100, 2, 2.0, 88200},
        TaskCase{"fixedFrequency22050", 44100, 2, 88201, 5, 0, 22050, 2, 0.5, 44100},
        TaskCase{"frequencyIndexOutOfRangeIsAutomatic", 32000, 2, 64000, 42, 0, 32000, 2, 1.0,
                 64000}),
    [](const testing::TestParamInfo<TaskCase>& p) { return std::string(p.param.name); });

struct NameCase
{
    const char* source;
    const char* destination;
};

class OutputNames : public testing::TestWithParam<NameCase>
{
};

TEST_P(OutputNames, ReplaceTheLastExtension)
{
    SourceDetails source;
    source.strPath = QStringLiteral("/music/in/") + QString::fromUtf8(GetParam().source);
    source.nSampleRate = 44100;
    source.nChannels = 2;
    source.nTotalSamples = 2;
    OutputSettings settings;
    settings.strDesDir = QStringLiteral("/music/out/");

    EXPECT_EQ(BuildConversionTask(source, settings).m_strDest,
              QStringLiteral("/music/out/") + QString::fromUtf8(GetParam().destination));
    EXPECT_EQ(BuildConversionTask(source, settings).m_strSource, source.strPath);
}

INSTANTIATE_TEST_SUITE_P(TaskBuilder, OutputNames,
                         testing::Values(NameCase{"Song.WMA", "Song.mp3"},
                                         NameCase{"a.b.wma", "a.b.mp3"},
                                         NameCase{"NoExtension", "NoExtension.mp3"},
                                         NameCase{"trailing.", "trailing.mp3"},
                                         NameCase{"Ünïcode ♪.wma", "Ünïcode ♪.mp3"}));

TEST(TaskBuilder, DotsInTheFolderDoNotCount)
{
    SourceDetails source;
    source.strPath = QStringLiteral("/music/v1.2/Track");
    source.nSampleRate = 44100;
    source.nChannels = 2;
    source.nTotalSamples = 2;
    OutputSettings settings;
    settings.strDesDir = QStringLiteral("/out/");
    EXPECT_EQ(BuildConversionTask(source, settings).m_strDest, QStringLiteral("/out/Track.mp3"));
}

TEST(TaskBuilder, OutputFolderWithoutSeparatorStillHoldsTheFile)
{
    SourceDetails source;
    source.strPath = QStringLiteral("/music/Song.wma");
    source.nSampleRate = 44100;
    source.nChannels = 2;
    source.nTotalSamples = 2;
    OutputSettings settings;
    settings.strDesDir = QStringLiteral("/out");
    EXPECT_EQ(BuildConversionTask(source, settings).m_strDest,
              QStringLiteral("/out") + QDir::separator() + QStringLiteral("Song.mp3"));
}

TEST(TaskBuilder, AutomaticFrequencyPicksTheSmallestThatIsNotBelowTheSource)
{
    EXPECT_EQ(AutomaticFrequency(1), 8000);
    EXPECT_EQ(AutomaticFrequency(8000), 8000);
    EXPECT_EQ(AutomaticFrequency(8001), 11025);
    EXPECT_EQ(AutomaticFrequency(44100), 44100);
    EXPECT_EQ(AutomaticFrequency(44101), 44100);
}

} // namespace
