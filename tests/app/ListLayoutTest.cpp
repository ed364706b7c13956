#include <QtEndian>

#include <gtest/gtest.h>

#include "AppSettings.h"
#include "ListLayout.h"
#include "OutputSummary.h"

namespace {

QByteArray Ints(std::initializer_list<int32_t> values)
{
    QByteArray out;
    for (int32_t v : values) {
        char bytes[4];
        qToLittleEndian(v, bytes);
        out.append(bytes, 4);
    }
    return out;
}

using Keys = QList<ColumnSortInfo>;

TEST(ListLayout, ColumnsRoundTripAsLittleEndianRecords)
{
    const QList<ListLayout::ColumnRecord> columns{{true, 150}, {false, 85}};
    const QByteArray value = ListLayout::EncodeColumns(columns);
    EXPECT_EQ(value, Ints({1, 150, 0, 85}));
    const auto decoded = ListLayout::DecodeColumns(value, 8);
    ASSERT_EQ(decoded.size(), 2);
    EXPECT_FALSE(decoded[1].bVisible);
    EXPECT_EQ(decoded[1].nWidth, 85);
}

TEST(ListLayout, ColumnValueIsNeverReadPastItsEndOrPastTheColumns)
{
    // A short value: one whole record and half of another.
    EXPECT_EQ(ListLayout::DecodeColumns(Ints({1, 10, 0}), 8).size(), 1);
    // An overlong one: only the list's columns are read.
    QByteArray longValue;
    for (int i = 0; i < 20; ++i)
        longValue += Ints({1, 40 + i});
    const auto decoded = ListLayout::DecodeColumns(longValue, 8);
    ASSERT_EQ(decoded.size(), 8);
    EXPECT_EQ(decoded[7].nWidth, 47);
    EXPECT_TRUE(ListLayout::DecodeColumns(QByteArray(), 8).isEmpty());
}

TEST(ListLayout, SortKeysAreReadSafely)
{
    struct Case
    {
        const char* name;
        QByteArray value;
        Keys expected;
    };
    const std::vector<Case> cases{
        {"absent", QByteArray(), {{0, 1}}},
        {"twelve bytes: one key", Ints({5, 0, 3}), {{5, 0}}},
        {"no whole record", Ints({5}), {{0, 1}}},
        {"in stored order", Ints({5, 0, 3, 1, 0, 1}), {{5, 0}, {3, 1}, {0, 1}}},
        {"column named twice", Ints({5, 0, 5, 1, 2, 1}), {{5, 0}, {2, 1}}},
        {"columns outside the list", Ints({8, 1, -1, 1, 7, 0}), {{7, 0}}},
        {"nothing usable", Ints({9, 1, 100, 0}), {{0, 1}}},
        {"more than six keys", Ints({0, 1, 1, 1, 2, 1, 3, 1, 4, 1, 5, 1, 6, 1, 7, 1}),
         {{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}}},
        {"any non-zero flag is ascending", Ints({2, 7}), {{2, 1}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ListLayout::DecodeSortKeys(c.value, 8), c.expected) << c.name;
}

TEST(ListLayout, SortKeysEncodeColumnFirst)
{
    EXPECT_EQ(ListLayout::EncodeSortKeys({{5, 0}, {0, 1}}), Ints({5, 0, 0, 1}));
}

TEST(OutputSummary, TextFollowsTheSettings)
{
    struct Case
    {
        int16_t bits, freq, channel;
        const char* expected;
    };
    const std::vector<Case> cases{
        {11, 0, 0, "  MP3:  CBR 128 kbps; Automatic Frequency; Automatic Channel;"},
        {16, 8, 2, "  MP3:  CBR 320 kbps; 44100 Hz; Stereo;"},
        {0, 1, 1, "  MP3:  CBR   8 kbps;  8000 Hz; Mono;"},
        {11, 0, 7, "  MP3:  CBR 128 kbps; Automatic Frequency;"},
    };
    for (const Case& c : cases) {
        CAppSettings settings;
        settings.LameBits = c.bits;
        settings.Freq = c.freq;
        settings.LameChannel = c.channel;
        EXPECT_EQ(OutputSummaryText(settings), QString::fromLatin1(c.expected));
    }
}

} // namespace
