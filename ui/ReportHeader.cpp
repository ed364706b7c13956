#include "ReportHeader.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QStyle>

CReportHeader::CReportHeader(QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent)
{
    setContextMenuPolicy(Qt::DefaultContextMenu);
}

int CReportHeader::DividerAt(QPoint pos) const
{
    const int nMargin = style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, this);
    // Walk from the right so that, where zero-width sections share a divider,
    // the rightmost section wins, as it is the one a drag would resize.
    for (int nVisual = count() - 1; nVisual >= 0; --nVisual) {
        const int nCol = logicalIndex(nVisual);
        const int nRight = sectionViewportPosition(nCol) + sectionSize(nCol);
        if (pos.x() >= nRight - nMargin && pos.x() <= nRight + nMargin)
            return nCol;
    }
    return -1;
}

void CReportHeader::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const int nCol = DividerAt(event->position().toPoint());
        if (nCol >= 0)
            emit trackStarting(nCol);
    }
    QHeaderView::mousePressEvent(event);
}

void CReportHeader::mouseDoubleClickEvent(QMouseEvent* event)
{
    const int nCol = event->button() == Qt::LeftButton ? DividerAt(event->position().toPoint()) : -1;
    if (nCol < 0) {
        QHeaderView::mouseDoubleClickEvent(event);
        return;
    }
    emit dividerDoubleClicked(nCol);
    event->accept();
}

void CReportHeader::contextMenuEvent(QContextMenuEvent* event)
{
    // A menu asked for from the keyboard has no point on the header.
    if (event->reason() == QContextMenuEvent::Keyboard)
        return;
    emit columnMenuRequested(event->globalPos());
    event->accept();
}
