#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QMenu>
#include <QShortcut>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QtEndian>

#include <gtest/gtest.h>

#include "AppCommands.h"
#include "AppSettings.h"
#include "AudioFixtures.h"
#include "MainWindowTestSupport.h"
#include "ProfileStore.h"
#include "ReportCtrl.h"
#include "SettingsStore.h"
#include "StatusBar.h"
#include "WMAFile2.h"
#include "ZARVDlg.h"

using namespace MainWindowTest;

namespace {

class MainWindow : public ::testing::Test
{
protected:
    void SetUp() override { ClearProfile(); }
    void TearDown() override { ClearProfile(); }

    ScriptedInteraction m_seam;
    ScopedInteraction m_scoped{&m_seam};
};

TEST_F(MainWindow, FirstStartInAnEmptyProfile)
{
    auto dlg = StartMainWindow();
    ASSERT_TRUE(dlg);
    const QFileInfo settingsFile(SettingsFilePath());
    EXPECT_TRUE(settingsFile.dir().exists());
    EXPECT_TRUE(settingsFile.exists());
    EXPECT_EQ(settingsFile.size(), 0);

    const QList<int> defaultWidths{150, 150, 65, 85, 120, 88, 96, 88};
    const QStringList headings{"Name", "Path", "Type", "Size(MB)", "Last Modified",
                               "Duration", "Frequency", "Channel"};
    ASSERT_EQ(dlg->m_lstFiles->GetColumnCount(), 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_TRUE(dlg->m_lstFiles->IsColumnVisible(i)) << i;
        EXPECT_EQ(dlg->m_lstFiles->GetColumnWidth(i), defaultWidths[i]) << i;
        EXPECT_EQ(dlg->m_lstFiles->GetColumnHeading(i), headings[i]);
        EXPECT_LE(dlg->m_lstFiles->GetHeaderImage(i), 0) << "no arrow before the first sort";
    }
    EXPECT_EQ(dlg->m_lstFiles->m_arrSortInfo, (QList<ColumnSortInfo>{{0, 1}}));
    EXPECT_TRUE(dlg->isMaximized());
    EXPECT_EQ(dlg->windowTitle(), "Marlune");
    EXPECT_EQ(dlg->m_wndStatusBar->GetText(2),
              "  MP3:  CBR 128 kbps; Automatic Frequency; Automatic Channel;");
    EXPECT_EQ(dlg->m_wndStatusBar->GetTipText(2), dlg->m_wndStatusBar->GetText(2));
    EXPECT_TRUE(m_seam.boxes.isEmpty());
    dlg->Close();
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->ExitCode(), 0);
}

TEST_F(MainWindow, DecoderThatCannotBeCreatedEndsWithTwoMessagesAndNothingSaved)
{
    SetWMAFile2CreationFailure(REGDB_E_CLASSNOTREG);
    CZARVDlg dlg;
    const bool bStarted = dlg.Initialise();
    SetWMAFile2CreationFailure(S_OK);
    EXPECT_FALSE(bStarted);
    EXPECT_EQ(dlg.ExitCode(), 1);
    EXPECT_FALSE(dlg.isVisible());
    ASSERT_EQ(m_seam.boxes.size(), 2);
    EXPECT_EQ(m_seam.boxes[0].caption, "Error !");
    EXPECT_EQ(m_seam.boxes[0].text,
              "Error on CreateInstance ActiveX WMAFile2!\nRun \"Mendall.exe\" to fix it.");
    EXPECT_EQ(m_seam.boxes[0].type, unsigned(MB_OK | MB_ICONERROR));
    EXPECT_EQ(m_seam.boxes[1].text,
              "Error on Initializing ActiveX Controls!\nRun \"Mendall.exe\" to fix it.");
    EXPECT_EQ(m_seam.boxes[1].type & MB_ICONERROR, unsigned(MB_ICONERROR));
    EXPECT_TRUE(ProfileKeys().isEmpty()) << ProfileKeys().join(',').toStdString();
    EXPECT_EQ(QFileInfo(SettingsFilePath()).size(), 0);
}

