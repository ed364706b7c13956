#include <QLineEdit>
#include <QScrollBar>

#include "ReportTestSupport.h"

namespace {

class ReportEditTest : public ReportListTest
{
protected:
    void SetUp() override
    {
        ReportListTest::SetUp();
        for (const char* name : {"track.01.wma", "noext", "alpha.wma", "beta.wma"})
            AddRow({QString::fromUtf8(name), "/music/"});
        list.SetEditable(true);
        list.AddEditableColumn(0);
    }

    QLineEdit* Edit() const { return list.GetEditControl(); }
    void Key(int nKey, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(Edit(), static_cast<Qt::Key>(nKey), modifiers);
    }
    QPoint CellCentre(int nRow, int nCol) const
    {
        return list.visualRect(list.model()->index(nRow, nCol)).center();
    }
};

TEST_F(ReportEditTest, PreselectsTheNameBeforeTheLastDot)
{
    const struct
    {
        int nRow;
        const char* selected;
    } cases[] = {{0, "track.01"}, {1, "noext"}, {2, "alpha"}};
    for (const auto& c : cases) {
        ASSERT_TRUE(list.BeginEdit(c.nRow, 0));
        EXPECT_EQ(Edit()->selectedText(), QString::fromUtf8(c.selected));
        EXPECT_EQ(list.m_strEditStartText, list.GetItemText(c.nRow, 0));
        EXPECT_EQ(list.GetItemStates(c.nRow) & (ROW_SELECTED | ROW_FOCUSED),
                  unsigned(ROW_SELECTED | ROW_FOCUSED));
        EXPECT_EQ(list.CountItems(ROW_SELECTED), 1);
    }
    EXPECT_FALSE(list.BeginEdit(4, 0));
    EXPECT_FALSE(list.BeginEdit(0, 8));
}

TEST_F(ReportEditTest, EnterCommitsOnlyAChangedText)
{
    struct Case
    {
        const char* typed;
        int nNotifications;
        const char* cell;
    };
    const Case cases[] = {
        {"alpha.wma", 0, "alpha.wma"},
        {"Alpha.wma", 1, "Alpha.wma"},
        {"gamma.wma", 1, "gamma.wma"},
    };
    for (const Case& c : cases) {
        owner.messages.clear();
        list.SetItemText(2, 0, QStringLiteral("alpha.wma"));
        ASSERT_TRUE(list.BeginEdit(2, 0));
        Edit()->setText(QString::fromUtf8(c.typed));
        Key(Qt::Key_Return);
        EXPECT_FALSE(list.IsEditing());
        EXPECT_FALSE(Edit()->isVisible());
        EXPECT_EQ(list.GetItemText(2, 0), QString::fromUtf8(c.cell));
        ASSERT_EQ(owner.Count(WM_LIST_EDITCOMMITTED), c.nNotifications) << c.typed;
        if (c.nNotifications) {
            EXPECT_EQ(owner.messages[0].cell.nItem, 2);
            EXPECT_EQ(owner.messages[0].cell.nSubItem, 0);
            EXPECT_EQ(owner.messages[0].lParam, reinterpret_cast<LPARAM>(&list));
        }
    }
}

TEST_F(ReportEditTest, EscapeAndScrollingDropTheTypedText)
{
    for (int nRow = 0; nRow < 60; ++nRow)
        AddRow({QStringLiteral("extra%1.wma").arg(nRow)});

    const std::function<void()> cancellers[] = {
        [&] { Key(Qt::Key_Escape); },
        [&] { list.verticalScrollBar()->setValue(list.verticalScrollBar()->value() + 3); },
        [&] { list.DeleteItems(ROW_UNSELECTED); },
    };
    for (const auto& cancel : cancellers) {
        ASSERT_TRUE(list.BeginEdit(0, 0));
        Edit()->setText(QStringLiteral("typed.wma"));
        cancel();
        EXPECT_FALSE(list.IsEditing());
        EXPECT_EQ(list.GetItemText(0, 0), QStringLiteral("track.01.wma"));
    }
    EXPECT_EQ(owner.Count(WM_LIST_EDITCOMMITTED), 0);
}

TEST_F(ReportEditTest, UpAndDownWrapAroundTheRows)
{
    ASSERT_TRUE(list.BeginEdit(3, 0));
    Edit()->setText(QStringLiteral("renamed.wma"));
    Key(Qt::Key_Down);
    EXPECT_EQ(list.GetItemText(3, 0), QStringLiteral("renamed.wma"));
    EXPECT_TRUE(list.IsEditing());
    EXPECT_EQ(Edit()->text(), QStringLiteral("track.01.wma"));
    EXPECT_EQ(list.m_strEditStartText, QStringLiteral("track.01.wma"));

    Key(Qt::Key_Up);
    EXPECT_EQ(Edit()->text(), QStringLiteral("renamed.wma"));
    Key(Qt::Key_Up);
    EXPECT_EQ(Edit()->text(), QStringLiteral("alpha.wma"));
    EXPECT_EQ(list.GetItemStates(2) & ROW_FOCUSED, unsigned(ROW_FOCUSED));
}

TEST_F(ReportEditTest, TabFollowsTheEditableColumns)
{
    struct Case
    {
        QList<int> extraColumns;
        int nFrom;
        bool bShift;
        int nTo;
    };
    const Case cases[] = {
        {{}, 0, false, 0},    {{}, 0, true, 0},        {{2}, 0, false, 2},
        {{2}, 2, false, 0},   {{2, 5}, 0, true, 5},    {{2, 5}, 5, false, 0},
    };
    for (const Case& c : cases) {
        CReportCtrl other;
        for (int nCol = 0; nCol < 8; ++nCol)
            other.InsertColumn(nCol, QString::number(nCol), LVCFMT_LEFT, 60);
        other.InsertItem(0, QStringLiteral("row"));
        for (int nCol = 1; nCol < 8; ++nCol)
            other.SetItemText(0, nCol, QStringLiteral("cell%1").arg(nCol));
        other.AddEditableColumn(0);
        for (int nCol : c.extraColumns)
            other.AddEditableColumn(nCol);
        other.resize(300, 200);
        other.show();
        ASSERT_TRUE(other.BeginEdit(0, c.nFrom));
        QTest::keyClick(other.GetEditControl(), c.bShift ? Qt::Key_Backtab : Qt::Key_Tab,
                        c.bShift ? Qt::ShiftModifier : Qt::NoModifier);
        EXPECT_TRUE(other.IsEditing());
        EXPECT_EQ(other.GetEditControl()->text(), other.GetItemText(0, c.nTo))
            << "from " << c.nFrom << (c.bShift ? " back" : "");
    }
}

TEST_F(ReportEditTest, ClicksOpenTheEditorOnlyOnTheCurrentRow)
{
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, CellCentre(2, 0));
    EXPECT_FALSE(list.IsEditing());
    EXPECT_EQ(list.FindNextItem(ROW_SELECTED | ROW_FOCUSED, -1), 2);

    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, CellCentre(2, 1));
    EXPECT_FALSE(list.IsEditing()) << "column 1 is not editable";

    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, CellCentre(2, 0));
    ASSERT_TRUE(list.IsEditing());
    EXPECT_EQ(Edit()->text(), QStringLiteral("alpha.wma"));

    Edit()->setText(QStringLiteral("clicked.wma"));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, CellCentre(2, 0));
    EXPECT_FALSE(list.IsEditing()) << "a click while editing only closes the editor";
    EXPECT_EQ(list.GetItemText(2, 0), QStringLiteral("clicked.wma"));
    EXPECT_EQ(owner.Count(WM_LIST_EDITCOMMITTED), 1);

    QTest::mouseClick(list.viewport(), Qt::RightButton, {}, CellCentre(2, 0));
    EXPECT_FALSE(list.IsEditing());

    list.SetEditable(false);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, CellCentre(2, 0));
    EXPECT_FALSE(list.IsEditing());
}

TEST_F(ReportEditTest, SpaceOnTheListDoesNothing)
{
    list.SetItemStates(1, ROW_SELECTED | ROW_FOCUSED);
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Space);
    QTest::keyClick(&list, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(list.GetItemStates(1) & ROW_SELECTED, unsigned(ROW_SELECTED));
    EXPECT_EQ(list.CountItems(ROW_SELECTED), 1);
}

TEST_F(ReportEditTest, OwnerMayPutTheOldTextBackWhileHandlingTheCommit)
{
    owner.onEditCommitted = [&](const ReportCell& cell) {
        EXPECT_TRUE(list.IsEditing());
        list.SetItemText(cell.nItem, cell.nSubItem, list.m_strEditStartText);
    };
    ASSERT_TRUE(list.BeginEdit(3, 0));
    Edit()->setText(QStringLiteral("taken.wma"));
    EXPECT_TRUE(list.EndEdit(true));
    EXPECT_EQ(owner.Count(WM_LIST_EDITCOMMITTED), 1);
    EXPECT_EQ(list.GetItemText(3, 0), QStringLiteral("beta.wma"));
    EXPECT_FALSE(list.IsEditing());
    EXPECT_FALSE(list.EndEdit(true));
}

} // namespace
