#include "ResizeDlg.h"

#include <QEvent>
#include <QRegion>
#include <QResizeEvent>

#include "DialogTemplate.h"
#include "SizeGripExt.h"
#include "UserInteraction.h"

CResizeDlg::CResizeDlg(const DialogTemplate& dlgTemplate, QWidget* parent,
                       const ControlFactory& factory)
    : QDialog(parent)
{
    ApplyDialogTemplate(this, dlgTemplate, factory);
}

bool CResizeDlg::AddAnchor(int nID, unsigned nModeLeft, unsigned nModeRight, unsigned nModeTop,
                           unsigned nModeBottom, unsigned nOptions, double dPosX, double dSizeX,
                           double dPosY, double dSizeY)
{
    const QWidget* control = GetDlgItem(nID);
    if (!control)
        return false;
    const AnchorInfo anchor =
        AnchorInfo::Make(nID, nModeLeft, nModeRight, nModeTop, nModeBottom, nOptions, dPosX, dSizeX,
                         dPosY, dSizeY, WinRect::FromQRect(control->geometry()), size());
    for (AnchorInfo& existing : m_arrAnchors) {
        if (existing.nID == nID) {
            existing = anchor;
            return true;
        }
    }
    m_arrAnchors.push_back(anchor);
    return true;
}

void CResizeDlg::HideSizeGrip()
{
    if (m_grip)
        m_grip->hide();
}

QWidget* CResizeDlg::GetDlgItem(int nID) const
{
    return ::GetDlgItem(this, nID);
}

void CResizeDlg::done(int nResult)
{
    CloseMessages();
    OnDestroy();
    QDialog::done(nResult);
}

LRESULT CResizeDlg::OnWindowMessage(UINT, WPARAM, LPARAM, std::unique_ptr<MessagePayload>&)
{
    return 0;
}

bool CResizeDlg::OnInitDialog()
{
    m_rcInitClient = m_rcPrevClient = ClientOnScreen();
    m_nLastState = windowState();
    m_grip = new CSizeGripExt(this);
    m_grip->Create(!isMaximized(), true, false);
    m_bInitialised = true;
    return true;
}

void CResizeDlg::OnDestroy()
{
    if (m_strPlacementId.isEmpty())
        return;
    if (!m_placement.SavePlacement(this, m_strPlacementId, QStringLiteral("Position")))
        Interaction().MessageBox(this, QStringLiteral("Fail to Save!"), ApplicationName(), MB_OK);
}

void CResizeDlg::showEvent(QShowEvent* event)
{
    if (!m_bInitCalled) {
        m_bInitCalled = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CResizeDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    const ResizeKind kind = CurrentResizeKind();
    if (kind == ResizeKind::Sized)
        m_nSizingEdge = SizingEdgeTo(ClientOnScreen());
    OnSize(kind);
}

void CResizeDlg::moveEvent(QMoveEvent* event)
{
    QDialog::moveEvent(event);
    // A move alone keeps the size; tracking the position lets the next
    // resize tell which edges were dragged.
    if (m_bInitialised && size() == m_rcPrevClient.size())
        m_rcPrevClient = ClientOnScreen();
}

void CResizeDlg::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    // Minimising and restoring need not change the size, so they come
    // without a resize event.
    if (event->type() == QEvent::WindowStateChange)
        OnSize(CurrentResizeKind());
}

QRect CResizeDlg::ClientOnScreen() const
{
    return QRect(mapToGlobal(QPoint(0, 0)), size());
}

ResizeKind CResizeDlg::CurrentResizeKind() const
{
    const Qt::WindowStates state = windowState();
    if (state & Qt::WindowMinimized)
        return ResizeKind::Minimized;
    if (state & Qt::WindowMaximized)
        return ResizeKind::Maximized;
    if (m_nLastState & (Qt::WindowMinimized | Qt::WindowMaximized))
        return ResizeKind::Restored;
    return ResizeKind::Sized;
}

int CResizeDlg::SizingEdgeTo(const QRect& rcClient) const
{
    // Qt does not say which edge the user drags. An edge that moved while
    // the opposite one stayed is the dragged one; in every other case (the
    // size set by code, the grip, both edges moved) it counts as the right
    // or the bottom edge.
    const WinRect prev = WinRect::FromQRect(m_rcPrevClient);
    const WinRect now = WinRect::FromQRect(rcClient);
    const bool bWidthChanged = prev.Width() != now.Width();
    const bool bHeightChanged = prev.Height() != now.Height();
    const bool bLeft = bWidthChanged && now.left != prev.left && now.right == prev.right;
    const bool bTop = bHeightChanged && now.top != prev.top && now.bottom == prev.bottom;
    if (bWidthChanged && bHeightChanged) {
        if (bTop)
            return bLeft ? WMSZ_TOPLEFT : WMSZ_TOPRIGHT;
        return bLeft ? WMSZ_BOTTOMLEFT : WMSZ_BOTTOMRIGHT;
    }
    if (bWidthChanged)
        return bLeft ? WMSZ_LEFT : WMSZ_RIGHT;
    if (bHeightChanged)
        return bTop ? WMSZ_TOP : WMSZ_BOTTOM;
    return WMSZ_NONE;
}

void CResizeDlg::OnSize(ResizeKind kind)
{
    if (!m_bInitialised)
        return;
    m_nLastState = windowState();
    if (kind == ResizeKind::Minimized)
        return;
    const QRect rcClient = ClientOnScreen();
    const unsigned nEdgeMask = EdgeMaskOf(kind, m_nSizingEdge);
    if (nEdgeMask != 0 && !m_arrAnchors.empty())
        MoveAnchors(nEdgeMask, rcClient);
    m_rcPrevClient = rcClient;
    m_nSizingEdge = WMSZ_NONE;
    m_grip->m_bShown = !isMaximized();
    m_grip->UpdatePosition();
}

void CResizeDlg::MoveAnchors(unsigned nEdgeMask, const QRect& rcClient)
{
    const ClientSizes sizes{rcClient.size(), m_rcPrevClient.size(), m_rcInitClient.size()};
    struct PendingMove
    {
        QWidget* control;
        QRect rcTarget;
    };
    std::vector<PendingMove> batch;
    batch.reserve(m_arrAnchors.size());
    QRegion repaintAfter;
    for (AnchorInfo& anchor : m_arrAnchors) {
        QWidget* control = GetDlgItem(anchor.nID);
        if (!control)
            continue;
        const QRect rcActual = control->geometry();
        const std::optional<WinRect> rcNew = anchor.Move(WinRect::FromQRect(rcActual), nEdgeMask, sizes);
        if (!rcNew)
            continue;
        batch.push_back({control, rcNew->ToQRect()});
        if (anchor.bRepaintOnMove)
            repaintAfter += rcActual;
    }
    // All controls take their new places before anything repaints, so no
    // frame shows half of them moved.
    setUpdatesEnabled(false);
    for (const PendingMove& move : batch)
        move.control->setGeometry(move.rcTarget);
    setUpdatesEnabled(true);
    if (!repaintAfter.isEmpty())
        repaint(repaintAfter);
}
