#include <vector>

#include <QAbstractButton>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "AppCommands.h"
#include "AppSettings.h"
#include "AudioFixtures.h"
#include "ConvJob.h"
#include "ConvProg.h"
#include "ConvProgTemplate.h"
#include "ListRows.h"
#include "MainWindowTestSupport.h"
#include "Mp3Inspection.h"
#include "UiGlobals.h"

using namespace MainWindowTest;

namespace {

// Records the job of every progress window instead of running it.
class ConversionStart : public testing::Test
{
protected:
    void SetUp() override
    {
        ClearProfile();
        ASSERT_TRUE(m_dir.isValid());
        m_dlg = StartMainWindow();
        ASSERT_TRUE(m_dlg);
        AppSettings.DesDir = QDir::toNativeSeparators(m_dir.filePath(QStringLiteral("Out"))) + QDir::separator();
        m_seam.dialogHandler = [this](QDialog* dialog) {
            if (auto* prog = dynamic_cast<CConvProg*>(dialog)) {
                m_arrJobs.push_back(prog->Job()->m_arrTasks);
                m_arrTotals.push_back(prog->Job()->m_nSamplesTotal);
            }
            return int(QDialog::Rejected);
        };
    }
    void TearDown() override
    {
        if (m_dlg)
            m_dlg->Close();
        g_bListBusy = 0;
        ClearProfile();
    }

    RowSpec Row(const QString& name) const
    {
        RowSpec spec;
        spec.strName = name;
        spec.strFolder = QStringLiteral("D:/In/");
        return spec;
    }

    void Select(std::initializer_list<int> rows)
    {
        m_dlg->m_lstFiles->SetAllItemStates(ROW_ALL, ROW_UNSELECTED);
        for (int nRow : rows)
            m_dlg->m_lstFiles->SetItemStates(nRow, ROW_SELECTED);
    }

    const CConversionTask& OnlyTask() const
    {
        EXPECT_EQ(m_arrJobs.size(), 1u);
        EXPECT_EQ(m_arrJobs.back().size(), 1u);
        return m_arrJobs.back().front();
    }

    QTemporaryDir m_dir;
    ScriptedInteraction m_seam;
    ScopedInteraction m_scoped{&m_seam};
    std::unique_ptr<CZARVDlg> m_dlg;
    std::vector<std::vector<CConversionTask>> m_arrJobs;
    std::vector<uint64_t> m_arrTotals;
};

} // namespace

TEST_F(ConversionStart, NoUsableRowOpensNoWindow)
{
    m_dlg->OnCommand(ID_CONVERT_LIST);
    m_dlg->OnCommand(ID_CONVERT_SELECTED);
    m_dlg->OnListDblClk();

    RowSpec bad = Row(QStringLiteral("broken.wma"));
    bad.bError = true;
    AddRow(*m_dlg, bad);
    AddRow(*m_dlg, bad);
    m_dlg->OnCommand(ID_CONVERT_SELECTED); // no selection
    Select({0, 1});
    m_dlg->OnCommand(ID_CONVERT_SELECTED);
    m_dlg->OnCommand(ID_CONVERT_LIST);
    EXPECT_EQ(m_seam.dialogsRun, 0);
    EXPECT_TRUE(m_arrJobs.empty());
}

TEST_F(ConversionStart, SourceAndDestinationNames)
{
    AddRow(*m_dlg, Row(QStringLiteral("Song.WMA")));
    AddRow(*m_dlg, Row(QStringLiteral("a.b.wma")));
    m_dlg->OnCommand(ID_CONVERT_LIST);
    ASSERT_EQ(m_arrJobs.size(), 1u);
    ASSERT_EQ(m_arrJobs[0].size(), 2u);
    EXPECT_EQ(m_arrJobs[0][0].m_strSource, QStringLiteral("D:/In/Song.WMA"));
    EXPECT_EQ(m_arrJobs[0][0].m_strDest, AppSettings.DesDir + QStringLiteral("Song.mp3"));
    EXPECT_EQ(m_arrJobs[0][1].m_strDest, AppSettings.DesDir + QStringLiteral("a.b.mp3"));
    EXPECT_EQ(m_arrJobs[0][0].m_nDestFormat, FORMAT_MP3);
    EXPECT_EQ(m_arrJobs[0][0].m_nSourceFormat, FORMAT_WMA);
    // The output folder is made before the job starts.
    EXPECT_TRUE(QFileInfo(AppSettings.DesDir).isDir());
}

