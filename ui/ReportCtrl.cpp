#include "ReportCtrl.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

#include "ReportHeader.h"
#include "ReportModel.h"
#include "Tick.h"

namespace {

constexpr int kHintCount = 4;
constexpr std::uint32_t kHintPeriodMs = 6000;
// Short enough that a new hint shows soon after its turn comes.
constexpr int kHintCheckMs = 500;

bool Matches(unsigned dwStates, unsigned dwFilter)
{
    if (dwFilter == 0)
        return false;
    return (dwFilter & ROW_ALL) != 0 || (dwStates & dwFilter) == dwFilter;
}

} // namespace

CReportCtrl::CReportCtrl(QWidget* parent)
    : QTreeView(parent)
    , m_pModel(new ReportModel(this))
    , m_pHeader(new CReportHeader(this))
    , m_pHintTimer(new QTimer(this))
    , m_pEdit(nullptr)
{
    setHeader(m_pHeader);
    setModel(m_pModel);
    m_pHeader->setStretchLastSection(false);
    m_pHeader->setMinimumSectionSize(0);
    m_pHeader->setSectionsMovable(false);
    m_pHeader->setSectionsClickable(false);
    m_pHeader->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    m_pEdit = new QLineEdit(viewport());
    m_pEdit->hide();
    m_pEdit->installEventFilter(this);

    connect(m_pHeader, &QHeaderView::sectionClicked, this, &CReportCtrl::OnColumnClick);
    connect(m_pHeader, &QHeaderView::sectionMoved, this, &CReportCtrl::OnSectionMoved);
    connect(m_pHeader, &CReportHeader::trackStarting, this, &CReportCtrl::OnTrackStarting);
    connect(m_pHeader, &CReportHeader::dividerDoubleClicked, this,
            [this](int nCol) { AutoSizeColumn(nCol, false); });
    connect(m_pHeader, &CReportHeader::columnMenuRequested, this, &CReportCtrl::ShowColumnMenu);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, &CReportCtrl::OnScrolled);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &CReportCtrl::OnScrolled);
    connect(m_pHintTimer, &QTimer::timeout, this, &CReportCtrl::OnHintTimer);
    m_pHintTimer->setInterval(kHintCheckMs);
}

CReportCtrl::~CReportCtrl()
{
    // The base classes destroy the scroll bars, the header and the editor
    // after this part of the object is gone; they must not call back into it.
    horizontalScrollBar()->disconnect(this);
    verticalScrollBar()->disconnect(this);
    m_pHeader->disconnect(this);
    m_pEdit->removeEventFilter(this);
}

bool CReportCtrl::Create(QWidget* parent, const QRect* rect)
{
    setParent(parent);
    if (parent)
        setGeometry(rect ? *rect : parent->rect());
    show();
    return true;
}

void CReportCtrl::SetExtendedStyle(unsigned dwExStyle)
{
    m_dwExStyle = dwExStyle | LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES;
    m_pHeader->setSectionsMovable((m_dwExStyle & LVS_EX_HEADERDRAGDROP) != 0);
}

QList<QIcon> CReportCtrl::SetImageList(const QList<QIcon>& arrImages)
{
    QList<QIcon> previous = m_pModel->GetImages();
    m_pModel->SetImages(arrImages);
    return previous;
}

const QList<QIcon>& CReportCtrl::GetImageList() const
{
    return m_pModel->GetImages();
}

QList<QIcon> CReportCtrl::SetHeaderImageList(const QList<QIcon>& arrImages)
{
    QList<QIcon> previous = m_pModel->GetHeaderImages();
    m_pModel->SetHeaderImages(arrImages);
    return previous;
}

void CReportCtrl::SetHeaderImage(int nCol, int nImage, bool bLeftSide)
{
    if (!m_pModel->IsColumn(nCol))
        return;
    if (m_pModel->GetHeaderImages().isEmpty())
        m_pModel->SetHeaderImages(m_pModel->GetImages());
    m_pModel->SetHeadingImage(nCol, nImage, !bLeftSide);
}

int CReportCtrl::GetHeaderImage(int nCol) const
{
    return m_pModel->IsColumn(nCol) ? m_pModel->GetHeading(nCol).nImage : -1;
}

bool CReportCtrl::SetSortable(bool bSortable)
{
    if (isHeaderHidden())
        return false;
    m_pHeader->setSectionsClickable(bSortable);
    m_pHeader->viewport()->update();
    return true;
}

