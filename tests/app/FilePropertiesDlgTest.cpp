#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "FilePropertiesDlg.h"

TEST(FilePropertiesDlgTest, ShowsTheFileAndItsAudio)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("Song.wma"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(3 * 1048576 / 2, 'x'));
    file.close();
    ASSERT_TRUE(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    const QDateTime modified(QDate(2024, 5, 6), QTime(7, 8, 9));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
    file.close();

    CFilePropertiesDlg dlg(path, {QStringLiteral("WMA"), QStringLiteral("00:03:25"),
                                  QStringLiteral("44100 Hz"), QStringLiteral("2 (Stereo)"), {}});
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Song.wma Properties"));
    EXPECT_EQ(dlg.FieldText(QStringLiteral("Name:")), QStringLiteral("Song.wma"));
    EXPECT_EQ(dlg.FieldText(QStringLiteral("Folder:")), QDir::toNativeSeparators(folder.path()));
    EXPECT_EQ(dlg.FieldText(QStringLiteral("Size:")), QStringLiteral("1.50 MB (1572864 bytes)"));
    EXPECT_EQ(dlg.FieldText(QStringLiteral("Modified:")), QStringLiteral("2024/05/06 07:08:09"));
    EXPECT_EQ(dlg.FieldText(QStringLiteral("Permissions:")), QStringLiteral("rw-r-----"));
    EXPECT_FALSE(dlg.FieldText(QStringLiteral("Owner:")).isEmpty());
    EXPECT_EQ(dlg.FieldText(QStringLiteral("Type:")), QStringLiteral("WMA"));
    EXPECT_EQ(dlg.FieldText(QStringLiteral("Duration:")), QStringLiteral("00:03:25"));
    EXPECT_EQ(dlg.FieldText(QStringLiteral("Frequency:")), QStringLiteral("44100 Hz"));
    EXPECT_EQ(dlg.FieldText(QStringLiteral("Channel:")), QStringLiteral("2 (Stereo)"));
    // A usable file has no problem to tell.
    EXPECT_EQ(dlg.FieldText(QStringLiteral("Problem:")), QString());
}

TEST(FilePropertiesDlgTest, VanishedFileSaysSo)
{
    CFilePropertiesDlg dlg(QStringLiteral("/no/such/folder/Gone.wma"),
                           {QStringLiteral("Unknown"), {}, {}, {}, QStringLiteral("No such file or directory")});
    EXPECT_EQ(dlg.FieldText(QStringLiteral("Name:")), QStringLiteral("Gone.wma"));
    EXPECT_EQ(dlg.FieldText(QStringLiteral("Size:")), QStringLiteral("File NOT Found!"));
    EXPECT_EQ(dlg.FieldText(QStringLiteral("Modified:")), QString());
    EXPECT_EQ(dlg.FieldText(QStringLiteral("Type:")), QStringLiteral("Unknown"));
    EXPECT_EQ(dlg.FieldText(QStringLiteral("Problem:")), QStringLiteral("No such file or directory"));
}