TEST_F(ConversionStart, OutputFormatOfEachTask)
{
    struct Case
    {
        uint32_t nRate;
        uint32_t nChannels;
        uint64_t nSamples;
        int16_t nFreq;
        int16_t nLameChannel;
        int nDestRate;
        int nDestChannels;
        double dRatio;
        uint64_t nDestSamples;
    };
    const Case cases[] = {
        {48000, 2, 1000000, 0, 0, 44100, 2, 0.91875, 918750},
        {11025, 1, 1000, 1, 2, 8000, 2, 16000.0 / 11025.0, 1450},
        {22050, 1, 22050, 0, 0, 22050, 1, 1.0, 22050},
        {44100, 6, 600, 0, 0, 44100, 2, 2.0 / 6.0, 200},
        {16000, 2, 3200, 0, 0, 16000, 2, 1.0, 3200},
    };
    for (const Case& c : cases) {
        m_dlg->OnCommand(ID_REMOVE_ALL);
        m_arrJobs.clear();
        m_arrTotals.clear();
        AppSettings.Freq = c.nFreq;
        AppSettings.LameChannel = c.nLameChannel;
        RowSpec spec = Row(QStringLiteral("x.wma"));
        spec.nSampleRate = c.nRate;
        spec.nChannels = c.nChannels;
        spec.nTotalSamples = c.nSamples;
        AddRow(*m_dlg, spec);
        m_dlg->OnCommand(ID_CONVERT_LIST);
        const CConversionTask& task = OnlyTask();
        EXPECT_EQ(task.m_nSourceRate, int(c.nRate));
        EXPECT_EQ(task.m_nSourceChannels, int(c.nChannels));
        EXPECT_EQ(task.m_nDestRate, c.nDestRate) << c.nRate;
        EXPECT_EQ(task.m_nDestChannels, c.nDestChannels) << c.nChannels;
        EXPECT_DOUBLE_EQ(task.m_dRatio, c.dRatio);
        EXPECT_EQ(task.m_nTotalSamples, c.nDestSamples);
        EXPECT_EQ(m_arrTotals.back(), c.nDestSamples);
    }
}

TEST_F(ConversionStart, SelectedRowsInListOrder)
{
    AddRow(*m_dlg, Row(QStringLiteral("1.wma")));
    AddRow(*m_dlg, Row(QStringLiteral("2.wma")));
    AddRow(*m_dlg, Row(QStringLiteral("3.wma")));
    Select({2, 0});
    m_dlg->OnCommand(ID_CONVERT_SELECTED);
    ASSERT_EQ(m_arrJobs.size(), 1u);
    ASSERT_EQ(m_arrJobs[0].size(), 2u);
    EXPECT_EQ(m_arrJobs[0][0].m_strSource, QStringLiteral("D:/In/1.wma"));
    EXPECT_EQ(m_arrJobs[0][1].m_strSource, QStringLiteral("D:/In/3.wma"));
    EXPECT_EQ(m_arrTotals[0], 2 * 88200u);

    // A double-click converts the selection too, also on empty space below
    // the rows; the whole list takes all rows.
    CReportCtrl& list = *m_dlg->m_lstFiles;
    list.resize(400, 300);
    const QPoint belowRows(5, list.visualRect(list.model()->index(2, 0)).bottom() + 20);
    ASSERT_FALSE(list.indexAt(belowRows).isValid());
    ASSERT_LT(belowRows.y(), list.viewport()->height());
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, belowRows);
    m_dlg->OnCommand(ID_CONVERT_LIST);
    ASSERT_EQ(m_arrJobs.size(), 3u);
    EXPECT_EQ(m_arrJobs[1].size(), 2u);
    EXPECT_EQ(m_arrJobs[2].size(), 3u);

    // The list is left as it was.
    EXPECT_EQ(m_dlg->m_lstFiles->GetItemCount(), 3);
    EXPECT_EQ(m_dlg->m_lstFiles->CountItems(ROW_SELECTED), 2);
    EXPECT_TRUE(m_dlg->m_lstFiles->GetItemStates(0) & ROW_SELECTED);
    EXPECT_TRUE(m_dlg->m_lstFiles->GetItemStates(2) & ROW_SELECTED);
    EXPECT_EQ(m_dlg->m_nFileCount, 3);
}