bool CReportCtrl::IsSortable() const
{
    return !isHeaderHidden() && m_pHeader->sectionsClickable();
}

void CReportCtrl::SetShowHints(bool bShow)
{
    m_bShowHints = bShow;
    if (bShow)
        m_pHintTimer->start();
    else
        m_pHintTimer->stop();
    viewport()->update();
}

int CReportCtrl::InsertColumn(int nCol, const QString& strHeading, int nFormat, int nWidth)
{
    EndEdit(true);
    if (nCol < 0)
        return -1;
    ReportModel::Heading heading;
    heading.strText = strHeading;
    heading.nFormat = nFormat;
    const int nIndex = m_pModel->InsertColumn(nCol, heading, DefaultTextColor(), DefaultBkColor());
    ColumnState state;
    state.nSavedWidth = std::max(nWidth, 0);
    m_arrColumns.insert(nIndex, state);
    m_pHeader->setSectionResizeMode(nIndex, QHeaderView::Interactive);
    if (nWidth >= 0)
        m_pHeader->resizeSection(nIndex, nWidth);
    return nIndex;
}

bool CReportCtrl::DeleteColumn(int nCol)
{
    EndEdit(false);
    if (!m_pModel->RemoveColumn(nCol))
        return false;
    m_arrColumns.removeAt(nCol);
    m_arrEditableCols.removeAll(nCol);
    for (int& nEditable : m_arrEditableCols) {
        if (nEditable > nCol)
            --nEditable;
    }
    return true;
}

int CReportCtrl::GetColumnCount() const
{
    return m_pModel->ColumnCount();
}

QString CReportCtrl::GetColumnHeading(int nCol) const
{
    return m_pModel->IsColumn(nCol) ? m_pModel->GetHeading(nCol).strText : QString();
}

QList<int> CReportCtrl::GetColumnOrder() const
{
    QList<int> order;
    for (int nVisual = 0; nVisual < m_pHeader->count(); ++nVisual)
        order.append(m_pHeader->logicalIndex(nVisual));
    return order;
}

bool CReportCtrl::ShowColumn(int nCol, bool bShow)
{
    if (!m_pModel->IsColumn(nCol))
        return false;
    SetRedraw(false);
    QList<int> order = GetColumnOrder();
    const int nCount = static_cast<int>(order.size());
    ColumnState& state = m_arrColumns[nCol];
    if (!bShow) {
        // Bubble the column to position 0; the others keep their order.
        for (int nPos = nCount - 1; nPos >= 0; --nPos) {
            if (order[nPos] == nCol) {
                state.nShowLimit = nCount;
                for (int nBefore = nPos - 1; nBefore >= 0; --nBefore)
                    std::swap(order[nBefore], order[nBefore + 1]);
                break;
            }
        }
    } else {
        // Move it right past every hidden column, and as far as its limit.
        int nAt = static_cast<int>(order.indexOf(nCol));
        for (int nPos = nAt + 1; nAt >= 0 && nPos < nCount; ++nPos) {
            if (nPos <= state.nShowLimit || !m_arrColumns[order[nPos]].bVisible) {
                std::swap(order[nAt], order[nPos]);
                nAt = nPos;
            }
        }
    }
    m_bReordering = true;
    for (int nPos = 0; nPos < nCount; ++nPos)
        m_pHeader->moveSection(m_pHeader->visualIndex(order[nPos]), nPos);
    m_bReordering = false;

    if (bShow) {
        state.bVisible = true;
        SetHiddenWidth(nCol, false);
        SetColumnWidth(nCol, state.nSavedWidth & 0xFFFF);
    } else if (state.bVisible) {
        // Hiding a hidden column again must not forget its width.
        state.nSavedWidth = GetColumnWidth(nCol);
        SetColumnWidth(nCol, 0);
        state.bVisible = false;
        SetHiddenWidth(nCol, true);
    }
    SetRedraw(true);
    return true;
}

bool CReportCtrl::IsColumnVisible(int nCol) const
{
    return m_pModel->IsColumn(nCol) && m_arrColumns[nCol].bVisible;
}

ColumnState CReportCtrl::GetColumnState(int nCol) const
{
    return m_pModel->IsColumn(nCol) ? m_arrColumns[nCol] : ColumnState();
}

