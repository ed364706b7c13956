#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "DialogTemplate.h"
#include "ProfileStore.h"
#include "ResizeDlg.h"
#include "ScriptedInteraction.h"
#include "SizeGripExt.h"

namespace {

DialogTemplate ResizableTemplate()
{
    DialogTemplate dlg;
    dlg.nID = 901;
    dlg.cx = 200;
    dlg.cy = 150;
    dlg.nStyle = DLG_SYSMENU | DLG_RESIZABLE | DLG_MINIMIZEBOX | DLG_MAXIMIZEBOX;
    dlg.arrControls = {
        {1092, ControlKind::Label, QStringLiteral("Source"), 7, 4, 186, 10, 0},
        {1003, ControlKind::ListView, {}, 3, 20, 194, 100, CTL_BORDER},
        {2, ControlKind::PushButton, QStringLiteral("Cancel"), 76, 130, 48, 13, 0},
    };
    return dlg;
}

class AnchoredDlg : public CResizeDlg
{
public:
    AnchoredDlg()
        : CResizeDlg(ResizableTemplate())
    {
    }

    QList<UINT> received;

    LRESULT OnWindowMessage(UINT message, WPARAM, LPARAM, std::unique_ptr<MessagePayload>&) override
    {
        received.append(message);
        return 1;
    }

protected:
    bool OnInitDialog() override
    {
        CResizeDlg::OnInitDialog();
        AddAnchor(1092, 1, 1, 0, 0);
        AddAnchor(1003, 1, 1, 1, 1);
        AddAnchor(2, 3, 3, 2, 2);
        return true;
    }
};

class ResizeDlgTest : public testing::Test
{
protected:
    void SetUp() override
    {
        dlg.move(100, 100);
        dlg.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
        label = dlg.GetDlgItem(1092)->geometry();
        list = dlg.GetDlgItem(1003)->geometry();
        button = dlg.GetDlgItem(2)->geometry();
        client = dlg.size();
    }

    void ResizeTo(const QRect& geometry)
    {
        dlg.setGeometry(geometry);
        QTRY_COMPARE_WITH_TIMEOUT(dlg.geometry(), geometry, 5000);
    }

    QPoint GripCorner() const
    {
        const QRect grip = dlg.SizeGrip()->geometry();
        return grip.topLeft() + QPoint(grip.width(), grip.height());
    }

    AnchoredDlg dlg;
    QRect label;
    QRect list;
    QRect button;
    QSize client;
};

} // namespace

TEST_F(ResizeDlgTest, ControlsFollowTheDraggedEdgesTogether)
{
    ASSERT_EQ(dlg.Anchors().size(), 3u);
    const QRect start = dlg.geometry();
    ResizeTo(start.adjusted(0, 0, 100, 50));
    EXPECT_EQ(dlg.GetDlgItem(1003)->geometry(), list.adjusted(0, 0, 100, 50));
    EXPECT_EQ(dlg.GetDlgItem(1092)->geometry(), label.adjusted(0, 0, 100, 0));
    // The button's centre stays at the same fraction of the width and it
    // keeps its distance to the bottom edge.
    const double dFraction = (button.x() * 2.0 + button.width()) * 0.5 / client.width();
    const int nLeft = static_cast<int>((client.width() + 100) * dFraction - button.width() * 0.5);
    EXPECT_EQ(dlg.GetDlgItem(2)->geometry(), QRect(nLeft, button.y() + 50, button.width(), button.height()));
    EXPECT_EQ(GripCorner(), QPoint(dlg.width(), dlg.height()));

    // Shrinking back restores the registered rectangles.
    ResizeTo(start);
    EXPECT_EQ(dlg.GetDlgItem(1003)->geometry(), list);
    EXPECT_EQ(dlg.GetDlgItem(2)->geometry(), button);

    // Dragging the left edge: the list stretches by the same amount.
    ResizeTo(start.adjusted(-40, 0, 0, 0));
    EXPECT_EQ(dlg.GetDlgItem(1003)->geometry(), list.adjusted(0, 0, 40, 0));
}