TEST_F(MainWindow, ListLayoutSurvivesARestart)
{
    {
        auto dlg = StartMainWindow();
        ASSERT_TRUE(dlg);
        dlg->m_lstFiles->ShowColumn(COL_SIZE, false);
        dlg->m_lstFiles->SetColumnWidth(COL_PATH, 222);
        dlg->m_lstFiles->OnColumnClick(COL_DURATION);
        dlg->m_lstFiles->OnColumnClick(COL_DURATION);
        dlg->Close();
    }
    auto dlg = StartMainWindow();
    ASSERT_TRUE(dlg);
    EXPECT_FALSE(dlg->m_lstFiles->IsColumnVisible(COL_SIZE));
    EXPECT_EQ(dlg->m_lstFiles->GetColumnState(COL_SIZE).nSavedWidth, 85);
    EXPECT_EQ(dlg->m_lstFiles->GetColumnWidth(COL_PATH), 222);
    EXPECT_EQ(dlg->m_lstFiles->m_arrSortInfo, (QList<ColumnSortInfo>{{COL_DURATION, 0}, {0, 1}}));
    // The next sort (a load, a header click) shows the restored order's arrow.
    dlg->m_lstFiles->SortItems(0, dlg->m_lstFiles->GetItemCount() - 1, true);
    ASSERT_TRUE(WaitUntil([&] { return dlg->m_lstFiles->GetHeaderImage(COL_DURATION) == 2; }));
    for (int i = 0; i < 8; ++i) {
        if (i != COL_DURATION) {
            EXPECT_EQ(dlg->m_lstFiles->GetHeaderImage(i), 0) << i;
        }
    }
    dlg->m_lstFiles->ShowColumn(COL_SIZE, true);
    EXPECT_EQ(dlg->m_lstFiles->GetColumnWidth(COL_SIZE), 85);
    EXPECT_TRUE(dlg->isMaximized()) << "closed maximised, restored maximised";
    dlg->Close();
}

TEST_F(MainWindow, StoredSortValueOfTwelveBytesRestoresOneKey)
{
    QByteArray value;
    for (int32_t v : {6, 0, 2}) {
        char bytes[4];
        qToLittleEndian(v, bytes);
        value.append(bytes, 4);
    }
    ProfileStore::WriteProfileBinary("FileList", "SortEx", value);
    auto dlg = StartMainWindow();
    ASSERT_TRUE(dlg);
    EXPECT_EQ(dlg->m_lstFiles->m_arrSortInfo, (QList<ColumnSortInfo>{{6, 0}}));
    dlg->Close();
}

TEST_F(MainWindow, EscapeAndEnterDoNothingAndAcceleratorsReachTheirCommands)
{
    auto dlg = StartMainWindow();
    ASSERT_TRUE(dlg);
    QApplication::setActiveWindow(dlg.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        QTest::keyClick(dlg.get(), key);
        QTest::keyClick(dlg->m_lstFiles, key);
        QCoreApplication::processEvents();
        EXPECT_TRUE(dlg->isVisible()) << key;
        EXPECT_FALSE(dlg->m_bClosing);
    }

    struct Case
    {
        QKeyCombination key;
        unsigned nCommand;
    };
    const std::vector<Case> cases{
        {QKeyCombination(Qt::Key_F6), ID_ADD_FILES},
        {QKeyCombination(Qt::Key_F3), ID_CONVERT_LIST},
        {QKeyCombination(Qt::ShiftModifier, Qt::Key_F3), ID_CONVERT_SELECTED},
        {QKeyCombination(Qt::ControlModifier, Qt::Key_O), ID_OPTIONS},
        {QKeyCombination(Qt::Key_Delete), ID_REMOVE_SELECTED},
        {QKeyCombination(Qt::Key_F2), ID_RENAME},
        {QKeyCombination(Qt::ControlModifier, Qt::Key_A), ID_SELECT_ALL},
    };
    ASSERT_EQ(dlg->m_hAccel.size(), qsizetype(cases.size()));
    for (const Case& c : cases) {
        QShortcut* shortcut = nullptr;
        for (QShortcut* candidate : dlg->m_hAccel) {
            if (candidate->key() == QKeySequence(c.key))
                shortcut = candidate;
        }
        ASSERT_NE(shortcut, nullptr) << QKeySequence(c.key).toString().toStdString();
        EXPECT_EQ(shortcut->property("command").toUInt(), c.nCommand);
        QSignalSpy spy(shortcut, &QShortcut::activated);
        dlg->m_lstFiles->setFocus();
        QTest::keyClick(dlg->m_lstFiles, c.key.key(), c.key.keyboardModifiers());
        EXPECT_EQ(spy.count(), 1) << QKeySequence(c.key).toString().toStdString();
    }
    // F6 reached Add Files: its file dialog was asked for (and cancelled).
    EXPECT_EQ(m_seam.fileDialogFilters, QStringList{"Wma File (*.wma)"});
    EXPECT_TRUE(dlg->isVisible());
    dlg->Close();
}

