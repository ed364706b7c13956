#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "AppCommands.h"
#include "AppSettings.h"
#include "AudioFixtures.h"
#include "ConvJob.h"
#include "ConvProg.h"
#include "FilePropertiesDlg.h"
#include "ListRows.h"
#include "MainWindowTestSupport.h"
#include "StatusBar.h"

using namespace MainWindowTest;

namespace {

class ListCommands : public testing::Test
{
protected:
    void SetUp() override
    {
        ClearProfile();
        ASSERT_TRUE(m_dir.isValid());
        m_dlg = StartMainWindow();
        ASSERT_TRUE(m_dlg);
    }
    void TearDown() override
    {
        if (m_dlg)
            m_dlg->Close();
        ClearProfile();
    }

    QString Folder() const { return QDir::toNativeSeparators(m_dir.path()) + QDir::separator(); }

    RowSpec Row(const QString& name, double dSizeMB = 1.0, double dSeconds = 1.0) const
    {
        RowSpec spec;
        spec.strName = name;
        spec.strFolder = Folder();
        spec.dSizeMB = dSizeMB;
        spec.dDuration = dSeconds;
        return spec;
    }

    QString MakeFile(const QString& name) const
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(name.toUtf8());
        return path;
    }

    void Select(std::initializer_list<int> rows)
    {
        m_dlg->m_lstFiles->SetAllItemStates(ROW_ALL, ROW_UNSELECTED);
        for (int nRow : rows)
            m_dlg->m_lstFiles->SetItemStates(nRow, ROW_SELECTED);
    }

    QString Pane(int n) const { return m_dlg->m_wndStatusBar->GetText(n); }

    bool Rename(int nRow, const QString& newName)
    {
        CReportCtrl& list = *m_dlg->m_lstFiles;
        Select({nRow});
        m_dlg->OnCommand(ID_RENAME);
        if (!list.IsEditing())
            return false;
        list.GetEditControl()->setText(newName);
        list.EndEdit(true);
        return true;
    }

    QTemporaryDir m_dir;
    ScriptedInteraction m_seam;
    ScopedInteraction m_scoped{&m_seam};
    std::unique_ptr<CZARVDlg> m_dlg;
};

} // namespace

TEST_F(ListCommands, RemoveSelectedKeepsTheTotalsOfTheRest)
{
    for (int i = 1; i <= 5; ++i)
        AddRow(*m_dlg, Row(QStringLiteral("%1.wma").arg(i), i, 10.0 * i));
    Select({0, 2, 4});
    EXPECT_EQ(Pane(1), QStringLiteral("3 file(s) selected, 9.00 MB   00:01:30"));

    m_dlg->OnCommand(ID_REMOVE_SELECTED);
    EXPECT_EQ(ColumnTexts(*m_dlg, COL_NAME), (QStringList{"2.wma", "4.wma"}));
    EXPECT_EQ(m_dlg->m_nFileCount, 2);
    EXPECT_EQ(Pane(0), QStringLiteral("2 file(s)   6.00 MB   00:01:00"));
    EXPECT_EQ(m_dlg->m_wndStatusBar->GetTipText(0), Pane(0));
    EXPECT_EQ(Pane(1), QStringLiteral("No file selected"));
    // Not a load: conversions and selection updates work again.
    EXPECT_EQ(m_dlg->m_bLoading, 0);
}

TEST_F(ListCommands, RemoveAll)
{
    m_dlg->OnCommand(ID_REMOVE_ALL);
    EXPECT_EQ(Pane(0), QStringLiteral("No file"));
    EXPECT_EQ(Pane(1), QStringLiteral("No file selected"));

    for (int i = 0; i < 4; ++i)
        AddRow(*m_dlg, Row(QStringLiteral("%1.wma").arg(i), 0.1, 0.3));
    Select({1});
    m_dlg->OnCommand(ID_REMOVE_ALL);
    EXPECT_EQ(m_dlg->m_lstFiles->GetItemCount(), 0);
    EXPECT_EQ(m_dlg->m_nFileCount, 0);
    EXPECT_EQ(m_dlg->m_dTotalMB, 0.0);
    EXPECT_EQ(Pane(0), QStringLiteral("No file"));
    EXPECT_EQ(Pane(1), QStringLiteral("No file selected"));
}

TEST_F(ListCommands, OpenUsesTheDefaultApplication)
{
    const QString path = MakeFile(QStringLiteral("song.wma"));
    AddRow(*m_dlg, Row(QStringLiteral("song.wma")));
    m_dlg->OnCommand(ID_FILE_OPEN_ITEM); // nothing selected
    EXPECT_TRUE(m_seam.openedItems.isEmpty());

    Select({0});
    m_dlg->OnCommand(ID_FILE_OPEN_ITEM);
    EXPECT_EQ(m_seam.openedItems, QStringList{QDir::toNativeSeparators(path)});
    EXPECT_TRUE(m_seam.boxes.isEmpty());

    m_seam.openSucceeds = false;
    m_dlg->OnCommand(ID_FILE_OPEN_ITEM);
    ASSERT_EQ(m_seam.boxes.size(), 1);
    EXPECT_EQ(m_seam.boxes[0].text,
              QStringLiteral("There is no application associated with the given file name extension."));
    EXPECT_EQ(m_seam.boxes[0].type, MB_OK | MB_ICONWARNING);
    EXPECT_EQ(m_dlg->m_lstFiles->GetItemCount(), 1);
}

