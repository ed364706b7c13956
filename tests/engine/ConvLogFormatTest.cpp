#include <QTime>

#include <gtest/gtest.h>

#include "ConvLogFormat.h"

namespace {

TEST(ConvLogFormat, NumbersHaveThreeDigitsAndATrailingBlank)
{
    EXPECT_EQ(LogNumberText(1), QStringLiteral("001 "));
    EXPECT_EQ(LogNumberText(42), QStringLiteral("042 "));
    EXPECT_EQ(LogNumberText(1000), QStringLiteral("1000 "));
}

TEST(ConvLogFormat, NumberingGoesOnAcrossCallers)
{
    const unsigned first = NextLogLineNumber();
    EXPECT_EQ(NextLogLineNumber(), first + 1);
}

TEST(ConvLogFormat, TimesAndClocks)
{
    EXPECT_EQ(LogTimeText(QTime(7, 5, 3)), QStringLiteral("07:05:03"));
    EXPECT_EQ(ClockText(0.0), QStringLiteral("00:00:00"));
    EXPECT_EQ(ClockText(3661.9), QStringLiteral("01:01:01"));
    EXPECT_EQ(ClockText(360000.0), QStringLiteral("100:00:00"));
    EXPECT_EQ(ClockText(-5.0), QStringLiteral("00:00:00"));
}

TEST(ConvLogFormat, PercentAndSpeed)
{
    EXPECT_EQ(PercentText(7.5), QStringLiteral(" 7.50%"));
    EXPECT_EQ(PercentText(100.0), QStringLiteral("100.00%"));
    EXPECT_EQ(SpeedText(1.25), QStringLiteral("  1.25x"));
}

} // namespace
