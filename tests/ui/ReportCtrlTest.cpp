#include <functional>
#include <utility>

#include <QAction>
#include <QHeaderView>
#include <QMenu>

#include "ReportTestSupport.h"
#include "Tick.h"

namespace {

TEST_F(ReportListTest, HiddenColumnComesBackAtTheRightWithItsWidth)
{
    ASSERT_TRUE(list.ShowColumn(4, false));
    EXPECT_FALSE(list.IsColumnVisible(4));
    EXPECT_EQ(list.GetColumnWidth(4), 0);
    EXPECT_EQ(list.GetColumnState(4).nSavedWidth, 120);
    EXPECT_EQ(list.GetColumnOrder(), (QList<int>{4, 0, 1, 2, 3, 5, 6, 7}));
    EXPECT_FALSE(list.SetColumnWidth(4, 50));
    EXPECT_EQ(list.GetColumnWidth(4), 0);
    EXPECT_EQ(list.header()->sectionResizeMode(4), QHeaderView::Fixed);

    ASSERT_TRUE(list.ShowColumn(4, true));
    EXPECT_TRUE(list.IsColumnVisible(4));
    EXPECT_EQ(list.GetColumnWidth(4), 120);
    EXPECT_EQ(list.GetColumnOrder(), (QList<int>{0, 1, 2, 3, 5, 6, 7, 4}));
    EXPECT_EQ(list.header()->sectionResizeMode(4), QHeaderView::Interactive);
}

TEST_F(ReportListTest, HidingTwiceKeepsTheRememberedWidth)
{
    list.ShowColumn(5, false);
    list.ShowColumn(5, false);
    list.ShowColumn(5, true);
    EXPECT_EQ(list.GetColumnWidth(5), 88);
}

TEST_F(ReportListTest, ColumnMenuFollowsColumnIndices)
{
    list.ShowColumn(6, false);
    const std::unique_ptr<QMenu> menu = list.BuildColumnMenu();
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 9);
    EXPECT_TRUE(actions[3]->isSeparator());

    struct Entry
    {
        int nAction;
        const char* text;
        bool bChecked;
        bool bEnabled;
    };
    const Entry entries[] = {
        {0, "Name", true, false},      {1, "Path", true, false},     {2, "Type", true, true},
        {4, "Size(MB)", true, true},   {5, "Last Modified", true, true},
        {6, "Duration", true, true},   {7, "Frequency", false, true}, {8, "Channel", true, true},
    };
    for (const Entry& entry : entries) {
        SCOPED_TRACE(entry.text);
        const QAction* action = actions[entry.nAction];
        EXPECT_EQ(action->text(), QString::fromUtf8(entry.text));
        EXPECT_TRUE(action->isCheckable());
        EXPECT_EQ(action->isChecked(), entry.bChecked);
        EXPECT_EQ(action->isEnabled(), entry.bEnabled);
    }

    list.OnCommand(actions[7]->data().toInt());
    EXPECT_TRUE(list.IsColumnVisible(6));
    list.OnCommand(42);
    EXPECT_EQ(list.GetColumnCount(), 8);
}

TEST_F(ReportListTest, HeaderDragStopsRightOfHiddenColumns)
{
    list.SetExtendedStyle(LVS_EX_HEADERDRAGDROP);
    list.ShowColumn(2, false);
    list.ShowColumn(5, false);
    QHeaderView* header = list.header();
    header->moveSection(header->visualIndex(7), 0);
    EXPECT_EQ(header->visualIndex(7), 2);
    EXPECT_FALSE(list.IsColumnVisible(header->logicalIndex(0)));
    EXPECT_FALSE(list.IsColumnVisible(header->logicalIndex(1)));
}

