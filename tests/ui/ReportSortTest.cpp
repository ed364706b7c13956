#include "ReportTestSupport.h"

namespace {

using Keys = QList<ColumnSortInfo>;

TEST_F(ReportListTest, HeaderClicksRotateTheSortKeys)
{
    list.SetSortable(true);
    list.m_arrSortInfo = {{0, 1}};
    const struct
    {
        int nClicked;
        Keys expected;
    } steps[] = {
        {3, {{3, 1}, {0, 1}}},
        {3, {{3, 0}, {0, 1}}},
        {0, {{0, 1}, {3, 0}}},
        {3, {{3, 0}, {0, 1}}},
        {5, {{5, 1}, {3, 0}, {0, 1}}},
    };
    for (const auto& step : steps) {
        list.OnColumnClick(step.nClicked);
        EXPECT_EQ(list.m_arrSortInfo, step.expected) << "after clicking " << step.nClicked;
    }
}

TEST_F(ReportListTest, SevenClickedColumnsLeaveSixKeys)
{
    list.m_arrSortInfo.clear();
    for (int nCol = 1; nCol <= 7; ++nCol)
        list.OnColumnClick(nCol);
    EXPECT_EQ(list.m_arrSortInfo, (Keys{{7, 1}, {6, 1}, {5, 1}, {4, 1}, {3, 1}, {2, 1}}));
}

TEST_F(ReportListTest, OrdersTextsByTheirBytesAndNumbersByValue)
{
    struct Case
    {
        int nCol;
        QStringList texts;
        QList<TestRecord> rows;
        int bAscending;
        QStringList expectedNames;
    };
    const Case cases[] = {
        {0, {"alpha.wma", "Zeta.wma"}, {{}, {}}, 1, {"Zeta.wma", "alpha.wma"}},
        {0, {"9.wma", "10.wma"}, {{}, {}}, 1, {"10.wma", "9.wma"}},
        {0, {"b.wma", "ä.wma", "a.wma"}, {{}, {}, {}}, 1, {"a.wma", "b.wma", "ä.wma"}},
        {6, {"cd.wma", "voice.wma"}, {{false, 1, 44100, 2}, {false, 1, 8000, 1}}, 1,
         {"voice.wma", "cd.wma"}},
        {3, {"big.wma", "small.wma", "mid.wma"},
         {{false, 12.5, 0, 0}, {false, 0.5, 0, 0}, {false, 2.25, 0, 0}}, 0,
         {"big.wma", "mid.wma", "small.wma"}},
    };
    for (const Case& c : cases) {
        list.DeleteItems(ROW_ALL);
        records.clear();
        for (int nRow = 0; nRow < c.texts.size(); ++nRow) {
            const TestRecord& r = c.rows[nRow];
            AddRow({c.texts[nRow], "/music/", "WMA", QString::asprintf("%.2f", r.dSizeMB), "", "",
                    QStringLiteral("%1 Hz").arg(r.nSampleRate)},
                   r);
        }
        list.m_arrSortInfo = {{c.nCol, c.bAscending}};
        list.SortItems(0, list.GetItemCount() - 1, true);
        EXPECT_EQ(ColumnTexts(0), c.expectedNames);
    }
}

TEST_F(ReportListTest, TiesFollowTheFirstKeysDirection)
{
    AddRow({"a.wma", "", "", "1.00"}, {false, 1.0, 0, 0});
    AddRow({"c.wma", "", "", "2.00"}, {false, 2.0, 0, 0});
    AddRow({"b.wma", "", "", "1.00"}, {false, 1.0, 0, 0});
    AddRow({"d.wma", "", "", "1.00"}, {false, 1.0, 0, 0});
    list.m_arrSortInfo = {{3, 0}, {0, 1}};
    list.SortItems(0, 3, true);
    EXPECT_EQ(ColumnTexts(0), (QStringList{"c.wma", "d.wma", "b.wma", "a.wma"}));

    list.m_arrSortInfo = {{3, 1}, {0, 0}};
    list.SortItems(0, 3, true);
    EXPECT_EQ(ColumnTexts(0), (QStringList{"a.wma", "b.wma", "d.wma", "c.wma"}));
}

TEST_F(ReportListTest, RowsKeepTheirStateRecordAndColours)
{
    for (const char* name : {"d.wma", "b.wma", "c.wma", "a.wma"})
        AddRow({QString::fromUtf8(name), "/music/"});
    list.SetItemStates(1, ROW_SELECTED | ROW_FOCUSED | ROW_CHECKED);
    list.SetItemTextColor(1, 2, QColor(255, 0, 0));
    void* const pRecord = list.GetItemData(1);
    list.m_arrSortInfo = {{0, 1}};
    list.SortItems(0, 3, false);

    ASSERT_EQ(ColumnTexts(0), (QStringList{"a.wma", "b.wma", "c.wma", "d.wma"}));
    EXPECT_EQ(list.GetItemStates(1), unsigned(ROW_SELECTED | ROW_FOCUSED | ROW_CHECKED));
    EXPECT_EQ(list.CountItems(ROW_SELECTED), 1);
    EXPECT_EQ(list.GetItemData(1), pRecord);
    EXPECT_EQ(list.GetItemTextColor(1, 2), QColor(255, 0, 0));
    EXPECT_EQ(list.GetItemText(0, 1), QStringLiteral("/music/"));
}

TEST_F(ReportListTest, OneRowIsStillReportedAndShaded)
{
    AddRow({"only.wma"});
    list.SetSortable(true);
    list.m_arrSortInfo = {{4, 1}};
    list.OnColumnClick(2);
    DeliverPosted();
    ASSERT_EQ(owner.Count(WM_LIST_SORTED), 1);
    EXPECT_EQ(owner.messages[0].wParam, 2u);
    EXPECT_EQ(owner.messages[0].lParam, 1);
    EXPECT_EQ(list.GetItemBkColor(0, 2), QColor(241, 242, 247));
    EXPECT_EQ(list.GetItemBkColor(0, 4), QColor(255, 255, 255));
    EXPECT_EQ(ColumnTexts(0), QStringList{"only.wma"});
}

TEST_F(ReportListTest, ListIsBusyOnlyWhileSorting)
{
    for (int nRow = 0; nRow < 8; ++nRow)
        AddRow({"x.wma"}, {false, double(8 - nRow), 0, 0});
    list.m_arrSortInfo = {{3, 1}};
    list.SortItems(0, 7, true);
    ASSERT_FALSE(access.busySeen.empty());
    for (int nBusy : access.busySeen)
        EXPECT_EQ(nBusy, 1);
    EXPECT_EQ(g_bListBusy.load(), 0);
}

TEST_F(ReportListTest, ClickOnAPlainHeaderOnlyReordersTheKeys)
{
    AddRow({"b.wma"});
    AddRow({"a.wma"});
    list.SetSortable(false);
    list.m_arrSortInfo = {{0, 1}};
    list.OnColumnClick(1);
    DeliverPosted();
    EXPECT_EQ(list.m_arrSortInfo, (Keys{{1, 1}, {0, 1}}));
    EXPECT_EQ(owner.Count(WM_LIST_SORTED), 0);
    EXPECT_EQ(ColumnTexts(0), (QStringList{"b.wma", "a.wma"}));
}

TEST_F(ReportListTest, SortRangeRefusesShortOrOutsideRanges)
{
    AddRow({"b.wma"});
    AddRow({"a.wma"});
    const struct
    {
        int nFirst;
        int nLast;
    } ranges[] = {{0, 0}, {1, 0}, {-1, 1}, {0, 2}};
    for (const auto& r : ranges)
        EXPECT_FALSE(list.SortRange(r.nFirst, r.nLast, 0, true)) << r.nFirst << ".." << r.nLast;
    EXPECT_EQ(ColumnTexts(0), (QStringList{"b.wma", "a.wma"}));
}

} // namespace
