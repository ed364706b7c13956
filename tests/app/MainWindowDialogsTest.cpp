#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include "AboutDlg.h"
#include "AppCommands.h"
#include "AppSettings.h"
#include "AudioFixtures.h"
#include "ConvJob.h"
#include "ConvProg.h"
#include "ConvProgTemplate.h"
#include "DialogBuilder.h"
#include "HyperLink.h"
#include "MainWindowTestSupport.h"
#include "Option.h"
#include "ReportCtrl.h"
#include "SettingsStore.h"
#include "StatusBar.h"
#include "ZARVDlg.h"

using namespace MainWindowTest;

namespace {

const QString kDefaultSummary = QStringLiteral("  MP3:  CBR 128 kbps; Automatic Frequency; Automatic Channel;");

void Click(QWidget* dialog, int nID)
{
    QTest::mouseClick(GetDlgItem(dialog, nID), Qt::LeftButton);
}

class MainWindowDialogs : public testing::Test
{
protected:
    void SetUp() override
    {
        ClearProfile();
        AppSettings = CAppSettings{};
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

    QString Summary() const { return m_dlg->m_wndStatusBar->GetText(2); }

    // Runs the Options command; fnInDialog works the open dialog and ends it.
    void RunOptions(const std::function<void(COption&)>& fnInDialog)
    {
        int nRuns = 0;
        m_seam.dialogHandler = [&](QDialog* dialog) {
            auto* option = dynamic_cast<COption*>(dialog);
            EXPECT_NE(option, nullptr);
            if (!option)
                return int(QDialog::Rejected);
            ++nRuns;
            fnInDialog(*option);
            return option->result();
        };
        m_dlg->OnCommand(ID_OPTIONS);
        EXPECT_EQ(nRuns, 1);
    }

    QTemporaryDir m_dir;
    ScriptedInteraction m_seam;
    ScopedInteraction m_scoped{&m_seam};
    std::unique_ptr<CZARVDlg> m_dlg;
};

} // namespace

TEST_F(MainWindowDialogs, OptionsOkStoresAndRefreshesTheSummary)
{
    ASSERT_EQ(Summary(), kDefaultSummary);
    const QString folder = QDir::toNativeSeparators(m_dir.filePath(QStringLiteral("out")));
    m_seam.folderAnswers.append(folder);
    RunOptions([&](COption& option) {
        Click(&option, COption::IDC_BROWSE);
        option.m_cmbFreq->setCurrentIndex(8);
        option.m_cmbChannel->setCurrentIndex(1);
        option.m_cmbBits->setCurrentIndex(16);
        Click(&option, IDOK);
    });
    EXPECT_EQ(AppSettings.DesDir, folder + QDir::separator());
    EXPECT_EQ(Summary(), QStringLiteral("  MP3:  CBR 320 kbps; 44100 Hz; Mono;"));
    EXPECT_EQ(m_dlg->m_wndStatusBar->GetTipText(2), Summary());

    // They survive a restart of the application through Config.ini.
    m_dlg->Close();
    m_dlg.reset();
    AppSettings = CAppSettings{};
    m_dlg = StartMainWindow();
    ASSERT_TRUE(m_dlg);
    EXPECT_EQ(AppSettings.DesDir, folder + QDir::separator());
    EXPECT_EQ(AppSettings.Freq, 8);
    EXPECT_EQ(AppSettings.LameChannel, 1);
    EXPECT_EQ(AppSettings.LameBits, 16);
    EXPECT_EQ(Summary(), QStringLiteral("  MP3:  CBR 320 kbps; 44100 Hz; Mono;"));
}

TEST_F(MainWindowDialogs, OptionsCancelLeavesTheSummary)
{
    RunOptions([&](COption& option) {
        option.m_cmbFreq->setCurrentIndex(3);
        option.m_cmbBits->setCurrentIndex(0);
        Click(&option, IDCANCEL);
    });
    EXPECT_EQ(Summary(), kDefaultSummary);
}

TEST_F(MainWindowDialogs, ResetThenCancelShowsTheDefaults)
{
    AppSettings.Freq = 1;
    AppSettings.LameChannel = 2;
    AppSettings.LameBits = 0;
    ASSERT_TRUE(SaveSettings());
    m_dlg->ShowOutputSummary();
    ASSERT_EQ(Summary(), QStringLiteral("  MP3:  CBR   8 kbps;  8000 Hz; Stereo;"));

    QString strWhileOpen;
    m_seam.boxAnswers.append(IDYES);
    RunOptions([&](COption& option) {
        Click(&option, COption::IDC_RESET);
        strWhileOpen = Summary();
        Click(&option, IDCANCEL);
    });
    EXPECT_EQ(strWhileOpen, kDefaultSummary);
    EXPECT_EQ(Summary(), kDefaultSummary);
    EXPECT_FALSE(QFileInfo::exists(SettingsFilePath()));
    EXPECT_EQ(AppSettings.LameBits, DEFAULT_LAME_BITS);
}

TEST_F(MainWindowDialogs, AboutFromToolbarButtonFourAndTheSystemMenuCommand)
{
    QStringList arrLinks;
    m_seam.dialogHandler = [&](QDialog* dialog) {
        auto* about = dynamic_cast<CAboutDlg*>(dialog);
        EXPECT_NE(about, nullptr);
        if (!about)
            return int(QDialog::Rejected);
        about->show();
        QTest::mouseClick(about->m_lnkHomePage, Qt::LeftButton);
        EXPECT_TRUE(about->isVisible());
        Click(about, IDOK);
        return about->result();
    };
    const QList<QAction*> actions = m_dlg->m_wndToolBar->actions();
    ASSERT_EQ(actions.size(), 4);
    actions[3]->trigger();
    m_dlg->OnCommand(ID_ABOUTBOX);
    EXPECT_EQ(m_seam.dialogsRun, 2);
    EXPECT_EQ(m_seam.openedItems, QStringList(2, QStringLiteral("https://marlune.quorvane.com/")));
}

// Screenshots for the README: the main window with files, the Options
// dialog and the progress window at the end of a job, written as PNG files
// into $MARLUNE_LOOK_DIR (a temporary folder without it).
TEST_F(MainWindowDialogs, Look)
{
    const QByteArray lookDir = qgetenv("MARLUNE_LOOK_DIR");
    const QString outDir = lookDir.isEmpty() ? m_dir.filePath(QStringLiteral("look")) : QString::fromLocal8Bit(lookDir);
    QDir().mkpath(outDir);

    QStringList arrSources;
    const struct
    {
        const char* name;
        double seconds;
        int rate;
        int channels;
    } files[] = {{"Morning Raga.wma", 4.0, 44100, 2}, {"Harbour Bells.wma", 2.5, 22050, 1},
                 {"Night Train.wma", 3.0, 48000, 2}};
    const QString musicDir = m_dir.filePath(QStringLiteral("Music"));
    QDir().mkpath(musicDir);
    for (const auto& f : files) {
        AudioFixtures::Signal signal;
        signal.seconds = f.seconds;
        signal.sampleRate = f.rate;
        signal.channels = f.channels;
        QString error;
        const QString path = AudioFixtures::MakeWma(musicDir, QString::fromUtf8(f.name), signal, {}, &error);
        ASSERT_FALSE(path.isEmpty()) << error.toStdString();
        arrSources.append(path);
    }
    m_dlg->showNormal();
    m_dlg->resize(1100, 420);
    AppSettings.DesDir = QDir::toNativeSeparators(m_dir.filePath(QStringLiteral("MP3"))) + QDir::separator();
    ASSERT_TRUE(LoadFiles(*m_dlg, m_seam, arrSources));
    m_dlg->m_lstFiles->SetItemStates(0, ROW_SELECTED);
    m_dlg->m_lstFiles->SetItemStates(1, ROW_SELECTED);
    WaitUntil([&] { return !m_dlg->IsTimerRunning(TIMER_STATUS); });
    QTest::qWait(50);
    EXPECT_TRUE(m_dlg->grab().save(outDir + QStringLiteral("/mainwindow-files.png")));

    RunOptions([&](COption& option) {
        option.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&option));
        EXPECT_TRUE(option.grab().save(outDir + QStringLiteral("/options.png")));
        Click(&option, IDCANCEL);
    });

    m_seam.dialogHandler = [&](QDialog* dialog) {
        auto* prog = dynamic_cast<CConvProg*>(dialog);
        if (!prog)
            return int(QDialog::Rejected);
        prog->show();
        EXPECT_TRUE(WaitUntil([&] { return prog->windowTitle() == QStringLiteral("Finished Converting"); }, 60000));
        QTest::qWait(50);
        EXPECT_TRUE(prog->grab().save(outDir + QStringLiteral("/progress-finished.png")));
        Click(prog, IDC_PROG_CANCEL);
        return prog->result();
    };
    m_dlg->OnCommand(ID_CONVERT_LIST);
    WaitForJobsToEnd();

    CAboutDlg about(m_dlg.get());
    about.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&about));
    EXPECT_TRUE(about.grab().save(outDir + QStringLiteral("/about.png")));
}
