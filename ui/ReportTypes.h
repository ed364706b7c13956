#pragma once

#include <QColor>
#include <QList>

// Row state bits. A row's state word holds one bit of each pair; a filter
// matches a row when it contains ROW_ALL or every one of its bits is in the
// row's state word. Filter 0 matches nothing.
enum : unsigned {
    ROW_ALL = 0x01,
    ROW_SELECTED = 0x02,
    ROW_UNSELECTED = 0x04,
    ROW_CHECKED = 0x08,
    ROW_UNCHECKED = 0x10,
    ROW_FOCUSED = 0x20,
    ROW_UNFOCUSED = 0x40,
};

// Column alignment of a heading, and through it of the in-place editor.
enum : int {
    LVCFMT_LEFT = 0,
    LVCFMT_RIGHT = 1,
    LVCFMT_CENTER = 2,
};

// Extended list styles the control understands. Full-row selection and
// sub-item images are always on.
enum : unsigned {
    LVS_EX_GRIDLINES = 0x00001,
    LVS_EX_SUBITEMIMAGES = 0x00002,
    LVS_EX_HEADERDRAGDROP = 0x00010,
    LVS_EX_FULLROWSELECT = 0x00020,
    LVS_EX_INFOTIP = 0x00400,
    LVS_EX_DOUBLEBUFFER = 0x10000,
};

// One key of the sort order. Stored by the owner as two 32-bit values,
// column first.
struct ColumnSortInfo
{
    int nCol = 0;
    int bAscending = 1;

    friend bool operator==(const ColumnSortInfo&, const ColumnSortInfo&) = default;
};

struct ColumnState
{
    bool bVisible = true;
    // The width given at insertion, or the width the column had when hidden.
    int nSavedWidth = 0;
    // Display position limit used when the column is shown again; -1 until
    // the column is first hidden, then the column count at that time.
    int nShowLimit = -1;
};

// What the list keeps per row besides the cell texts and images.
struct RowData
{
    // The owner's item data; never owned or freed by the list.
    void* pUserData = nullptr;
    // One entry per column.
    QList<QColor> arrTextColors;
    QList<QColor> arrBkColors;
};

// A cell of the list, as WM_LIST_EDITCOMMITTED passes it.
struct ReportCell
{
    int nItem = -1;
    int nSubItem = -1;
};