bool CReportCtrl::SetColumnWidth(int nCol, int nWidth)
{
    if (!m_pModel->IsColumn(nCol) || !m_arrColumns[nCol].bVisible || nWidth < 0)
        return false;
    m_pHeader->resizeSection(nCol, nWidth);
    return true;
}

int CReportCtrl::GetColumnWidth(int nCol) const
{
    return m_pModel->IsColumn(nCol) ? m_pHeader->sectionSize(nCol) : 0;
}

bool CReportCtrl::AutoSizeColumn(int nCol, bool bUseHeader)
{
    if (nCol == -1) {
        for (int nEach = 0; nEach < GetColumnCount(); ++nEach)
            AutoSizeColumn(nEach, bUseHeader);
        return true;
    }
    if (!m_pModel->IsColumn(nCol))
        return true;
    int nWidth = sizeHintForColumn(nCol);
    if (bUseHeader)
        nWidth = std::max(nWidth, m_pHeader->sectionSizeHint(nCol));
    SetColumnWidth(nCol, std::max(nWidth, 0));
    return true;
}

bool CReportCtrl::EnsureColumnVisible(int nCol, bool bPartialOK)
{
    if (!m_pModel->IsColumn(nCol))
        return true;
    QScrollBar* bar = horizontalScrollBar();
    const int nScroll = bar->value();
    const int nLeft = m_pHeader->sectionPosition(nCol) - nScroll;
    const int nRight = nLeft + m_pHeader->sectionSize(nCol);
    const int nClientRight = viewport()->width();
    if (bPartialOK && nLeft < nClientRight && nRight > 0)
        return true;
    int nDelta = nLeft;
    if (nRight - nLeft <= nClientRight && nLeft >= 0)
        nDelta = nRight <= nClientRight ? 0 : nRight - nClientRight;
    if (nDelta != 0)
        bar->setValue(nScroll + nDelta);
    return true;
}

int CReportCtrl::GetItemCount() const
{
    return m_pModel->RowCount();
}

int CReportCtrl::InsertItem(int nItem, const QString& strText, int nImage, void* pUserData)
{
    EndEdit(true);
    if (nItem < 0)
        return -1;
    RowData rowData;
    rowData.pUserData = pUserData;
    rowData.arrTextColors.fill(DefaultTextColor(), GetColumnCount());
    rowData.arrBkColors.fill(DefaultBkColor(), GetColumnCount());
    return m_pModel->InsertRow(nItem, strText, nImage, std::move(rowData));
}

bool CReportCtrl::DeleteItem(int nItem, bool bSelectNext)
{
    EndEdit(nItem != m_nEditItem);
    if (!m_pModel->IsRow(nItem))
        return false;
    if (bSelectNext && m_pModel->IsRow(nItem + 1))
        SetItemStates(nItem + 1, ROW_SELECTED);
    m_pModel->RemoveRow(nItem);
    return true;
}

int CReportCtrl::DeleteItems(unsigned dwFilter)
{
    EndEdit(false);
    SetRedraw(false);
    int nDeleted = 0;
    if (dwFilter & ROW_ALL) {
        nDeleted = m_pModel->RowCount();
        m_pModel->RemoveAllRows();
    } else {
        for (int nItem = 0; nItem < m_pModel->RowCount();) {
            if (Matches(GetItemStates(nItem), dwFilter)) {
                m_pModel->RemoveRow(nItem);
                ++nDeleted;
            } else {
                ++nItem;
            }
        }
    }
    SetRedraw(true);
    return nDeleted;
}

void CReportCtrl::SetItemData(int nItem, void* pUserData)
{
    if (m_pModel->IsRow(nItem))
        m_pModel->GetRowData(nItem).pUserData = pUserData;
}

void* CReportCtrl::GetItemData(int nItem) const
{
    return m_pModel->IsRow(nItem) ? m_pModel->GetRowData(nItem).pUserData : nullptr;
}

bool CReportCtrl::SetItemText(int nItem, int nSubItem, const QString& strText)
{
    EndEdit(true);
    if (!m_pModel->IsRow(nItem) || !m_pModel->IsColumn(nSubItem))
        return false;
    m_pModel->SetText(nItem, nSubItem, strText);
    return true;
}

