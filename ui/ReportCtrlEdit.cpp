#include "ReportCtrl.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>

#include "ReportHeader.h"
#include "ReportModel.h"

namespace {

Qt::Alignment EditAlignment(int dwEditAlign)
{
    switch (dwEditAlign) {
    case 1:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case 2:
        return Qt::AlignRight | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

} // namespace

void CReportCtrl::SetEditable(bool bEditable)
{
    if (!bEditable)
        EndEdit(true);
    m_bEditable = bEditable;
}

bool CReportCtrl::AddEditableColumn(int nCol)
{
    if (!m_pModel->IsColumn(nCol) || m_arrEditableCols.contains(nCol))
        return false;
    m_arrEditableCols.append(nCol);
    return true;
}

bool CReportCtrl::IsEditableColumn(int nCol) const
{
    return m_arrEditableCols.contains(nCol);
}

bool CReportCtrl::IsEditing() const
{
    return m_pModel->IsRow(m_nEditItem) && m_pModel->IsColumn(m_nEditSubItem);
}

QRect CReportCtrl::EditRect(int nItem, int nSubItem) const
{
    QRect rect = visualRect(m_pModel->index(nItem, nSubItem));
    // The editor covers the text, not the cell's image.
    const int nImage = m_pModel->GetImage(nItem, nSubItem);
    if (nImage >= 0 && nImage < m_pModel->GetImages().size())
        rect.setLeft(rect.left() + style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this));
    return rect;
}

bool CReportCtrl::BeginEdit(int nItem, int nSubItem)
{
    if (!m_pModel->IsRow(nItem) || !m_pModel->IsColumn(nSubItem))
        return false;
    if (IsEditing() && nItem == m_nEditItem && nSubItem == m_nEditSubItem)
        return true;
    EndEdit(true);
    // The owner's answer to a committed edit may have removed rows.
    if (!m_pModel->IsRow(nItem) || !m_pModel->IsColumn(nSubItem))
        return false;

    m_bPlacingEdit = true;
    m_nEditItem = nItem;
    m_nEditSubItem = nSubItem;
    selectionModel()->clearSelection();
    SetItemStates(nItem, ROW_SELECTED | ROW_FOCUSED);

    int dwAlign = 0;
    if (!isHeaderHidden()) {
        const int nFormat = m_pModel->GetHeading(nSubItem).nFormat;
        dwAlign = nFormat == LVCFMT_CENTER ? 1 : nFormat == LVCFMT_RIGHT ? 2 : 0;
    }
    if (dwAlign != m_dwEditAlign) {
        m_dwEditAlign = dwAlign;
        m_pEdit->setAlignment(EditAlignment(dwAlign));
    }
    m_pEdit->setFont(font());

    const QString strText = m_pModel->GetText(nItem, nSubItem);
    m_pEdit->setText(strText);
    m_pEdit->setGeometry(EditRect(nItem, nSubItem));
    m_pEdit->show();
    const qsizetype nDot = strText.lastIndexOf(u'.');
    m_pEdit->setSelection(0, static_cast<int>(nDot < 0 ? strText.size() : nDot));
    m_pEdit->setFocus(Qt::OtherFocusReason);
    // Focus and selection may have scrolled the list.
    m_pEdit->setGeometry(EditRect(nItem, nSubItem));
    if (nSubItem == 0)
        m_strEditStartText = strText;
    m_bPlacingEdit = false;
    return true;
}

bool CReportCtrl::EndEdit(bool bCommit)
{
    if (!IsEditing())
        return false;
    const QString strText = m_pEdit->text();
    bool bChanged = false;
    if (bCommit && strText != m_pModel->GetText(m_nEditItem, m_nEditSubItem)) {
        m_pModel->SetText(m_nEditItem, m_nEditSubItem, strText);
        const ReportCell cell{m_nEditItem, m_nEditSubItem};
        m_pNotifyWnd.SendMessage(WM_LIST_EDITCOMMITTED, reinterpret_cast<WPARAM>(&cell),
                                 reinterpret_cast<LPARAM>(this));
        bChanged = true;
    }
    const bool bHadFocus = m_pEdit->hasFocus();
    m_nEditItem = m_nEditSubItem = -1;
    m_pEdit->hide();
    if (bHadFocus)
        setFocus(Qt::OtherFocusReason);
    return bChanged;
}

void CReportCtrl::mousePressEvent(QMouseEvent* event)
{
    OnMouseButton(event, false);
}

void CReportCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    OnMouseButton(event, true);
}

void CReportCtrl::OnMouseButton(QMouseEvent* event, bool bDoubleClick)
{
    const auto passOn = [&] {
        if (bDoubleClick)
            QTreeView::mouseDoubleClickEvent(event);
        else
            QTreeView::mousePressEvent(event);
    };
    if (event->button() != Qt::LeftButton) {
        EndEdit(true);
        passOn();
        return;
    }
    const QPoint pos = event->position().toPoint();
    const QModelIndex hit = indexAt(pos);
    if (!hit.isValid()) {
        // Empty space keeps the selection, so that a double-click there acts
        // on the rows selected before it.
        EndEdit(true);
        setFocus(Qt::MouseFocusReason);
        if (bDoubleClick)
            emit listDoubleClicked();
        return;
    }
    const int nItem = hit.row();
    const int nSubItem = m_pHeader->logicalIndexAt(pos.x());

    const bool bWasEditing = IsEditing();
    EndEdit(true);
    const unsigned dwCurrent = ROW_SELECTED | ROW_FOCUSED;
    const bool bWasCurrent = nItem >= 0 && (GetItemStates(nItem) & dwCurrent) == dwCurrent;
    passOn();
    if (m_bEditable && !bWasEditing && bWasCurrent && IsEditableColumn(nSubItem))
        BeginEdit(nItem, nSubItem);
    if (bDoubleClick)
        emit listDoubleClicked();
}

bool CReportCtrl::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pEdit && event->type() == QEvent::KeyPress)
        return HandleKey(static_cast<QKeyEvent*>(event));
    return QTreeView::eventFilter(watched, event);
}

bool CReportCtrl::HandleKey(QKeyEvent* event)
{
    const int nKey = event->key();
    if (!IsEditing())
        return nKey == Qt::Key_Space;

    const int nItem = m_nEditItem;
    const int nSubItem = m_nEditSubItem;
    switch (nKey) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
        const bool bBack = nKey == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
        const int nCount = static_cast<int>(m_arrEditableCols.size());
        EndEdit(true);
        if (nCount == 0)
            return true;
        const int nAt = static_cast<int>(m_arrEditableCols.indexOf(nSubItem));
        const int nNext = m_arrEditableCols[bBack ? (nCount + nAt - 1 + nCount) % nCount
                                                  : (nAt + 1) % nCount];
        EnsureColumnVisible(nNext, false);
        BeginEdit(nItem, nNext);
        return true;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
        EndEdit(true);
        return true;
    case Qt::Key_Escape:
        EndEdit(false);
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const int nCount = GetItemCount();
        const int nNext = nKey == Qt::Key_Up ? (nCount + nItem - 1) % nCount : (nItem + 1) % nCount;
        EndEdit(true);
        EnsureVisible(nNext, false);
        BeginEdit(nNext, nSubItem);
        return true;
    }
    default:
        return false;
    }
}
