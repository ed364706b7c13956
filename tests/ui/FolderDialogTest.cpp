#include <QDir>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include "FolderDialog.h"
#include "ScriptedInteraction.h"

namespace {

// Also records the folder each picker opened at.
class FolderAnswers : public ScriptedInteraction
{
public:
    QStringList startFolders;

    QString GetExistingDirectory(QWidget* parent, const QString& caption, const QString& folder) override
    {
        startFolders.append(folder);
        return ScriptedInteraction::GetExistingDirectory(parent, caption, folder);
    }
};

} // namespace

TEST(FolderDialogTest, ResultsOfThePicker)
{
    FolderAnswers seam;
    ScopedInteraction scope(&seam);
    QTemporaryDir chosen;
    ASSERT_TRUE(chosen.isValid());
    const QString title = QStringLiteral("Specify the Output Folder");

    CFolderDialog pick(title, QStringLiteral("/music/start"), nullptr, 0x51);
    seam.folderAnswers.append(chosen.path() + QStringLiteral("/"));
    EXPECT_EQ(pick.DoModal(), CFolderDialog::FOLDER_CHOSEN);
    EXPECT_EQ(pick.m_szFolderPath, QDir::toNativeSeparators(chosen.path()));
    EXPECT_EQ(seam.folderCaptions.last(), title);
    EXPECT_EQ(seam.startFolders.last(), QStringLiteral("/music/start"));

    CFolderDialog cancel(title, QString(), nullptr, 0x51);
    EXPECT_EQ(cancel.DoModal(), CFolderDialog::FOLDER_CANCELLED);
    EXPECT_TRUE(cancel.m_szFolderPath.isEmpty());

    CFolderDialog virtualFolder(title, QString(), nullptr, 0x51);
    seam.folderAnswers.append(QStringLiteral("trash:///"));
    EXPECT_EQ(virtualFolder.DoModal(), CFolderDialog::FOLDER_NOT_ON_DISK);
    EXPECT_TRUE(virtualFolder.m_szFolderPath.isEmpty());

    CFolderDialog fileUrl(title, QString(), nullptr, 0x51);
    seam.folderAnswers.append(QUrl::fromLocalFile(chosen.path()).toString());
    EXPECT_EQ(fileUrl.DoModal(), CFolderDialog::FOLDER_CHOSEN);
    EXPECT_EQ(fileUrl.m_szFolderPath, QDir::toNativeSeparators(chosen.path()));
}