bool CReportCtrl::SetItemText(int nItem, int nSubItem, double dValue, int nPrecision)
{
    QString strText;
    if (nPrecision >= 0) {
        strText = QString::asprintf("%.*f", nPrecision, dValue);
    } else {
        strText = QString::asprintf("%f", dValue);
        while (strText.endsWith(u'0'))
            strText.chop(1);
        while (strText.endsWith(u'.'))
            strText.chop(1);
    }
    return SetItemText(nItem, nSubItem, strText);
}

QString CReportCtrl::GetItemText(int nItem, int nSubItem) const
{
    if (!m_pModel->IsRow(nItem) || !m_pModel->IsColumn(nSubItem))
        return {};
    return m_pModel->GetText(nItem, nSubItem);
}

bool CReportCtrl::SetItemImage(int nItem, int nSubItem, int nImage)
{
    if (!m_pModel->IsRow(nItem) || !m_pModel->IsColumn(nSubItem))
        return false;
    m_pModel->SetImage(nItem, nSubItem, nImage);
    return true;
}

int CReportCtrl::GetItemImage(int nItem, int nSubItem) const
{
    if (!m_pModel->IsRow(nItem) || !m_pModel->IsColumn(nSubItem))
        return -1;
    return m_pModel->GetImage(nItem, nSubItem);
}

bool CReportCtrl::IsRowSelected(int nItem) const
{
    return selectionModel()->isRowSelected(nItem, {});
}

unsigned CReportCtrl::GetItemStates(int nItem) const
{
    if (!m_pModel->IsRow(nItem))
        return 0;
    unsigned dwStates = IsRowSelected(nItem) ? ROW_SELECTED : ROW_UNSELECTED;
    dwStates |= m_pModel->IsChecked(nItem) ? ROW_CHECKED : ROW_UNCHECKED;
    dwStates |= currentIndex().row() == nItem ? ROW_FOCUSED : ROW_UNFOCUSED;
    return dwStates;
}

bool CReportCtrl::SetItemStates(int nItem, unsigned dwStates)
{
    if (dwStates == 0 || !m_pModel->IsRow(nItem))
        return false;
    QItemSelectionModel* selection = selectionModel();
    const QModelIndex cell = m_pModel->index(nItem, 0);
    const auto rows = QItemSelectionModel::Rows;
    if (dwStates & ROW_SELECTED)
        selection->select(cell, QItemSelectionModel::Select | rows);
    if (dwStates & ROW_UNSELECTED)
        selection->select(cell, QItemSelectionModel::Deselect | rows);
    if (dwStates & ROW_CHECKED)
        m_pModel->SetChecked(nItem, true);
    if (dwStates & ROW_UNCHECKED)
        m_pModel->SetChecked(nItem, false);
    if (dwStates & ROW_FOCUSED)
        selection->setCurrentIndex(cell, QItemSelectionModel::NoUpdate);
    if ((dwStates & ROW_UNFOCUSED) && currentIndex().row() == nItem)
        selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    return true;
}

int CReportCtrl::CountItems(unsigned dwFilter) const
{
    if (dwFilter == ROW_ALL)
        return GetItemCount();
    int nCount = 0;
    for (int nItem = 0; nItem < GetItemCount(); ++nItem) {
        if (Matches(GetItemStates(nItem), dwFilter))
            ++nCount;
    }
    return nCount;
}

int CReportCtrl::FindNextItem(unsigned dwFilter, int nStartAfter) const
{
    for (int nItem = std::max(nStartAfter, -1) + 1; nItem < GetItemCount(); ++nItem) {
        if (Matches(GetItemStates(nItem), dwFilter))
            return nItem;
    }
    return -1;
}

int CReportCtrl::SetAllItemStates(unsigned dwFilter, unsigned dwStates)
{
    if (dwFilter == 0 || dwStates == 0)
        return 0;
    int nCount = 0;
    for (int nItem = 0; nItem < GetItemCount(); ++nItem) {
        if (Matches(GetItemStates(nItem), dwFilter) && SetItemStates(nItem, dwStates))
            ++nCount;
    }
    return nCount;
}

bool CReportCtrl::EnsureVisible(int nItem, bool bPartialOK)
{
    if (!m_pModel->IsRow(nItem))
        return false;
    const QModelIndex cell = m_pModel->index(nItem, 0);
    if (bPartialOK && visualRect(cell).intersects(viewport()->rect()))
        return true;
    // Only vertically: the horizontal position is the user's.
    const int nScroll = horizontalScrollBar()->value();
    scrollTo(cell, QAbstractItemView::EnsureVisible);
    horizontalScrollBar()->setValue(nScroll);
    return true;
}