TEST_F(ListCommands, OpenOfAVanishedFileOffersToRemoveIt)
{
    AddRow(*m_dlg, Row(QStringLiteral("kept.wma"), 2.0, 20.0));
    AddRow(*m_dlg, Row(QStringLiteral("gone.wma"), 1.0, 5.0));
    Select({1});

    m_dlg->OnCommand(ID_FILE_OPEN_ITEM); // answered No
    ASSERT_EQ(m_seam.boxes.size(), 1);
    EXPECT_EQ(m_seam.boxes[0].text, QStringLiteral("File NOT Found!  Remove It from the List?"));
    EXPECT_EQ(m_seam.boxes[0].type, MB_YESNO | MB_ICONWARNING);
    EXPECT_EQ(m_dlg->m_lstFiles->GetItemCount(), 2);
    EXPECT_TRUE(m_seam.openedItems.isEmpty());

    m_seam.boxAnswers.append(IDYES);
    m_dlg->OnCommand(ID_FILE_OPEN_ITEM);
    EXPECT_EQ(ColumnTexts(*m_dlg, COL_NAME), QStringList{"kept.wma"});
    EXPECT_EQ(Pane(0), QStringLiteral("1 file(s)   2.00 MB   00:00:20"));
    EXPECT_EQ(m_dlg->m_bLoading, 0);
}

TEST_F(ListCommands, PropertiesFromTheFileManagerElseOurOwnView)
{
    const QString path = MakeFile(QStringLiteral("song.wma"));
    const int nRow = AddRow(*m_dlg, Row(QStringLiteral("song.wma")));
    m_dlg->m_lstFiles->SetItemText(nRow, COL_FREQUENCY, QStringLiteral("44100 Hz"));
    Select({0});
    m_dlg->OnCommand(ID_PROPERTIES);
    EXPECT_EQ(m_seam.propertiesShown, QStringList{QDir::toNativeSeparators(path)});
    EXPECT_EQ(m_seam.dialogsRun, 0);

    m_seam.propertiesSucceed = false;
    QString strShownName;
    QString strShownFrequency;
    m_seam.dialogHandler = [&](QDialog* dialog) {
        if (auto* props = dynamic_cast<CFilePropertiesDlg*>(dialog)) {
            strShownName = props->FieldText(QStringLiteral("Name:"));
            strShownFrequency = props->FieldText(QStringLiteral("Frequency:"));
        }
        return int(QDialog::Accepted);
    };
    m_dlg->OnCommand(ID_PROPERTIES);
    EXPECT_EQ(m_seam.dialogsRun, 1);
    EXPECT_EQ(strShownName, QStringLiteral("song.wma"));
    EXPECT_EQ(strShownFrequency, QStringLiteral("44100 Hz"));
}

