#include <algorithm>

#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "AudioFixtures.h"
#include "DialogBuilder.h"
#include "FileItemInfo.h"
#include "MainWindowTestSupport.h"
#include "Processing.h"
#include "ReportCtrl.h"
#include "StatusBar.h"
#include "UiGlobals.h"
#include "ZARVDlg.h"

using namespace MainWindowTest;

namespace {

const QColor kErrorBackground(255, 225, 241);

AudioFixtures::Signal Tone(double seconds, int sampleRate, int channels)
{
    AudioFixtures::Signal signal;
    signal.seconds = seconds;
    signal.sampleRate = sampleRate;
    signal.channels = channels;
    return signal;
}

// Sorted as the list sorts texts: by their bytes.
bool IsSortedByName(const QStringList& names)
{
    return std::is_sorted(names.cbegin(), names.cend(), [](const QString& a, const QString& b) {
        return a.toLocal8Bit() < b.toLocal8Bit();
    });
}

class FileLoading : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ClearProfile();
        ASSERT_TRUE(m_dir.isValid());
    }
    void TearDown() override { ClearProfile(); }

    QString Path(const QString& name) const { return m_dir.filePath(name); }

    // Copies of one short fixture, for loads long enough to stop.
    QStringList ManyCopies(int nCount)
    {
        QString error;
        const QString source = AudioFixtures::MakeWma(m_dir.path(), "source.wma", Tone(0.3, 22050, 1), {}, &error);
        EXPECT_FALSE(source.isEmpty()) << error.toStdString();
        QStringList paths;
        for (int i = 0; i < nCount; ++i) {
            const QString copy = Path(QString::asprintf("copy%04d.wma", i));
            QFile::copy(source, copy);
            paths.append(copy);
        }
        return paths;
    }

    QTemporaryDir m_dir;
    ScriptedInteraction m_seam;
    ScopedInteraction m_scoped{&m_seam};
};

