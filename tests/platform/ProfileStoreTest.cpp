#include <gtest/gtest.h>

#include "ProfileStore.h"

TEST(ProfileStore, IntegersAndBinaryValuesRoundTrip)
{
    using namespace ProfileStore;
    EXPECT_EQ(GetProfileInt(QStringLiteral("Position"), QString(), -5), -5);
    EXPECT_TRUE(GetProfileBinary(QStringLiteral("FileList"), QStringLiteral("Column")).isEmpty());

    const QByteArray record("\x01\x00\xff\x7f", 4);
    EXPECT_TRUE(WriteProfileInt(QStringLiteral("Position"), QString(), 3));
    EXPECT_TRUE(WriteProfileBinary(QStringLiteral("FileList"), QStringLiteral("Column"), record));
    Flush();
    EXPECT_EQ(GetProfileInt(QStringLiteral("Position"), QString(), -5), 3);
    EXPECT_EQ(GetProfileBinary(QStringLiteral("FileList"), QStringLiteral("Column")), record);
    // A value of another type is no binary value.
    EXPECT_TRUE(GetProfileBinary(QStringLiteral("Position"), QString()).isEmpty());
}
