#pragma once

#include <cstdint>
#include <memory>

#include <QColor>
#include <QIcon>
#include <QList>
#include <QString>
#include <QTreeView>

#include "ListMessages.h"
#include "ReportRecordAccess.h"
#include "ReportTypes.h"

class QLineEdit;
class QMenu;
class QTimer;
class CReportHeader;
class ReportModel;

// Report-style list: per-cell colours, row state filters, hidden columns
// with a column menu on the header, hints painted while the list is empty,
// an in-place editor for chosen columns and a multi-key sort that rewrites
// the rows in their new order.
//
// Rows and columns are named by index, never by display position. Every
// operation runs on the user-interface thread; a worker that fills the list
// reaches it through its owner's window messages.
class CReportCtrl : public QTreeView
{
    Q_OBJECT

public:
    explicit CReportCtrl(QWidget* parent = nullptr);
    ~CReportCtrl() override;

    // Places the list in the parent, over the rectangle or, with none, over
    // the parent's whole client area.
    bool Create(QWidget* parent, const QRect* rect = nullptr);

    // Full-row selection and sub-item images are always added.
    void SetExtendedStyle(unsigned dwExStyle);
    unsigned GetExtendedStyle() const { return m_dwExStyle; }
    // The platform style already gives the list its native look.
    void ApplyExplorerTheme() {}

    QList<QIcon> SetImageList(const QList<QIcon>& arrImages);
    const QList<QIcon>& GetImageList() const;
    QList<QIcon> SetHeaderImageList(const QList<QIcon>& arrImages);
    void SetHeaderImage(int nCol, int nImage, bool bLeftSide);
    int GetHeaderImage(int nCol) const;
    bool SetSortable(bool bSortable);
    bool IsSortable() const;
    void SetShowHints(bool bShow);

    // Columns.
    int InsertColumn(int nCol, const QString& strHeading, int nFormat = LVCFMT_LEFT,
                     int nWidth = -1);
    bool DeleteColumn(int nCol);
    int GetColumnCount() const;
    QString GetColumnHeading(int nCol) const;
    bool ShowColumn(int nCol, bool bShow);
    bool IsColumnVisible(int nCol) const;
    ColumnState GetColumnState(int nCol) const;
    // Refused (false, width unchanged) for a hidden column.
    bool SetColumnWidth(int nCol, int nWidth);
    int GetColumnWidth(int nCol) const;
    // Column -1: every column. Hidden columns keep width 0.
    bool AutoSizeColumn(int nCol = -1, bool bUseHeader = false);
    bool EnsureColumnVisible(int nCol, bool bPartialOK);
    // The header's display order: the column at each position.
    QList<int> GetColumnOrder() const;

    // Rows.
    int GetItemCount() const;
    int InsertItem(int nItem, const QString& strText = {}, int nImage = -1,
                   void* pUserData = nullptr);
    bool DeleteItem(int nItem, bool bSelectNext = false);
    int DeleteItems(unsigned dwFilter);
    void SetItemData(int nItem, void* pUserData);
    void* GetItemData(int nItem) const;
    bool SetItemText(int nItem, int nSubItem, const QString& strText);
    // Formats with nPrecision decimals; a negative precision drops trailing
    // zeros and then a trailing point (12.5 and 3, not 12.500000 and 3.000000).
    bool SetItemText(int nItem, int nSubItem, double dValue, int nPrecision);
    QString GetItemText(int nItem, int nSubItem) const;
    bool SetItemImage(int nItem, int nSubItem, int nImage);
    int GetItemImage(int nItem, int nSubItem) const;
    unsigned GetItemStates(int nItem) const;
    bool SetItemStates(int nItem, unsigned dwStates);
    int CountItems(unsigned dwFilter) const;
    int FindNextItem(unsigned dwFilter, int nStartAfter = -1) const;
    int SetAllItemStates(unsigned dwFilter, unsigned dwStates);
    bool EnsureVisible(int nItem, bool bPartialOK);