TEST_F(FileLoading, GoodAndBadFilesEachGetARow)
{
    QString error;
    QStringList paths;
    paths << AudioFixtures::MakeWma(m_dir.path(), "Long Song.wma", Tone(205.5, 44100, 2), {}, &error);
    paths << AudioFixtures::MakeWma(m_dir.path(), "mono.wma", Tone(1.5, 22050, 1), {}, &error);
    paths << AudioFixtures::MakeWma(m_dir.path(), "b.wma", Tone(2.0, 32000, 2), {"wmav1", 64000}, &error);
    paths << AudioFixtures::MakeWma(m_dir.path(), "short.wma", Tone(0.5, 44100, 2), {}, &error);
    paths << AudioFixtures::MakeWma(m_dir.path(), "Zeta.wma", Tone(3.0, 48000, 2), {}, &error);
    ASSERT_FALSE(paths.contains(QString())) << error.toStdString();
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile file(Path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    };
    paths << write(".wma", "not audio at all\n") << write("empty.wma", {})
          << write("notes.txt", "some text\n");
    paths << Path("vanished.wma"); // gone before its turn: no row

    auto dlg = StartMainWindow();
    ASSERT_TRUE(dlg);
    ASSERT_TRUE(LoadFiles(*dlg, m_seam, paths));
    CReportCtrl* list = dlg->m_lstFiles;
    ASSERT_EQ(list->GetItemCount(), 8);
    EXPECT_EQ(dlg->m_nFileCount, 8);
    const QStringList names = ColumnTexts(*dlg, COL_NAME);
    EXPECT_TRUE(IsSortedByName(names)) << names.join('|').toStdString();

    const auto rowOf = [&](const QString& name) { return static_cast<int>(names.indexOf(name)); };
    for (const char* bad : {".wma", "empty.wma", "notes.txt"}) {
        const int row = rowOf(bad);
        ASSERT_GE(row, 0) << bad;
        const auto* info = static_cast<const FileItemInfo*>(list->GetItemData(row));
        EXPECT_EQ(info->m_bError, 1);
        EXPECT_EQ(list->GetItemText(row, COL_TYPE), "Unknown");
        EXPECT_EQ(list->GetItemTextColor(row, COL_TYPE), QColor(255, 0, 0));
        EXPECT_EQ(list->GetItemBkColor(row, COL_NAME), kErrorBackground);
        for (int col : {COL_DURATION, COL_FREQUENCY, COL_CHANNEL})
            EXPECT_TRUE(list->GetItemText(row, col).isEmpty());
        EXPECT_FALSE(list->GetItemText(row, COL_MODIFIED).isEmpty());
    }
    EXPECT_EQ(static_cast<const FileItemInfo*>(list->GetItemData(rowOf("notes.txt")))->m_nFormat, 0);

    const int row = rowOf("Long Song.wma");
    const auto* info = static_cast<const FileItemInfo*>(list->GetItemData(row));
    EXPECT_EQ(info->m_bError, 0);
    EXPECT_EQ(info->m_nFormat, 3);
    EXPECT_EQ(list->GetItemText(row, COL_PATH), QDir::toNativeSeparators(m_dir.path()) + QDir::separator());
    EXPECT_EQ(list->GetItemText(row, COL_TYPE), "WMA");
    EXPECT_EQ(list->GetItemText(row, COL_SIZE), QString::asprintf("%.2f", QFileInfo(paths[0]).size() / 1048576.0));
    EXPECT_EQ(list->GetItemText(row, COL_DURATION), "00:03:25");
    EXPECT_EQ(list->GetItemText(row, COL_FREQUENCY), "44100 Hz");
    EXPECT_EQ(list->GetItemText(row, COL_CHANNEL), "2 (Stereo)");
    EXPECT_NEAR(info->m_dDuration, 205.5, 0.1);
    EXPECT_EQ(info->m_nTotalSamples, 2 * static_cast<uint64_t>(info->m_dDuration * 44100 + 0.5));
    EXPECT_NE(list->GetItemBkColor(row, COL_NAME), kErrorBackground);
    EXPECT_EQ(list->GetItemText(rowOf("mono.wma"), COL_CHANNEL), "1 (Mono)");
    EXPECT_TRUE(list->GetItemText(rowOf("short.wma"), COL_DURATION).isEmpty()) << "under a second";
    EXPECT_EQ(static_cast<const FileItemInfo*>(list->GetItemData(rowOf("short.wma")))->m_bError, 0);

    EXPECT_TRUE(dlg->m_wndStatusBar->GetText(0).startsWith("8 file(s)   "))
        << dlg->m_wndStatusBar->GetText(0).toStdString();
    EXPECT_TRUE(dlg->m_wndStatusBar->GetText(0).endsWith("   00:03:32"))
        << dlg->m_wndStatusBar->GetText(0).toStdString();
    EXPECT_EQ(dlg->m_wndStatusBar->GetTipText(0), dlg->m_wndStatusBar->GetText(0));
    EXPECT_EQ(dlg->m_wndStatusBar->GetText(1), " No file selected");
    EXPECT_EQ(dlg->m_wndStatusBar->GetTipText(1), "No file selected");
    EXPECT_EQ(dlg->windowTitle(), "Marlune");
    EXPECT_EQ(list->GetHeaderImage(COL_NAME), 1);
    EXPECT_FALSE(dlg->m_pProcessing->isVisible());
    dlg->Close();
}