QColor CReportCtrl::DefaultTextColor() const
{
    return palette().color(QPalette::Active, QPalette::Text);
}

QColor CReportCtrl::DefaultBkColor() const
{
    return palette().color(QPalette::Active, QPalette::Base);
}

void CReportCtrl::SetCellColours(int nItem, int nSubItem, const QColor& colour, bool bText,
                                 bool bRedraw)
{
    const QColor value = colour.isValid() ? colour : (bText ? DefaultTextColor() : DefaultBkColor());
    const bool bOneRow = m_pModel->IsRow(nItem);
    const bool bOneColumn = m_pModel->IsColumn(nSubItem);
    const int nFirstRow = bOneRow ? nItem : 0;
    const int nLastRow = bOneRow ? nItem : GetItemCount() - 1;
    for (int nRow = nFirstRow; nRow <= nLastRow; ++nRow) {
        RowData& rowData = m_pModel->GetRowData(nRow);
        QList<QColor>& colours = bText ? rowData.arrTextColors : rowData.arrBkColors;
        if (bOneColumn) {
            if (nSubItem < colours.size())
                colours[nSubItem] = value;
        } else {
            colours.fill(value);
        }
    }
    if (bRedraw)
        viewport()->update();
}

void CReportCtrl::SetItemInfoTip(int nItem, const QString& strTip)
{
    if (m_pModel->IsRow(nItem))
        m_pModel->SetInfoTip(nItem, strTip);
}

QString CReportCtrl::GetItemInfoTip(int nItem) const
{
    return m_pModel->IsRow(nItem) ? m_pModel->GetInfoTip(nItem) : QString();
}

void CReportCtrl::SetItemTextColor(int nItem, int nSubItem, const QColor& colour, bool bRedraw)
{
    SetCellColours(nItem, nSubItem, colour, true, bRedraw);
}

void CReportCtrl::SetItemBkColor(int nItem, int nSubItem, const QColor& colour, bool bRedraw)
{
    SetCellColours(nItem, nSubItem, colour, false, bRedraw);
}

QColor CReportCtrl::GetItemTextColor(int nItem, int nSubItem) const
{
    if (!m_pModel->IsRow(nItem))
        return {};
    return m_pModel->GetRowData(nItem).arrTextColors.value(nSubItem);
}

QColor CReportCtrl::GetItemBkColor(int nItem, int nSubItem) const
{
    if (!m_pModel->IsRow(nItem))
        return {};
    return m_pModel->GetRowData(nItem).arrBkColors.value(nSubItem);
}

void CReportCtrl::ApplyRowColors(bool bHighlightSortColumn)
{
    static const QColor kError(255, 225, 241);
    static const QColor kOddSorted(227, 230, 242);
    static const QColor kOdd(244, 245, 252);
    static const QColor kEvenSorted(241, 242, 247);
    static const QColor kEven(255, 255, 255);

    SetRedraw(false);
    const int nSortCol = m_arrSortInfo.isEmpty() ? -1 : m_arrSortInfo.first().nCol;
    for (int nRow = 0; nRow < GetItemCount(); ++nRow) {
        const bool bError =
            m_pRecordAccess && m_pRecordAccess->IsErrorRow(GetItemData(nRow));
        const bool bOdd = (nRow % 2) != 0;
        for (int nCol = 0; nCol < GetColumnCount(); ++nCol) {
            const bool bSorted = bHighlightSortColumn && nCol == nSortCol;
            const QColor& colour = bError ? kError
                                 : bOdd   ? (bSorted ? kOddSorted : kOdd)
                                          : (bSorted ? kEvenSorted : kEven);
            SetItemBkColor(nRow, nCol, colour, false);
        }
    }
    SetRedraw(true);
}

void CReportCtrl::SetRedraw(bool bRedraw)
{
    viewport()->setUpdatesEnabled(bRedraw);
    if (bRedraw)
        viewport()->update();
}

void CReportCtrl::SetHiddenWidth(int nCol, bool bHidden)
{
    m_pHeader->setSectionResizeMode(nCol, bHidden ? QHeaderView::Fixed : QHeaderView::Interactive);
}

int CReportCtrl::FirstVisiblePosition(int nExceptCol) const
{
    for (int nVisual = 0; nVisual < m_pHeader->count(); ++nVisual) {
        const int nCol = m_pHeader->logicalIndex(nVisual);
        if (nCol != nExceptCol && m_arrColumns[nCol].bVisible)
            return nVisual;
    }
    return -1;
}