TEST_F(ReportListTest, AutomaticWidthsLeaveHiddenColumnsAtZero)
{
    AddRow({"a rather long file name that needs room.wma", "/music/"});
    list.ShowColumn(2, false);
    QTest::keyClick(&list, Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(list.GetColumnWidth(2), 0);
    EXPECT_GT(list.GetColumnWidth(0), 150);

    // The hidden column's divider sits at the left edge of the header.
    QTest::mouseDClick(list.header()->viewport(), Qt::LeftButton, {}, QPoint(1, 5));
    EXPECT_EQ(list.GetColumnWidth(2), 0);
}

class StateFilterTest : public ReportListTest
{
protected:
    void SetUp() override
    {
        ReportListTest::SetUp();
        for (int nRow = 0; nRow < 5; ++nRow)
            AddRow({QString::number(nRow)});
        list.SetItemStates(1, ROW_SELECTED);
        list.SetItemStates(3, ROW_SELECTED | ROW_FOCUSED);
    }
};

TEST_F(StateFilterTest, CountsAndFinds)
{
    struct Count
    {
        unsigned dwFilter;
        int nExpected;
    };
    const Count counts[] = {
        {ROW_ALL, 5},       {ROW_SELECTED, 2},   {ROW_SELECTED | ROW_FOCUSED, 1},
        {ROW_UNSELECTED, 3}, {ROW_UNCHECKED, 5}, {ROW_CHECKED, 0},
        {ROW_FOCUSED, 1},   {ROW_ALL | ROW_CHECKED, 5}, {0, 0},
    };
    for (const Count& c : counts)
        EXPECT_EQ(list.CountItems(c.dwFilter), c.nExpected) << "filter " << c.dwFilter;

    struct Find
    {
        unsigned dwFilter;
        int nStartAfter;
        int nExpected;
    };
    const Find finds[] = {
        {ROW_SELECTED, -1, 1}, {ROW_SELECTED, 1, 3}, {ROW_SELECTED, 3, -1},
        {ROW_SELECTED, -7, 1}, {ROW_ALL, -1, 0},     {ROW_ALL, 4, -1},
        {0, -1, -1},
    };
    for (const Find& f : finds)
        EXPECT_EQ(list.FindNextItem(f.dwFilter, f.nStartAfter), f.nExpected)
            << "filter " << f.dwFilter << " after " << f.nStartAfter;

    list.SetAllItemStates(ROW_ALL, ROW_UNSELECTED);
    EXPECT_EQ(list.FindNextItem(ROW_SELECTED, -1), -1);
}

TEST_F(StateFilterTest, SetsStatesInBulk)
{
    EXPECT_EQ(list.SetAllItemStates(0, ROW_SELECTED), 0);
    EXPECT_EQ(list.SetAllItemStates(ROW_ALL, 0), 0);
    EXPECT_FALSE(list.SetItemStates(0, 0));
    EXPECT_EQ(list.CountItems(ROW_SELECTED), 2);

    EXPECT_EQ(list.SetAllItemStates(ROW_UNSELECTED, ROW_SELECTED | ROW_CHECKED), 3);
    EXPECT_EQ(list.CountItems(ROW_SELECTED), 5);
    EXPECT_EQ(list.CountItems(ROW_CHECKED), 3);
    EXPECT_EQ(list.GetItemStates(3), unsigned(ROW_SELECTED | ROW_UNCHECKED | ROW_FOCUSED));

    EXPECT_EQ(list.SetAllItemStates(ROW_ALL, ROW_UNSELECTED | ROW_UNFOCUSED), 5);
    EXPECT_EQ(list.CountItems(ROW_UNSELECTED | ROW_UNFOCUSED), 5);
}

TEST_F(StateFilterTest, DeletesMatchingRows)
{
    EXPECT_EQ(list.DeleteItems(ROW_SELECTED), 2);
    EXPECT_EQ(ColumnTexts(0), (QStringList{"0", "2", "4"}));
    EXPECT_EQ(list.DeleteItems(ROW_ALL), 3);
    EXPECT_EQ(list.GetItemCount(), 0);
}

TEST_F(ReportListTest, NumberFormOfSetItemText)
{
    AddRow({"x"});
    struct Case
    {
        double dValue;
        int nPrecision;
        const char* expected;
    };
    const Case cases[] = {
        {3.0, -1, "3"},     {12.5, -1, "12.5"}, {12.5, 2, "12.50"}, {100.0, -1, "100"},
        {0.0, -1, "0"},     {0.125, 1, "0.1"},  {2.0, 0, "2"},      {-1.25, -1, "-1.25"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(list.SetItemText(0, 3, c.dValue, c.nPrecision));
        EXPECT_EQ(list.GetItemText(0, 3), QString::fromUtf8(c.expected))
            << c.dValue << " precision " << c.nPrecision;
    }
}

TEST(ReportHints, IndexFollowsTheTickCount)
{
    const struct
    {
        std::uint32_t nTick;
        int nHint;
    } cases[] = {
        {0, 0},     {5999, 0},  {6000, 1},  {11999, 1}, {12000, 2},
        {18000, 3}, {23999, 3}, {24000, 0}, {4294967295u, 3},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CReportCtrl::HintIndex(c.nTick), c.nHint) << c.nTick;
    EXPECT_EQ(CReportCtrl::HintText(2), QStringLiteral("Click the column header to sort the file list"));
    EXPECT_EQ(CReportCtrl::HintText(0),
              QStringLiteral("Load your files by clicking the \"Add Files\" toolbar button"));
}

TEST_F(ReportListTest, PaintsTheHintOfTheMomentOnlyWhileEmpty)
{
    list.repaint();
    EXPECT_EQ(list.PaintedHint(), -1);

    list.SetShowHints(true);
    const int nBefore = CReportCtrl::HintIndex(GetTickCount32());
    list.viewport()->repaint();
    const int nAfter = CReportCtrl::HintIndex(GetTickCount32());
    EXPECT_TRUE(list.PaintedHint() == nBefore || list.PaintedHint() == nAfter);
}

TEST_F(ReportListTest, RowColoursWithAndWithoutHighlight)
{
    for (int nRow = 0; nRow < 4; ++nRow)
        AddRow({QString::number(nRow)}, TestRecord{nRow == 2, 1.0, 44100, 2});
    list.m_arrSortInfo = {{3, 1}, {0, 1}};

    const QColor kError(255, 225, 241), kOddSorted(227, 230, 242), kOdd(244, 245, 252),
        kEvenSorted(241, 242, 247), kEven(255, 255, 255);
    struct Cell
    {
        int nRow;
        int nCol;
        QColor highlighted;
        QColor plain;
    };
    const Cell cells[] = {
        {0, 3, kEvenSorted, kEven}, {0, 0, kEven, kEven}, {1, 3, kOddSorted, kOdd},
        {1, 7, kOdd, kOdd},         {2, 3, kError, kError}, {2, 0, kError, kError},
        {3, 3, kOddSorted, kOdd},
    };
    list.ApplyRowColors(true);
    for (const Cell& c : cells)
        EXPECT_EQ(list.GetItemBkColor(c.nRow, c.nCol), c.highlighted) << c.nRow << "," << c.nCol;
    list.ApplyRowColors(false);
    for (const Cell& c : cells)
        EXPECT_EQ(list.GetItemBkColor(c.nRow, c.nCol), c.plain) << c.nRow << "," << c.nCol;
}

TEST_F(ReportListTest, CellColoursWidenToRowsAndColumns)
{
    for (int nRow = 0; nRow < 3; ++nRow)
        AddRow({QString::number(nRow)});
    const QColor red(255, 0, 0);
    list.SetItemTextColor(1, -1, red);
    list.SetItemTextColor(-1, 2, Qt::blue);
    list.SetItemTextColor(0, 2, QColor());
    EXPECT_EQ(list.GetItemTextColor(1, 0), red);
    EXPECT_EQ(list.GetItemTextColor(1, 7), red);
    EXPECT_EQ(list.GetItemTextColor(1, 2), QColor(Qt::blue));
    EXPECT_EQ(list.GetItemTextColor(2, 2), QColor(Qt::blue));
    EXPECT_EQ(list.GetItemTextColor(0, 2), list.palette().color(QPalette::Text));
    EXPECT_EQ(list.GetItemTextColor(0, 1), list.palette().color(QPalette::Text));

    // A column inserted later gets default colours in every row.
    list.InsertColumn(1, "Extra", LVCFMT_LEFT, 40);
    EXPECT_EQ(list.GetItemTextColor(1, 1), list.palette().color(QPalette::Text));
    EXPECT_EQ(list.GetItemTextColor(1, 3), QColor(Qt::blue));
    EXPECT_EQ(list.GetItemText(1, 0), QStringLiteral("1"));
    EXPECT_TRUE(list.GetItemText(1, 1).isEmpty());
}

// A header section as painted.
QImage SectionImage(CReportCtrl& list, int nCol)
{
    QHeaderView* header = list.header();
    return header->grab(QRect(header->sectionViewportPosition(nCol), 0, header->sectionSize(nCol), header->height()))
        .toImage();
}

// The leftmost and rightmost column of pixels that match, or {-1, -1}.
std::pair<int, int> Span(const QImage& image, const std::function<bool(QColor)>& match)
{
    std::pair<int, int> span{-1, -1};
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (match(image.pixelColor(x, y))) {
                span.first = span.first < 0 ? x : span.first;
                span.second = x;
                break;
            }
        }
    }
    return span;
}

