#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "AboutDlg.h"
#include "DialogBuilder.h"
#include "HyperLink.h"
#include "ScriptedInteraction.h"

namespace {

class AboutDlgTest : public testing::Test
{
protected:
    ScriptedInteraction seam;
    ScopedInteraction scope{&seam};
};

} // namespace

TEST_F(AboutDlgTest, ShowsTheHomePageWithoutACloseButton)
{
    CAboutDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("About Marlune"));
    EXPECT_EQ(dlg.m_lnkHomePage->text(), QStringLiteral("marlune.quorvane.com"));
    EXPECT_EQ(dlg.m_lnkHomePage->toolTip(), QStringLiteral("https://marlune.quorvane.com/"));
    // The link fits inside the box.
    EXPECT_LE(dlg.m_lnkHomePage->geometry().right(), dlg.width());
    EXPECT_EQ(dlg.m_lnkHomePage->LinkTarget(), QStringLiteral("https://marlune.quorvane.com/"));
    EXPECT_FALSE(dlg.windowFlags() & Qt::WindowCloseButtonHint);
}

TEST_F(AboutDlgTest, LinkOpensThroughTheShellAndTheBoxStays)
{
    CAboutDlg dlg;
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    QSignalSpy finished(&dlg, &QDialog::finished);

    QTest::mouseClick(dlg.m_lnkHomePage, Qt::LeftButton);
    EXPECT_EQ(seam.openedItems, QStringList{QStringLiteral("https://marlune.quorvane.com/")});
    EXPECT_TRUE(seam.boxes.isEmpty());
    EXPECT_TRUE(dlg.m_lnkHomePage->IsVisited());
    EXPECT_EQ(finished.count(), 0);

    QTest::mouseClick(qobject_cast<QWidget*>(GetDlgItem(&dlg, IDOK)), Qt::LeftButton);
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.at(0).at(0).toInt(), QDialog::Accepted);
}

TEST_F(AboutDlgTest, FailedOpenIsExplained)
{
    seam.openSucceeds = false;
    CAboutDlg dlg;
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    QTest::mouseClick(dlg.m_lnkHomePage, Qt::LeftButton);
    ASSERT_EQ(seam.boxes.size(), 1);
    EXPECT_EQ(seam.boxes.last().text,
              QStringLiteral("Unable to open hyperlink:\n\n"
                             "There is no application associated\nwith the given filename extension."));
    EXPECT_EQ(seam.boxes.last().type, MB_ICONWARNING | MB_OK);
    EXPECT_FALSE(dlg.m_lnkHomePage->IsVisited());
}