TEST_F(ListCommands, RenameOnDisk)
{
    const QString taken = MakeFile(QStringLiteral("taken.wma"));
    const QString path = MakeFile(QStringLiteral("song.wma"));
    AddRow(*m_dlg, Row(QStringLiteral("song.wma")));
    AddRow(*m_dlg, Row(QStringLiteral("taken.wma")));

    // A name that is taken: the warning, the old name back, both files as they were.
    ASSERT_TRUE(Rename(0, QStringLiteral("taken.wma")));
    ASSERT_EQ(m_seam.boxes.size(), 1);
    EXPECT_EQ(m_seam.boxes[0].text, QStringLiteral("Fail to Rename File!"));
    EXPECT_EQ(m_seam.boxes[0].type, MB_OK | MB_ICONWARNING);
    EXPECT_EQ(m_dlg->m_lstFiles->GetItemText(0, COL_NAME), QStringLiteral("song.wma"));
    QFile takenFile(taken);
    ASSERT_TRUE(takenFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(takenFile.readAll(), QByteArray("taken.wma"));
    EXPECT_TRUE(QFileInfo::exists(path));

    // A name that would leave the folder is refused the same way.
    ASSERT_TRUE(Rename(0, QStringLiteral("../song.wma")));
    EXPECT_EQ(m_seam.boxes.size(), 2);
    EXPECT_EQ(m_dlg->m_lstFiles->GetItemText(0, COL_NAME), QStringLiteral("song.wma"));
    EXPECT_TRUE(QFileInfo::exists(path));

    ASSERT_TRUE(Rename(0, QStringLiteral("song.mp3")));
    EXPECT_EQ(m_seam.boxes.size(), 2);
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_TRUE(QFileInfo::exists(m_dir.filePath(QStringLiteral("song.mp3"))));
    EXPECT_EQ(m_dlg->m_lstFiles->GetItemText(0, COL_NAME), QStringLiteral("song.mp3"));
    EXPECT_EQ(m_dlg->m_lstFiles->GetItemText(0, COL_TYPE), QStringLiteral("WMA"));
}

TEST_F(ListCommands, RenamedFileIsConvertedUnderItsNewName)
{
    AudioFixtures::Signal signal;
    signal.seconds = 1.0;
    QString error;
    const QString source = AudioFixtures::MakeWma(m_dir.path(), QStringLiteral("song.wma"), signal, {}, &error);
    ASSERT_FALSE(source.isEmpty()) << error.toStdString();
    ASSERT_TRUE(LoadFiles(*m_dlg, m_seam, {source}));
    ASSERT_TRUE(Rename(0, QStringLiteral("song.mp3")));
    ASSERT_TRUE(m_seam.boxes.isEmpty());

    const QString outDir = m_dir.filePath(QStringLiteral("out"));
    AppSettings.DesDir = QDir::toNativeSeparators(outDir) + QDir::separator();
    QString strTitle;
    m_seam.dialogHandler = [&](QDialog* dialog) {
        auto* prog = dynamic_cast<CConvProg*>(dialog);
        if (!prog)
            return int(QDialog::Rejected);
        EXPECT_EQ(prog->Job()->m_arrTasks.at(0).m_strSource, m_dir.filePath(QStringLiteral("song.mp3")));
        prog->show();
        WaitUntil([&] { return prog->windowTitle() == QStringLiteral("Finished Converting"); }, 60000);
        strTitle = prog->windowTitle();
        prog->reject();
        return prog->result();
    };
    m_dlg->OnCommand(ID_CONVERT_LIST);
    EXPECT_EQ(strTitle, QStringLiteral("Finished Converting"));
    EXPECT_TRUE(AudioFixtures::Decode(outDir + QStringLiteral("/song.mp3")).IsValid());
    WaitForJobsToEnd();
}

TEST_F(ListCommands, SelectAllUpdatesTheStatusOnce)
{
    m_dlg->m_lstFiles->setUpdatesEnabled(false);
    for (int i = 0; i < 1000; ++i)
        AddRow(*m_dlg, Row(QStringLiteral("%1.wma").arg(i, 4, 10, QLatin1Char('0'))));
    m_dlg->m_lstFiles->setUpdatesEnabled(true);
    Select({});
    m_dlg->OnListItemChanged();
    ASSERT_EQ(Pane(1), QStringLiteral("No file selected"));

    // Connected after the window's own handler: sees the pane as each
    // notification of the burst left it.
    QStringList arrSeen;
    const auto connection = QObject::connect(
        m_dlg->m_lstFiles->selectionModel(), &QItemSelectionModel::selectionChanged, m_dlg.get(),
        [&] { arrSeen.append(Pane(1)); });
    m_dlg->OnCommand(ID_SELECT_ALL);
    QObject::disconnect(connection);

    ASSERT_FALSE(arrSeen.isEmpty());
    EXPECT_EQ(arrSeen.count(QStringLiteral("No file selected")), arrSeen.size());
    EXPECT_EQ(Pane(1), QStringLiteral("1000 file(s) selected, 1000.00 MB   00:16:40"));
    EXPECT_EQ(m_dlg->m_bLoading, 0);
}

TEST_F(ListCommands, SelectionNotificationsIgnoredWhileLoading)
{
    AddRow(*m_dlg, Row(QStringLiteral("a.wma"), 1.5, 61.0));
    const QString before = Pane(1);
    m_dlg->m_bLoading = 1;
    Select({0});
    EXPECT_EQ(Pane(1), before);
    m_dlg->m_bLoading = 0;
    Select({0});
    EXPECT_EQ(Pane(1), QStringLiteral("1 file(s) selected, 1.50 MB   00:01:01"));
}

TEST_F(ListCommands, HoursAreNotCutToTwoDigits)
{
    AddRow(*m_dlg, Row(QStringLiteral("long.wma"), 1.0, 100 * 3600.0 + 0.9));
    m_dlg->SetTimer(TIMER_STATUS, 100);
    ASSERT_TRUE(WaitUntil([&] { return !m_dlg->IsTimerRunning(TIMER_STATUS); }));
    EXPECT_EQ(Pane(0), QStringLiteral("1 file(s)   1.00 MB   100:00:00"));
    EXPECT_EQ(m_dlg->m_wndStatusBar->GetTipText(0), Pane(0));
    Select({0});
    EXPECT_EQ(Pane(1), QStringLiteral("1 file(s) selected, 1.00 MB   100:00:00"));
}