// A header drag may not put a column among the hidden ones at the left.
void CReportCtrl::OnSectionMoved(int nCol, int /*nOldVisual*/, int nNewVisual)
{
    if (m_bReordering)
        return;
    EndEdit(false);
    int nLastHidden = -1;
    for (int nVisual = 0; nVisual < m_pHeader->count(); ++nVisual) {
        if (!m_arrColumns[m_pHeader->logicalIndex(nVisual)].bVisible)
            nLastHidden = nVisual;
    }
    if (FirstVisiblePosition(nCol) < 0 || nLastHidden < nNewVisual)
        return;
    m_bReordering = true;
    m_pHeader->moveSection(nNewVisual, nLastHidden);
    m_bReordering = false;
}

void CReportCtrl::OnTrackStarting(int /*nCol*/)
{
    EndEdit(false);
}

std::unique_ptr<QMenu> CReportCtrl::BuildColumnMenu()
{
    auto menu = std::make_unique<QMenu>(this);
    for (int nCol = 0; nCol < GetColumnCount(); ++nCol) {
        if (nCol == 3)
            menu->addSeparator();
        QAction* action = menu->addAction(GetColumnHeading(nCol).left(511));
        action->setData(nCol);
        action->setCheckable(true);
        action->setChecked(IsColumnVisible(nCol));
        action->setEnabled(nCol > 1);
    }
    return menu;
}

void CReportCtrl::ShowColumnMenu(QPoint globalPos)
{
    std::unique_ptr<QMenu> menu = BuildColumnMenu();
    const QAction* chosen = menu->exec(globalPos);
    if (chosen)
        OnCommand(chosen->data().toInt());
}

void CReportCtrl::OnCommand(int nId)
{
    if (m_pModel->IsColumn(nId))
        ShowColumn(nId, !IsColumnVisible(nId));
}

void CReportCtrl::OnScrolled()
{
    if (!m_bPlacingEdit)
        EndEdit(false);
}

int CReportCtrl::HintIndex(std::uint32_t nTick)
{
    return static_cast<int>((nTick / kHintPeriodMs) % kHintCount);
}

QString CReportCtrl::HintText(int nIndex)
{
    static const std::array<const char*, kHintCount> kHints = {
        "Load your files by clicking the \"Add Files\" toolbar button",
        "Right click items in the file list, then click the floating popup menu to perform "
        "various file operations",
        "Click the column header to sort the file list",
        "Right click the column header, then click the floating popup menu to show/hide columns",
    };
    return nIndex >= 0 && nIndex < kHintCount ? QString::fromUtf8(kHints[static_cast<size_t>(nIndex)])
                                              : QString();
}

void CReportCtrl::OnHintTimer()
{
    if (GetItemCount() == 0 && HintIndex(GetTickCount32()) != m_nPaintedHint)
        viewport()->update();
}

void CReportCtrl::paintEvent(QPaintEvent* event)
{
    QTreeView::paintEvent(event);
    if (!m_bShowHints || GetItemCount() != 0)
        return;
    const int nHint = HintIndex(GetTickCount32());
    const QString strHint = HintText(nHint);

    QPainter painter(viewport());
    QFont font(QStringLiteral("Trebuchet MS"));
    font.setPointSizeF(15.6);
    painter.setFont(font);
    QRect area = viewport()->rect();
    const int nLineHeight = painter.fontMetrics().height();
    area.setTop(area.top() + area.height() / 2 - nLineHeight);
    painter.setPen(QColor(106, 106, 255));
    painter.setBackground(Qt::white);
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.drawText(area, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, strHint);
    m_nPaintedHint = nHint;
}

void CReportCtrl::keyPressEvent(QKeyEvent* event)
{
    if (HandleKey(event))
        return;
    const bool bKeypadPlus = event->key() == Qt::Key_Plus
        && (event->modifiers() & Qt::KeypadModifier) && (event->modifiers() & Qt::ControlModifier);
    if (bKeypadPlus) {
        AutoSizeColumn(-1, false);
        return;
    }
    QTreeView::keyPressEvent(event);
}

void CReportCtrl::wheelEvent(QWheelEvent* event)
{
    EndEdit(false);
    QTreeView::wheelEvent(event);
}