TEST_F(MainWindow, ToolbarHasFourLargeButtonsWithThePromptsAsTooltips)
{
    auto dlg = StartMainWindow();
    ASSERT_TRUE(dlg);
    const QList<QAction*> actions = dlg->m_wndToolBar->actions();
    ASSERT_EQ(actions.size(), 4);
    EXPECT_EQ(dlg->m_wndToolBar->iconSize(), QSize(48, 48));
    const QStringList tips{"Add audio files to the current file list", "Convert the files in the list",
                           "Open the option dialog", "About Marlune"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(actions[i]->toolTip(), tips[i]);
        EXPECT_FALSE(actions[i]->icon().isNull());
    }
    // The first button is Add Files.
    actions[0]->trigger();
    EXPECT_EQ(m_seam.fileDialogFilters.size(), 1);
    dlg->Close();
}

TEST_F(MainWindow, StatusBarKeepsItsHeightAndPaneEdgesAtAnySize)
{
    auto dlg = StartMainWindow();
    ASSERT_TRUE(dlg);
    dlg->showNormal();
    for (const QSize size : {QSize(1000, 600), QSize(640, 480), QSize(1203, 517)}) {
        dlg->resize(size);
        QCoreApplication::processEvents();
        ASSERT_EQ(dlg->size(), size);
        const CStatusBar* bar = dlg->m_wndStatusBar;
        EXPECT_EQ(bar->geometry(), QRect(0, size.height() - 25, size.width(), 25));
        EXPECT_EQ(bar->GetRect(0).right() + 1, int(size.width() * 0.25));
        EXPECT_EQ(bar->GetRect(1).right() + 1, int(size.width() * 0.5));
        EXPECT_EQ(dlg->m_wndReBar->width(), size.width());
        EXPECT_LE(dlg->m_lstFiles->geometry().bottom(), bar->geometry().top());
    }
    dlg->Close();
}

TEST_F(MainWindow, RowMenuOnlyOnARowWithConvertSelectedAsDefault)
{
    auto dlg = StartMainWindow();
    ASSERT_TRUE(dlg);
    dlg->ShowRowMenu(-1, QPoint(100, 100));
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    dlg->m_lstFiles->InsertItem(0, "a.wma", -1, dlg->NewRecord());
    dlg->ShowRowMenu(0, QPoint(100, 100));
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QStringList texts;
    for (const QAction* action : menu->actions())
        texts.append(action->text());
    EXPECT_EQ(texts, (QStringList{"Convert Selected\tShift+F3", "Open", "Properties"}));
    ASSERT_NE(menu->defaultAction(), nullptr);
    EXPECT_EQ(menu->defaultAction()->data().toUInt(), unsigned(ID_CONVERT_SELECTED));
    menu->close();
    dlg->Close();
}

TEST_F(MainWindow, SecondCloseRequestIsIgnored)
{
    auto dlg = StartMainWindow();
    ASSERT_TRUE(dlg);
    dlg->Close();
    ClearProfile();
    dlg->Close();
    EXPECT_TRUE(ProfileKeys().isEmpty());
}

} // namespace
