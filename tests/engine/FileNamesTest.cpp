#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "FileNames.h"

namespace {

void Touch(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

class FileNamesTest : public testing::Test
{
protected:
    QString Path(const QString& relative) const { return m_dir.path() + QLatin1Char('/') + relative; }
    QTemporaryDir m_dir;
};

TEST_F(FileNamesTest, CreateFolderTreeCreatesMissingParentsAndAcceptsExistingFolders)
{
    const QStringList paths = {
        QStringLiteral("a/b/c"),   // two missing parents
        QStringLiteral("a/b/c"),   // exists already
        QStringLiteral("a/d/"),    // trailing separator
        QStringLiteral("e//f/"),   // doubled separator
        QStringLiteral("a"),       // existing parent alone
    };
    for (const QString& relative : paths) {
        SCOPED_TRACE(relative.toStdString());
        EXPECT_TRUE(CreateFolderTree(Path(relative)));
        EXPECT_TRUE(QFileInfo(Path(relative)).isDir());
    }
}

TEST_F(FileNamesTest, CreateFolderTreeRefusesWhatCannotBeAFolder)
{
    Touch(Path(QStringLiteral("file")));
    QString tooLong = Path(QString());
    while (tooLong.size() < MAX_FOLDER_PATH)
        tooLong += QStringLiteral("x/");
    const QString longest = tooLong.left(MAX_FOLDER_PATH - 1);

    const QStringList refused = {QString(), Path(QStringLiteral("file")),
                                 Path(QStringLiteral("file/sub")), tooLong.left(MAX_FOLDER_PATH)};
    for (const QString& path : refused) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_FALSE(CreateFolderTree(path));
        EXPECT_FALSE(QFileInfo(path).isDir());
    }
    EXPECT_TRUE(CreateFolderTree(longest));
}

TEST_F(FileNamesTest, MakeUniqueNameNumbersThePathBeforeItsExtension)
{
    struct Case
    {
        QStringList existing;
        QString path;
        QString expected;
    };
    const QList<Case> cases = {
        {{QStringLiteral("song.mp3")}, QStringLiteral("song.mp3"), QStringLiteral("song (2).mp3")},
        {{QStringLiteral("song.mp3"), QStringLiteral("song (2).mp3")}, QStringLiteral("song.mp3"),
         QStringLiteral("song (3).mp3")},
        {{QStringLiteral("a.b.mp3")}, QStringLiteral("a.b.mp3"), QStringLiteral("a.b (2).mp3")},
        {{QStringLiteral("plain")}, QStringLiteral("plain"), QStringLiteral("plain (2)")},
        {{QStringLiteral("x.d/plain")}, QStringLiteral("x.d/plain"), QStringLiteral("x.d/plain (2)")},
        // A folder takes a name as much as a file does.
        {{QStringLiteral("taken.mp3"), QStringLiteral("taken (2).mp3/")}, QStringLiteral("taken.mp3"),
         QStringLiteral("taken (3).mp3")},
        // A "%" and a digit anywhere in the path stay as they are.
        {{QStringLiteral("50%2off/song.mp3")}, QStringLiteral("50%2off/song.mp3"),
         QStringLiteral("50%2off/song (2).mp3")},
        {{QStringLiteral("mix%1.mp3")}, QStringLiteral("mix%1.mp3"), QStringLiteral("mix%1 (2).mp3")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        QTemporaryDir dir;
        QDir(dir.path()).mkpath(QStringLiteral("x.d"));
        QDir(dir.path()).mkpath(QStringLiteral("50%2off"));
        for (const QString& name : c.existing) {
            if (name.endsWith(QLatin1Char('/')))
                QDir(dir.path()).mkpath(name);
            else
                Touch(dir.path() + QLatin1Char('/') + name);
        }
        EXPECT_EQ(MakeUniqueName(dir.path() + QLatin1Char('/') + c.path),
                  dir.path() + QLatin1Char('/') + c.expected);
    }
}

} // namespace
