#include <gtest/gtest.h>

#include "ConversionTask.h"

namespace {

TEST(ConversionTaskTest, NewTaskHasUnsetFormats)
{
    const CConversionTask task;
    EXPECT_TRUE(task.m_strSource.isEmpty());
    EXPECT_TRUE(task.m_strDest.isEmpty());
    for (int value : {task.m_nSourceFormat, task.m_nSourceRate, task.m_nSourceChannels,
                      task.m_nDestFormat, task.m_nDestRate, task.m_nDestChannels})
        EXPECT_EQ(value, -1);
    EXPECT_FALSE(task.m_bDecoding || task.m_bProcessing || task.m_bEncoding);
}

TEST(ConversionTaskTest, CopiesCarryEveryFieldAndTheStageFlags)
{
    SampleRing ring(4);
    CConversionTask task;
    task.m_strSource = QStringLiteral("in.wma");
    task.m_strDest = QStringLiteral("out.mp3");
    task.m_nDestRate = 22050;
    task.m_nTotalSamples = 1234567890123ull;
    task.m_dRatio = 0.5;
    task.m_bDecoding = true;
    task.m_bEncoding = true;
    task.m_pEncoderInput = &ring;

    const CConversionTask copy(task);
    CConversionTask assigned;
    assigned = task;
    const CConversionTask* copies[] = {&copy, &assigned};
    for (const CConversionTask* t : copies) {
        EXPECT_EQ(t->m_strSource, task.m_strSource);
        EXPECT_EQ(t->m_strDest, task.m_strDest);
        EXPECT_EQ(t->m_nDestRate, 22050);
        EXPECT_EQ(t->m_nTotalSamples, 1234567890123ull);
        EXPECT_EQ(t->m_dRatio, 0.5);
        EXPECT_TRUE(t->m_bDecoding);
        EXPECT_FALSE(t->m_bProcessing);
        EXPECT_TRUE(t->m_bEncoding);
        EXPECT_EQ(t->m_pEncoderInput, &ring);
    }
}

TEST(ConversionTaskTest, SamplesToSecondsCountsAllChannels)
{
    struct Case
    {
        int rate;
        int channels;
        uint64_t samples;
        float seconds;
    };
    for (const Case c : {Case{44100, 2, 88200, 1.0f}, Case{8000, 1, 4000, 0.5f},
                         Case{48000, 2, 0, 0.0f}, Case{-1, -1, 1000, 0.0f}}) {
        CConversionTask task;
        task.m_nDestRate = c.rate;
        task.m_nDestChannels = c.channels;
        EXPECT_FLOAT_EQ(task.SamplesToSeconds(c.samples), c.seconds);
    }
}

} // namespace