// An unusable row tells why in its info tip; a file whose data holds no
// audio is one of them, before any conversion meets it.
TEST_F(FileLoading, UnusableRowsTellWhyInTheirInfoTip)
{
    QString error;
    const QString good = AudioFixtures::MakeWma(m_dir.path(), "good.wma", Tone(1.0, 44100, 2), {}, &error);
    const QString noAudio = AudioFixtures::MakeWma(m_dir.path(), "no-audio.wma", Tone(2.0, 44100, 2), {}, &error);
    ASSERT_FALSE(good.isEmpty() || noAudio.isEmpty()) << error.toStdString();
    ASSERT_TRUE(AudioFixtures::RemoveDataPackets(noAudio));
    const QString truncated = AudioFixtures::MakeWma(m_dir.path(), "cut.wma", Tone(2.0, 44100, 2), {}, &error);
    ASSERT_TRUE(AudioFixtures::TruncateFile(truncated, 0.02));
    QFile text(Path("text.wma"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not audio at all\n");
    text.close();
    QFile notes(Path("notes.txt"));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.close();

    auto dlg = StartMainWindow();
    ASSERT_TRUE(dlg);
    ASSERT_TRUE(LoadFiles(*dlg, m_seam, {good, noAudio, truncated, text.fileName(), notes.fileName()}));
    CReportCtrl* list = dlg->m_lstFiles;
    const QStringList names = ColumnTexts(*dlg, COL_NAME);
    struct Case
    {
        const char* name;
        const char* reason; // empty: usable
    };
    for (const Case& c : {Case{"good.wma", ""}, Case{"no-audio.wma", "The file holds no audio data"},
                          Case{"cut.wma", "The file is damaged or truncated"},
                          Case{"text.wma", "The file is not a Windows Media file"},
                          Case{"notes.txt", "Not a WMA file: only .wma files are converted"}}) {
        const int row = static_cast<int>(names.indexOf(QLatin1String(c.name)));
        ASSERT_GE(row, 0) << c.name;
        const auto* info = static_cast<const FileItemInfo*>(list->GetItemData(row));
        EXPECT_EQ(info->m_bError, *c.reason ? 1 : 0) << c.name;
        EXPECT_EQ(info->m_strError, QLatin1String(c.reason)) << c.name;
        EXPECT_EQ(list->GetItemInfoTip(row), QLatin1String(c.reason)) << c.name;
        EXPECT_EQ(list->model()->index(row, COL_SIZE).data(Qt::ToolTipRole).toString(), QLatin1String(c.reason))
            << c.name;
        EXPECT_EQ(list->GetItemText(row, COL_TYPE), *c.reason ? QStringLiteral("Unknown") : QStringLiteral("WMA"))
            << c.name;
    }
    dlg->Close();
}

TEST_F(FileLoading, CancellingTheFileDialogChangesNothing)
{
    auto dlg = StartMainWindow();
    ASSERT_TRUE(dlg);
    const QString pane0 = dlg->m_wndStatusBar->GetText(0);
    dlg->OnAddFiles();
    EXPECT_FALSE(dlg->IsLoaderRunning());
    EXPECT_EQ(dlg->windowTitle(), "Marlune");
    EXPECT_EQ(dlg->m_wndStatusBar->GetText(0), pane0);
    EXPECT_LE(dlg->m_lstFiles->GetHeaderImage(COL_NAME), 0);
    EXPECT_EQ(m_seam.fileDialogFilters, QStringList{"Wma File (*.wma)"});
    EXPECT_EQ(m_seam.fileDialogSuffixes, QStringList{"wma"});
    dlg->Close();
}

TEST_F(FileLoading, CancelStopsAfterTheCurrentFileAndKeepsTheRowsSorted)
{
    QStringList paths = ManyCopies(400);
    std::reverse(paths.begin(), paths.end());
    auto dlg = StartMainWindow();
    ASSERT_TRUE(dlg);
    m_seam.openFileAnswers.append(paths);
    dlg->OnAddFiles();
    EXPECT_EQ(dlg->windowTitle(), "Loading files, this may takes up to minutes, please wait...");
    ASSERT_TRUE(WaitUntil([&] { return dlg->m_nFileCount >= 3; }));
    auto* cancel = qobject_cast<QPushButton*>(GetDlgItem(dlg->m_pProcessing, 3));
    ASSERT_NE(cancel, nullptr);
    cancel->click();
    ASSERT_TRUE(WaitForLoad(*dlg));
    const int nRows = dlg->m_lstFiles->GetItemCount();
    EXPECT_GE(nRows, 3);
    EXPECT_LE(nRows, 5) << "stopped after the file being added";
    EXPECT_EQ(dlg->m_nFileCount, nRows);
    EXPECT_TRUE(IsSortedByName(ColumnTexts(*dlg, COL_NAME)));
    EXPECT_EQ(g_bListBusy.load(), 0) << "the final sort clears it";
    EXPECT_FALSE(dlg->m_pProcessing->isVisible());
    EXPECT_EQ(dlg->windowTitle(), "Marlune");
    dlg->Close();
}

TEST_F(FileLoading, EveryChosenFileGetsARow)
{
    // More than the 2048 paths a fixed selection buffer would hold.
    const QStringList paths = ManyCopies(3000);
    auto dlg = StartMainWindow();
    ASSERT_TRUE(dlg);
    m_seam.openFileAnswers.append(paths);
    dlg->OnAddFiles();
    ASSERT_TRUE(WaitForLoad(*dlg, 600000));
    EXPECT_EQ(dlg->m_lstFiles->GetItemCount(), 3000);
    EXPECT_EQ(dlg->m_nFileCount, 3000);
    dlg->Close();
}

TEST_F(FileLoading, ProgressWindowAppearsOnlyAfterHalfASecond)
{
    const QStringList paths = ManyCopies(30);
    auto dlg = StartMainWindow();
    ASSERT_TRUE(dlg);
    m_seam.openFileAnswers.append(paths);
    dlg->OnAddFiles();
    EXPECT_FALSE(dlg->m_pProcessing->isVisible());
    EXPECT_TRUE(dlg->m_pProcessing->IsShowTimerRunning());
    ASSERT_TRUE(WaitForLoad(*dlg));
    EXPECT_FALSE(dlg->m_pProcessing->IsShowTimerRunning());
    EXPECT_FALSE(dlg->m_pProcessing->isVisible());
    EXPECT_EQ(dlg->m_pProcessing->m_ctrlProgress->maximum(), 0) << "a marquee bar";
    dlg->Close();
}

// Records whether a loader was still running when the file dialog opened.
class LoaderCheckingInteraction : public ScriptedInteraction
{
public:
    QStringList GetOpenFileNames(QWidget* parent, const QString& caption, const QString& folder,
                                 const QString& filter, const QString& defaultSuffix) override
    {
        loaderRunningAtDialog.append(g_pMainDlg && g_pMainDlg->IsLoaderRunning());
        return ScriptedInteraction::GetOpenFileNames(parent, caption, folder, filter, defaultSuffix);
    }
    QList<bool> loaderRunningAtDialog;
};

TEST_F(FileLoading, SecondAddFilesStopsTheFirstLoadBeforeItsDialog)
{
    const QStringList paths = ManyCopies(400);
    LoaderCheckingInteraction seam;
    ScopedInteraction scoped(&seam);
    auto dlg = StartMainWindow();
    ASSERT_TRUE(dlg);
    seam.openFileAnswers.append(paths);
    dlg->OnAddFiles();
    ASSERT_TRUE(WaitUntil([&] { return dlg->m_nFileCount >= 3; }));
    seam.openFileAnswers.append(QStringList{paths.first()});
    dlg->OnAddFiles();
    ASSERT_TRUE(WaitForLoad(*dlg));
    EXPECT_EQ(seam.loaderRunningAtDialog, (QList<bool>{false, false}));
    const int nRows = dlg->m_lstFiles->GetItemCount();
    EXPECT_LE(nRows, 6);
    EXPECT_EQ(ColumnTexts(*dlg, COL_NAME).count("copy0000.wma"), 2) << "each addition is a row";
    EXPECT_EQ(dlg->m_nFileCount, nRows);
    dlg->Close();
}

TEST_F(FileLoading, HeaderSortDuringALoadNeverFillsAnotherRow)
{
    const QStringList paths = ManyCopies(60);
    auto dlg = StartMainWindow();
    ASSERT_TRUE(dlg);
    m_seam.openFileAnswers.append(paths);
    dlg->OnAddFiles();
    ASSERT_TRUE(WaitUntil([&] { return dlg->m_nFileCount >= 5; }));
    dlg->m_lstFiles->OnColumnClick(COL_NAME); // Name descending
    ASSERT_TRUE(WaitForLoad(*dlg));
    ASSERT_EQ(dlg->m_lstFiles->GetItemCount(), 60);
    for (int i = 0; i < 60; ++i) {
        const auto* info = static_cast<const FileItemInfo*>(dlg->m_lstFiles->GetItemData(i));
        EXPECT_EQ(info->m_bError, 0) << i;
        EXPECT_EQ(dlg->m_lstFiles->GetItemText(i, COL_TYPE), "WMA") << i;
        EXPECT_FALSE(dlg->m_lstFiles->GetItemText(i, COL_NAME).isEmpty()) << i;
    }
    QStringList names = ColumnTexts(*dlg, COL_NAME);
    std::reverse(names.begin(), names.end());
    EXPECT_TRUE(IsSortedByName(names));
    dlg->Close();
}

TEST_F(FileLoading, CloseDuringALoadStopsTheLoaderFirst)
{
    const QStringList paths = ManyCopies(200);
    auto dlg = StartMainWindow();
    ASSERT_TRUE(dlg);
    m_seam.openFileAnswers.append(paths);
    dlg->OnAddFiles();
    ASSERT_TRUE(WaitUntil([&] { return dlg->m_nFileCount >= 3; }));
    dlg->Close();
    EXPECT_FALSE(dlg->IsLoaderRunning());
    EXPECT_EQ(dlg->ExitCode(), 0);
    EXPECT_LT(dlg->m_nFileCount, 200);
}

} // namespace
