#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "AppSettings.h"
#include "DialogBuilder.h"
#include "Option.h"
#include "ScriptedInteraction.h"
#include "SettingsStore.h"

namespace {

void Click(QDialog& dialog, int nID)
{
    auto* button = qobject_cast<QPushButton*>(GetDlgItem(&dialog, nID));
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
}

class OptionTest : public testing::Test
{
protected:
    void SetUp() override
    {
        QFile::remove(QDir(QDir::homePath()).filePath(QStringLiteral(".config/Marlune/Config.ini")));
        OpenSettingsStore();
    }

    ScriptedInteraction seam;
    ScopedInteraction scope{&seam};
};

} // namespace

TEST_F(OptionTest, TemplateAndDefaultsShown)
{
    int nResets = 0;
    COption dlg([&] { ++nResets; });
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Options"));
    EXPECT_FALSE(dlg.m_edtDesDir->isEnabled());
    EXPECT_TRUE(GetDlgItem(&dlg, COption::IDC_BROWSE)->isEnabled());

    EXPECT_EQ(dlg.m_edtDesDir->text(), DefaultOutputFolder());
    EXPECT_TRUE(dlg.m_edtDesDir->text().endsWith(QDir::separator()));
    EXPECT_TRUE(dlg.m_edtDesDir->text().contains(QStringLiteral("Music")));

    ASSERT_EQ(dlg.m_cmbFreq->count(), 9);
    ASSERT_EQ(dlg.m_cmbChannel->count(), 3);
    ASSERT_EQ(dlg.m_cmbBits->count(), 17);
    EXPECT_EQ(dlg.m_cmbFreq->currentText(), QStringLiteral(" Automatic (Fastest & Optimal Way, Recommended)"));
    EXPECT_EQ(dlg.m_cmbChannel->currentText(), QStringLiteral(" Automatic (Fastest & Optimal Way, Recommended)"));
    EXPECT_EQ(dlg.m_cmbBits->currentText(), QStringLiteral(" 128 kbits per second"));

    // Every entry's number is the table entry at its position.
    for (int i = 1; i < dlg.m_cmbFreq->count(); ++i)
        EXPECT_EQ(dlg.m_cmbFreq->itemText(i).trimmed(), QStringLiteral("%1 Hertz").arg(FrequencyTable[size_t(i)]));
    EXPECT_EQ(dlg.m_cmbFreq->itemText(1), QStringLiteral("   8000 Hertz"));
    EXPECT_EQ(dlg.m_cmbFreq->itemText(2), QStringLiteral(" 11025 Hertz"));
    for (int i = 0; i < dlg.m_cmbBits->count(); ++i)
        EXPECT_EQ(dlg.m_cmbBits->itemText(i),
                  QStringLiteral("%1 kbits per second").arg(BitrateTable[size_t(i)], 4));
    EXPECT_EQ(dlg.m_cmbChannel->itemText(1), QStringLiteral(" Mono"));
    EXPECT_EQ(dlg.m_cmbChannel->itemText(2), QStringLiteral(" Stereo"));

    EXPECT_EQ(qobject_cast<QLabel*>(GetDlgItem(&dlg, COption::IDC_LABEL_FREQ))->text(),
              QStringLiteral("Sampling Frequency:"));
    EXPECT_EQ(dlg.m_stcChannel->text(), QStringLiteral("Channel Mode:"));
    EXPECT_EQ(dlg.m_stcBits->text(), QStringLiteral("Bits per Second:"));
    EXPECT_EQ(qobject_cast<QLabel*>(GetDlgItem(&dlg, COption::IDC_NOTE))->text(),
              QStringLiteral("NOTE: The Bitrate is Estimated  for Stereo 44100 Hz."));
    EXPECT_EQ(nResets, 0);
}

TEST_F(OptionTest, PickedFolderGetsTheSeparatorAtOk)
{
    QTemporaryDir chosen;
    ASSERT_TRUE(chosen.isValid());
    const QString folder = QDir::toNativeSeparators(chosen.path());
    const QString before = AppSettings.DesDir;

    COption dlg;
    QSignalSpy finished(&dlg, &QDialog::finished);
    seam.folderAnswers.append(folder);
    Click(dlg, COption::IDC_BROWSE);
    ASSERT_EQ(seam.folderCaptions, QStringList{QStringLiteral("Specify the Output Folder")});
    EXPECT_EQ(dlg.m_edtDesDir->text(), folder);
    EXPECT_EQ(AppSettings.DesDir, before); // not before OK

    // A cancelled picker leaves the edit as it was.
    Click(dlg, COption::IDC_BROWSE);
    EXPECT_EQ(dlg.m_edtDesDir->text(), folder);

    Click(dlg, IDOK);
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.at(0).at(0).toInt(), QDialog::Accepted);
    EXPECT_EQ(AppSettings.DesDir, folder + QDir::separator());
}