TEST_F(ConversionStart, NothingStartsWhileLoadingSortingOrClosing)
{
    AddRow(*m_dlg, Row(QStringLiteral("1.wma")));
    Select({0});
    const auto tryAll = [this] {
        m_dlg->OnCommand(ID_CONVERT_LIST);
        m_dlg->OnCommand(ID_CONVERT_SELECTED);
        m_dlg->OnListDblClk();
    };
    m_dlg->m_bLoading = 1;
    tryAll();
    m_dlg->m_bLoading = 0;
    g_bListBusy = 1;
    tryAll();
    g_bListBusy = 0;
    EXPECT_EQ(m_seam.dialogsRun, 0);
    tryAll();
    EXPECT_EQ(m_seam.dialogsRun, 3);
}

// The whole road: three files through the file dialog, F3, the progress
// window to its end, and a second run that finds the first outputs.
TEST(ConversionEndToEnd, ThreeFilesTwiceWithoutOverwriting)
{
    ClearProfile();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ScriptedInteraction seam;
    ScopedInteraction scoped(&seam);

    QStringList arrSources;
    for (const QString& name : {QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")}) {
        AudioFixtures::Signal signal;
        signal.seconds = 1.5;
        signal.toneHz = {440.0, 660.0};
        QString error;
        const QString path = AudioFixtures::MakeWma(dir.path(), name + QStringLiteral(".wma"), signal, {}, &error);
        ASSERT_FALSE(path.isEmpty()) << error.toStdString();
        arrSources.append(path);
    }

    std::unique_ptr<CZARVDlg> dlg = StartMainWindow();
    ASSERT_TRUE(dlg);
    const QString outDir = dir.filePath(QStringLiteral("out"));
    AppSettings.DesDir = QDir::toNativeSeparators(outDir) + QDir::separator();
    ASSERT_TRUE(LoadFiles(*dlg, seam, arrSources));
    ASSERT_EQ(dlg->m_lstFiles->GetItemCount(), 3);

    QStringList titles;
    seam.dialogHandler = [&](QDialog* dialog) {
        auto* prog = dynamic_cast<CConvProg*>(dialog);
        if (!prog)
            return int(QDialog::Rejected);
        prog->show();
        const bool bFinished = WaitUntil(
            [&] { return prog->windowTitle() == QStringLiteral("Finished Converting"); }, 120000);
        titles.append(prog->windowTitle());
        EXPECT_TRUE(bFinished);
        if (auto* finish = qobject_cast<QAbstractButton*>(prog->GetDlgItem(IDC_PROG_CANCEL))) {
            EXPECT_EQ(finish->text(), QStringLiteral("Finish"));
            QTest::mouseClick(finish, Qt::LeftButton);
        }
        EXPECT_TRUE(WaitUntil([&] { return !prog->isVisible(); }));
        return prog->result();
    };

    dlg->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    dlg->m_lstFiles->setFocus();
    QTest::keyClick(dlg->m_lstFiles, Qt::Key_F3);
    ASSERT_EQ(titles, QStringList{QStringLiteral("Finished Converting")});

    QHash<QString, QByteArray> firstOutputs;
    for (const QString& name : {QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")}) {
        const QString mp3 = outDir + QStringLiteral("/%1.mp3").arg(name);
        QFile file(mp3);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << mp3.toStdString();
        const QByteArray data = file.readAll();
        bool bComplete = false;
        EXPECT_FALSE(Mp3Inspection::ParseFrames(data, &bComplete).empty());
        EXPECT_TRUE(bComplete);
        const auto decoded = Mp3Inspection::Decode(mp3);
        ASSERT_TRUE(decoded.has_value());
        EXPECT_NEAR(double(decoded->Frames()) / decoded->sampleRate, 1.5, 0.1);
        firstOutputs.insert(mp3, data);
    }

    // The offscreen platform gives the activation back to no window when the
    // progress window closes.
    dlg->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    dlg->m_lstFiles->setFocus();
    QTest::keyClick(dlg->m_lstFiles, Qt::Key_F3);
    ASSERT_EQ(titles.size(), 2);
    for (const QString& name : {QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")}) {
        const QString second = outDir + QStringLiteral("/%1 (2).mp3").arg(name);
        EXPECT_TRUE(Mp3Inspection::Decode(second).has_value()) << second.toStdString();
    }
    for (auto it = firstOutputs.cbegin(); it != firstOutputs.cend(); ++it) {
        QFile file(it.key());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), it.value()) << it.key().toStdString();
    }
    EXPECT_EQ(dlg->m_lstFiles->GetItemCount(), 3);
    dlg->Close();
    WaitForJobsToEnd();
    ClearProfile();
}