TEST_F(ResizeDlgTest, ReRegisteringKeepsOneAnchorWithTheSecondCall)
{
    QWidget* control = dlg.GetDlgItem(1003);
    control->setGeometry(list.translated(5, 5));
    EXPECT_TRUE(dlg.AddAnchor(1003, 2, 2, 0, 0));
    EXPECT_FALSE(dlg.AddAnchor(4242, 1, 1, 1, 1));
    ASSERT_EQ(dlg.Anchors().size(), 3u);
    const AnchorInfo& anchor = dlg.Anchors()[1];
    EXPECT_EQ(anchor.nID, 1003);
    EXPECT_EQ(anchor.nModeLeft, 2u);
    EXPECT_EQ(anchor.nModeBottom, 0u);
    EXPECT_EQ(anchor.rcStored, WinRect::FromQRect(list.translated(5, 5)));
}

TEST_F(ResizeDlgTest, MinimiseChangesNothingAndRestoreCatchesUp)
{
    dlg.setWindowState(Qt::WindowMinimized);
    const QRect start = dlg.geometry();
    dlg.setGeometry(start.adjusted(0, 0, 60, 30));
    EXPECT_EQ(dlg.GetDlgItem(1003)->geometry(), list);
    dlg.setWindowState(Qt::WindowNoState);
    QTRY_COMPARE_WITH_TIMEOUT(dlg.GetDlgItem(1003)->geometry(), list.adjusted(0, 0, 60, 30), 5000);
}

TEST_F(ResizeDlgTest, GripHiddenWhileMaximisedAndBackAtTheNewCorner)
{
    ASSERT_NE(dlg.SizeGrip(), nullptr);
    EXPECT_TRUE(dlg.SizeGrip()->isVisible());
    dlg.showMaximized();
    QTRY_VERIFY_WITH_TIMEOUT(dlg.isMaximized() && dlg.size() != client, 5000);
    EXPECT_FALSE(dlg.SizeGrip()->isVisible());
    EXPECT_EQ(dlg.GetDlgItem(1003)->width(), list.width() + dlg.width() - client.width());

    dlg.showNormal();
    QTRY_VERIFY_WITH_TIMEOUT(!dlg.isMaximized() && dlg.size() == client, 5000);
    EXPECT_TRUE(dlg.SizeGrip()->isVisible());
    EXPECT_EQ(GripCorner(), QPoint(client.width(), client.height()));
    EXPECT_EQ(dlg.GetDlgItem(1003)->geometry(), list);
}

TEST_F(ResizeDlgTest, HiddenGripComesBackWithTheNextResize)
{
    dlg.HideSizeGrip();
    EXPECT_FALSE(dlg.SizeGrip()->isVisible());
    ResizeTo(dlg.geometry().adjusted(0, 0, 10, 10));
    EXPECT_TRUE(dlg.SizeGrip()->isVisible());
    // Triangular: the square's upper-left corner is not part of the grip.
    EXPECT_FALSE(dlg.SizeGrip()->mask().contains(QPoint(1, 1)));
}

TEST_F(ResizeDlgTest, EndingTheDialogClosesItsMessagesAndSavesItsPlacement)
{
    ScriptedInteraction seam;
    ScopedInteraction scope(&seam);
    const MessageTarget target = dlg.Target();
    EXPECT_EQ(target.SendMessage(WM_USER + 1), 1);
    dlg.m_strPlacementId = QStringLiteral("{resize-dlg-test}");
    dlg.reject();
    EXPECT_FALSE(target.IsOpen());
    EXPECT_EQ(target.SendMessage(WM_USER + 2), 0);
    EXPECT_FALSE(target.PostMessage(WM_USER + 3));
    EXPECT_EQ(dlg.received, QList<UINT>{WM_USER + 1});
    EXPECT_TRUE(seam.boxes.isEmpty());
    EXPECT_EQ(ProfileStore::GetProfileBinary(QStringLiteral("Position"), dlg.m_strPlacementId).size(), 44);
}
