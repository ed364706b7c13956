#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "PrivateProfile.h"

namespace {

class PrivateProfileTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString file = dir.filePath(QStringLiteral("Config.ini"));

    void Write(const QByteArray& content)
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(content);
    }
    QByteArray Read()
    {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }
};

} // namespace

TEST_F(PrivateProfileTest, WritesIntoAMissingFileSectionBySection)
{
    using namespace PrivateProfile;
    EXPECT_TRUE(WriteString(QStringLiteral("OUTPUT"), QStringLiteral("Filter"), QStringLiteral("15"), file));
    EXPECT_TRUE(WriteString(QStringLiteral("OUTPUT"), QStringLiteral("DesDir"), QStringLiteral("/m/"), file));
    EXPECT_TRUE(WriteString(QStringLiteral("MP3"), QStringLiteral("LameBits"), QStringLiteral("11"), file));
    EXPECT_EQ(Read(), QByteArray("[OUTPUT]\nFilter=15\nDesDir=/m/\n[MP3]\nLameBits=11\n"));
}

TEST_F(PrivateProfileTest, UpdatesKeysWhereTheyStandAndKeepsForeignLines)
{
    Write("; my notes\r\n[mp3]\r\nlamebits = 3\r\nOther=x\r\n\r\n[OUTPUT]\r\nFilter=1\r\n");
    using namespace PrivateProfile;
    EXPECT_TRUE(WriteString(QStringLiteral("MP3"), QStringLiteral("LameBits"), QStringLiteral("16"), file));
    EXPECT_TRUE(WriteString(QStringLiteral("MP3"), QStringLiteral("Freq"), QStringLiteral("2"), file));
    EXPECT_TRUE(WriteString(QStringLiteral("OUTPUT"), QStringLiteral("DesDir"), QStringLiteral("/o/"), file));
    EXPECT_EQ(Read(), QByteArray("; my notes\r\n[mp3]\r\nLameBits=16\r\nOther=x\r\nFreq=2\r\n\r\n"
                                 "[OUTPUT]\r\nFilter=1\r\nDesDir=/o/\r\n"));
    EXPECT_EQ(GetInt(QStringLiteral("Mp3"), QStringLiteral("LAMEBITS"), 0, file), 16);
}

TEST_F(PrivateProfileTest, ReadsValuesAndDefaults)
{
    Write("[S]\nNum= -12abc \nWord=  \"quoted text\" \nEmpty=\nText=x\n");
    using namespace PrivateProfile;
    struct Case
    {
        const char* key;
        int expected;
    } ints[] = {{"Num", -12}, {"Word", 0}, {"Empty", 0}, {"Missing", 77}};
    for (const Case& c : ints)
        EXPECT_EQ(GetInt(QStringLiteral("S"), QString::fromUtf8(c.key), 77, file), c.expected) << c.key;
    EXPECT_EQ(GetString(QStringLiteral("S"), QStringLiteral("Word"), {}, 1023, file), QStringLiteral("quoted text"));
    EXPECT_EQ(GetString(QStringLiteral("S"), QStringLiteral("Word"), {}, 6, file), QStringLiteral("quoted"));
    EXPECT_EQ(GetString(QStringLiteral("S"), QStringLiteral("Nope"), QStringLiteral("dflt"), 3, file), QStringLiteral("dfl"));
    EXPECT_EQ(GetString(QStringLiteral("T"), QStringLiteral("Text"), QStringLiteral("d"), 10, file), QStringLiteral("d"));
    EXPECT_EQ(GetInt(QStringLiteral("S"), QStringLiteral("Num"), 5, dir.filePath(QStringLiteral("none.ini"))), 5);
}

TEST_F(PrivateProfileTest, BinaryGarbageReadsAsDefaults)
{
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.append(static_cast<char>((i * 7919) % 256));
    Write(garbage);
    EXPECT_EQ(PrivateProfile::GetInt(QStringLiteral("MP3"), QStringLiteral("LameBits"), 11, file), 11);
    EXPECT_TRUE(PrivateProfile::WriteString(QStringLiteral("MP3"), QStringLiteral("LameBits"), QStringLiteral("4"), file));
    EXPECT_TRUE(Read().startsWith(garbage.left(100)));
    EXPECT_EQ(PrivateProfile::GetInt(QStringLiteral("MP3"), QStringLiteral("LameBits"), 11, file), 4);
}

TEST_F(PrivateProfileTest, ReadOnlyFileIsLeftAlone)
{
    Write("[S]\nK=1\n");
    QFile::setPermissions(file, QFile::ReadOwner);
    if (QFile(file).open(QIODevice::WriteOnly))
        GTEST_SKIP() << "running with rights that ignore file permissions";
    EXPECT_FALSE(PrivateProfile::WriteString(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("2"), file));
    EXPECT_EQ(Read(), QByteArray("[S]\nK=1\n"));
}