    // The row's info tip (LVS_EX_INFOTIP): shown when the pointer rests on
    // any of its cells. An empty text removes it.
    void SetItemInfoTip(int nItem, const QString& strTip);
    QString GetItemInfoTip(int nItem) const;

    // Colours; an invalid colour means the default. An invalid row or column
    // widens the change to every row or column.
    void SetItemTextColor(int nItem, int nSubItem, const QColor& colour, bool bRedraw = true);
    void SetItemBkColor(int nItem, int nSubItem, const QColor& colour, bool bRedraw = true);
    QColor GetItemTextColor(int nItem, int nSubItem) const;
    QColor GetItemBkColor(int nItem, int nSubItem) const;
    void ApplyRowColors(bool bHighlightSortColumn);

    // Not owned; must outlive the list or be replaced before it goes.
    void SetRecordAccess(const ReportRecordAccess* pAccess) { m_pRecordAccess = pAccess; }

    // In-place editing.
    void SetEditable(bool bEditable);
    bool AddEditableColumn(int nCol);
    bool IsEditableColumn(int nCol) const;
    bool IsEditing() const;
    bool BeginEdit(int nItem, int nSubItem);
    bool EndEdit(bool bCommit);
    QLineEdit* GetEditControl() const { return m_pEdit; }

    // Sorting.
    void OnColumnClick(int nCol);
    void SortItems(int nFirst, int nLast, bool bHighlightSortColumn);
    bool SortRange(int nFirst, int nLast, int nCol, bool bAscending);
    int CompareRows(int nRowA, int nRowB, int nCol, int nKeyIndex) const;

    // The column menu: one entry per column in column order, checked when
    // the column shows, the first two greyed, a separator before column 3.
    std::unique_ptr<QMenu> BuildColumnMenu();
    // A chosen menu entry: a column index toggles that column.
    void OnCommand(int nId);

    // The hint shown at a tick count (milliseconds): a new one every 6 s.
    static int HintIndex(std::uint32_t nTick);
    static QString HintText(int nIndex);
    // The hint painted last, -1 before any.
    int PaintedHint() const { return m_nPaintedHint; }

signals:
    // A left double-click anywhere in the list, on a row or on empty space.
    void listDoubleClicked();

public:
    // Receives WM_LIST_SORTED (posted) and WM_LIST_EDITCOMMITTED (sent).
    MessageTarget m_pNotifyWnd;
    // The sort order, first key first; at most 6 keys after a header click.
    QList<ColumnSortInfo> m_arrSortInfo;
    // Column 0's text when an edit of a column-0 cell began.
    QString m_strEditStartText;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void SetRedraw(bool bRedraw);
    QColor DefaultTextColor() const;
    QColor DefaultBkColor() const;
    void SetCellColours(int nItem, int nSubItem, const QColor& colour, bool bText, bool bRedraw);
    void SetHiddenWidth(int nCol, bool bHidden);
    bool IsRowSelected(int nItem) const;
    int FirstVisiblePosition(int nExceptCol) const;

    void OnSectionMoved(int nCol, int nOldVisual, int nNewVisual);
    void OnTrackStarting(int nCol);
    void ShowColumnMenu(QPoint globalPos);
    void OnScrolled();
    void OnHintTimer();

    void OnMouseButton(QMouseEvent* event, bool bDoubleClick);
    bool HandleKey(QKeyEvent* event);
    QRect EditRect(int nItem, int nSubItem) const;

    ReportModel* m_pModel;
    CReportHeader* m_pHeader;
    QTimer* m_pHintTimer;
    const ReportRecordAccess* m_pRecordAccess = nullptr;
    unsigned m_dwExStyle = LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES;

    bool m_bShowHints = false;
    int m_nPaintedHint = -1;
    QList<ColumnState> m_arrColumns;
    bool m_bReordering = false;

    QList<int> m_arrEditableCols;
    QLineEdit* m_pEdit;
    bool m_bEditable = false;
    bool m_bPlacingEdit = false;
    int m_nEditItem = -1;
    int m_nEditSubItem = -1;
    int m_dwEditAlign = 0;
};
