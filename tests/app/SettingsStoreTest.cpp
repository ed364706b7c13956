#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "AppSettings.h"
#include "ScriptedInteraction.h"
#include "SettingsStore.h"
#include "UserFolders.h"

namespace {

class SettingsStoreTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", ConfigHome().toLocal8Bit());
        AppSettings = CAppSettings{};
    }

    void TearDown() override
    {
        qputenv("XDG_CONFIG_HOME", m_oldConfig);
        AppSettings = CAppSettings{};
    }

    QString ConfigHome() const { return m_dir.path() + QStringLiteral("/config"); }
    QString IniPath() const { return ConfigHome() + QStringLiteral("/Marlune/Config.ini"); }

    void WriteIni(const QByteArray& content) const
    {
        QDir().mkpath(QFileInfo(IniPath()).path());
        QFile file(IniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

    QByteArray ReadIni() const
    {
        QFile file(IniPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    static void ExpectDefaults()
    {
        EXPECT_EQ(AppSettings.Filter, 15);
        EXPECT_EQ(AppSettings.LameBits, 11);
        EXPECT_EQ(AppSettings.LameChannel, 0);
        EXPECT_EQ(AppSettings.Freq, 0);
        EXPECT_EQ(AppSettings.DesDir, DefaultOutputFolder());
    }

    QTemporaryDir m_dir;
    QByteArray m_oldConfig;
    ScriptedInteraction m_interaction;
    ScopedInteraction m_scope{&m_interaction};
};

TEST_F(SettingsStoreTest, FirstStartCreatesTheFolderAndAnEmptyFile)
{
    OpenSettingsStore();

    EXPECT_EQ(AppSettings.SettingsFolder, QDir::toNativeSeparators(ConfigHome() + QStringLiteral("/Marlune")));
    EXPECT_TRUE(QFileInfo(IniPath()).isFile());
    EXPECT_EQ(QFileInfo(IniPath()).size(), 0);
    ExpectDefaults();
    EXPECT_EQ(AppSettings.DesDir, UserFolders::Music() + QDir::separator());
    EXPECT_TRUE(m_interaction.boxes.isEmpty());
}

TEST_F(SettingsStoreTest, SaveIntoAnEmptyFileWritesTheKnownLayout)
{
    OpenSettingsStore();
    AppSettings.DesDir = QStringLiteral("/music/out/");
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(ReadIni(), QByteArray("[OUTPUT]\nFilter=15\nDesDir=/music/out/\n"
                                    "[MP3]\nLameBits=11\nLameChannel=0\nFreq=0\n"));
}

TEST_F(SettingsStoreTest, SaveUpdatesKeysWhereTheyStandAndKeepsForeignLines)
{
    WriteIni("; kept\n[mp3]\nfreq=3\nOther=x\n\n[Foreign]\nk=v\n[OUTPUT]\nDesDir=/old/\n");
    OpenSettingsStore();
    EXPECT_EQ(AppSettings.Freq, 3);
    EXPECT_EQ(AppSettings.DesDir, QStringLiteral("/old/"));

    AppSettings.Freq = 8;
    AppSettings.LameBits = 16;
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(ReadIni(), QByteArray("; kept\n[mp3]\nFreq=8\nOther=x\nLameBits=16\nLameChannel=0\n\n"
                                    "[Foreign]\nk=v\n[OUTPUT]\nDesDir=/old/\nFilter=15\n"));
}

TEST_F(SettingsStoreTest, LoadReadsWhatIsPresentAndDefaultsTheRest)
{
    struct Case
    {
        const char* name;
        QByteArray content;
        int16_t lameBits;
        QString desDir;
    };
    const QString longFolder = QStringLiteral("/") + QString(1500, QLatin1Char('d'));
    const QList<Case> cases = {
        {"only MP3 LameBits 16", "[MP3]\nLameBits=16\n", 16, DefaultOutputFolder()},
        {"folder without separator stays so", "[OUTPUT]\nDesDir=/no/separator\n", 11,
         QStringLiteral("/no/separator")},
        {"long folder is cut", "[OUTPUT]\nDesDir=" + longFolder.toUtf8() + "\n", 11, longFolder.left(1023)},
        {"empty folder stays empty", "[OUTPUT]\nDesDir=\n", 11, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppSettings = CAppSettings{};
        WriteIni(c.content);
        OpenSettingsStore();
        EXPECT_EQ(AppSettings.LameBits, c.lameBits);
        EXPECT_EQ(BitrateForIndex(AppSettings.LameBits), c.lameBits == 16 ? 320 : 128);
        EXPECT_EQ(AppSettings.Filter, 15);
        EXPECT_EQ(AppSettings.LameChannel, 0);
        EXPECT_EQ(AppSettings.Freq, 0);
        EXPECT_EQ(AppSettings.DesDir, c.desDir);
    }
}

TEST_F(SettingsStoreTest, BadFilesLoadWithDefaultsForWhatIsUnusable)
{
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.append(static_cast<char>((i * 7919) % 256));
    struct Case
    {
        const char* name;
        QByteArray content;
        int32_t filter;
    };
    const QList<Case> cases = {
        {"binary garbage", garbage, 15},
        {"garbage with section lines", "[MP3]\n" + garbage + "\n[OUTPUT]\n\xff\xfe=\x01\n", 15},
        {"no sections", "LameBits=3\nFreq=2\nFilter=1\n", 15},
        {"absurd values",
         "[OUTPUT]\nFilter=2147483647\n[MP3]\nLameBits=65547\nLameChannel=3\nFreq=9\n", 2147483647},
        {"negative values", "[OUTPUT]\nFilter=-4\n[MP3]\nLameBits=-1\nLameChannel=-1\nFreq=-32768\n", -4},
        {"huge numbers", "[MP3]\nLameBits=99999999999999999999\nFreq=1e9\n", 15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppSettings = CAppSettings{};
        WriteIni(c.content);
        OpenSettingsStore();
        EXPECT_EQ(AppSettings.Filter, c.filter);
        EXPECT_TRUE(IsValidLameBits(AppSettings.LameBits));
        EXPECT_TRUE(IsValidLameChannel(AppSettings.LameChannel));
        EXPECT_TRUE(IsValidFreq(AppSettings.Freq));
        EXPECT_EQ(AppSettings.LameChannel, 0);
        EXPECT_TRUE(m_interaction.boxes.isEmpty());
    }
}

TEST_F(SettingsStoreTest, OutOfRangeIndicesNeverLeaveTheTables)
{
    for (int index : {-32768, -1, 17, 9, 32767}) {
        EXPECT_EQ(BitrateForIndex(index), index == 9 ? 96 : 128);
        EXPECT_EQ(FrequencyForIndex(index), 0);
    }
    EXPECT_EQ(BitrateForIndex(0), 8);
    EXPECT_EQ(FrequencyForIndex(8), 44100);
}

TEST_F(SettingsStoreTest, ResetDeletesTheFileAndRestoresEveryDefault)
{
    WriteIni("[OUTPUT]\nFilter=3\nDesDir=/x/\n[MP3]\nLameBits=2\nLameChannel=1\nFreq=4\n");
    OpenSettingsStore();
    ASSERT_EQ(AppSettings.LameChannel, 1);

    ResetSettings();
    EXPECT_FALSE(QFileInfo::exists(IniPath()));
    ExpectDefaults();

    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(ReadIni(), QStringLiteral("[OUTPUT]\nFilter=15\nDesDir=%1\n"
                                        "[MP3]\nLameBits=11\nLameChannel=0\nFreq=0\n")
                             .arg(DefaultOutputFolder())
                             .toUtf8());
}

TEST_F(SettingsStoreTest, UncreatableSettingsFolderIsReportedAndStartUpGoesOn)
{
    // A file where the configuration folder should be.
    QDir().mkpath(QFileInfo(ConfigHome()).path());
    QFile blocker(ConfigHome());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    OpenSettingsStore();

    ASSERT_EQ(m_interaction.boxes.size(), 1);
    const ScriptedInteraction::AskedBox& box = m_interaction.boxes.front();
    EXPECT_EQ(box.text, QStringLiteral("Fail to create folder %1 !!").arg(AppSettings.SettingsFolder));
    EXPECT_EQ(box.caption, ApplicationName());
    EXPECT_EQ(box.type, MB_OK | MB_ICONWARNING);
    ExpectDefaults();
    EXPECT_TRUE(SaveSettings());
    EXPECT_TRUE(QFileInfo(ConfigHome()).isFile());
}

} // namespace