TEST_F(ReportListTest, HeaderImageOnTheRightFollowsTheTextAndABlankOneMovesNothing)
{
    QPixmap blank(16, 16);
    blank.fill(Qt::transparent);
    QPixmap arrow(16, 16);
    arrow.fill(Qt::red);
    list.SetHeaderImageList({QIcon(blank), QIcon(arrow)});
    const auto isArrow = [](QColor c) { return c.red() > 200 && c.green() < 60 && c.blue() < 60; };
    const auto isText = [&](QColor c) { return qGray(c.rgb()) < 110 && !isArrow(c); };
    const QImage plain = SectionImage(list, 0);

    list.SetHeaderImage(0, 0, false);
    EXPECT_EQ(SectionImage(list, 0), plain);

    for (int nCol : {0, 2}) { // left- and right-aligned headings
        SCOPED_TRACE(nCol);
        list.SetHeaderImage(nCol, 1, false);
        const QImage painted = SectionImage(list, nCol);
        const auto text = Span(painted, isText);
        const auto image = Span(painted, isArrow);
        ASSERT_GE(text.first, 0);
        ASSERT_GE(image.first, 0);
        EXPECT_GT(image.first, text.second);
        EXPECT_LT(image.second, painted.width());
    }
    // Left-aligned text stays where it was without an image.
    EXPECT_EQ(Span(SectionImage(list, 0), isText).first, Span(plain, isText).first);
}

TEST_F(ReportListTest, ItemDataStaysWithItsRow)
{
    int nFirst = 1;
    int nSecond = 2;
    list.InsertItem(0, "b", -1, &nSecond);
    list.InsertItem(0, "a", -1, &nFirst);
    EXPECT_EQ(list.GetItemData(0), &nFirst);
    EXPECT_EQ(list.GetItemData(1), &nSecond);
    EXPECT_EQ(list.GetItemData(2), nullptr);
    list.DeleteItem(0);
    EXPECT_EQ(list.GetItemData(0), &nSecond);
}

} // namespace