TEST_F(OptionTest, ChosenEntriesAreStoredByPosition)
{
    COption dlg;
    dlg.m_cmbFreq->setCurrentText(QStringLiteral(" 44100 Hertz"));
    dlg.m_cmbChannel->setCurrentText(QStringLiteral(" Mono"));
    dlg.m_cmbBits->setCurrentText(QStringLiteral(" 320 kbits per second"));
    Click(dlg, IDOK);
    EXPECT_EQ(AppSettings.Freq, 8);
    EXPECT_EQ(AppSettings.LameChannel, 1);
    EXPECT_EQ(AppSettings.LameBits, 16);

    // They survive a restart through the settings file.
    ASSERT_TRUE(SaveSettings());
    AppSettings = CAppSettings{};
    OpenSettingsStore();
    EXPECT_EQ(AppSettings.Freq, 8);
    EXPECT_EQ(AppSettings.LameChannel, 1);
    EXPECT_EQ(AppSettings.LameBits, 16);
}

TEST_F(OptionTest, CancelKeepsTheSettings)
{
    const CAppSettings before = AppSettings;
    COption dlg;
    QSignalSpy finished(&dlg, &QDialog::finished);
    dlg.m_cmbFreq->setCurrentIndex(3);
    dlg.m_cmbChannel->setCurrentIndex(2);
    dlg.m_cmbBits->setCurrentIndex(0);
    Click(dlg, IDCANCEL);
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.at(0).at(0).toInt(), QDialog::Rejected);
    EXPECT_EQ(AppSettings.DesDir, before.DesDir);
    EXPECT_EQ(AppSettings.Freq, before.Freq);
    EXPECT_EQ(AppSettings.LameChannel, before.LameChannel);
    EXPECT_EQ(AppSettings.LameBits, before.LameBits);
}

TEST_F(OptionTest, ResetStandsAfterCancel)
{
    AppSettings.Freq = 2;
    AppSettings.LameChannel = 2;
    AppSettings.LameBits = 0;
    AppSettings.DesDir = QStringLiteral("/somewhere/else/");
    ASSERT_TRUE(SaveSettings());
    ASSERT_TRUE(QFileInfo::exists(SettingsFilePath()));

    int nResets = 0;
    COption dlg([&] { ++nResets; });
    EXPECT_EQ(dlg.m_cmbBits->currentIndex(), 0);

    // Answered No: nothing happens.
    Click(dlg, COption::IDC_RESET);
    ASSERT_EQ(seam.boxes.size(), 1);
    EXPECT_EQ(seam.boxes.last().text, QStringLiteral("Reset ALL Options, Are You Sure?"));
    EXPECT_EQ(seam.boxes.last().type, MB_YESNO | MB_ICONWARNING);
    EXPECT_TRUE(QFileInfo::exists(SettingsFilePath()));
    EXPECT_EQ(nResets, 0);
    EXPECT_EQ(AppSettings.Freq, 2);

    seam.boxAnswers.append(IDYES);
    Click(dlg, COption::IDC_RESET);
    EXPECT_FALSE(QFileInfo::exists(SettingsFilePath()));
    EXPECT_EQ(nResets, 1);
    EXPECT_EQ(dlg.m_edtDesDir->text(), DefaultOutputFolder());
    EXPECT_EQ(dlg.m_cmbFreq->currentIndex(), 0);
    EXPECT_EQ(dlg.m_cmbChannel->currentIndex(), 0);
    EXPECT_EQ(dlg.m_cmbBits->currentText(), QStringLiteral(" 128 kbits per second"));

    Click(dlg, IDCANCEL);
    EXPECT_EQ(AppSettings.DesDir, DefaultOutputFolder());
    EXPECT_EQ(AppSettings.Freq, DEFAULT_FREQ);
    EXPECT_EQ(AppSettings.LameChannel, DEFAULT_LAME_CHANNEL);
    EXPECT_EQ(AppSettings.LameBits, DEFAULT_LAME_BITS);
}

TEST_F(OptionTest, EmptyFolderKeepsTheDialogOpen)
{
    AppSettings.DesDir.clear();
    COption dlg;
    QSignalSpy finished(&dlg, &QDialog::finished);
    Click(dlg, IDOK);
    ASSERT_EQ(seam.boxes.size(), 1);
    EXPECT_EQ(seam.boxes.last().text, QStringLiteral("Invalidate Output Folder!"));
    EXPECT_EQ(seam.boxes.last().type, MB_OK | MB_ICONERROR);
    EXPECT_EQ(finished.count(), 0);
    EXPECT_TRUE(AppSettings.DesDir.isEmpty());
}

TEST_F(OptionTest, ListsWithoutSelectionStoreNothingOutOfRange)
{
    AppSettings.Freq = 42;
    AppSettings.LameChannel = -1;
    AppSettings.LameBits = 17;
    COption dlg;
    EXPECT_EQ(dlg.m_cmbFreq->currentIndex(), -1);
    EXPECT_EQ(dlg.m_cmbChannel->currentIndex(), -1);
    EXPECT_EQ(dlg.m_cmbBits->currentIndex(), -1);
    Click(dlg, IDOK);
    EXPECT_EQ(AppSettings.Freq, DEFAULT_FREQ);
    EXPECT_EQ(AppSettings.LameChannel, DEFAULT_LAME_CHANNEL);
    EXPECT_EQ(AppSettings.LameBits, DEFAULT_LAME_BITS);
}
