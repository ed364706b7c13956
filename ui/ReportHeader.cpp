#include "ReportHeader.h"

#include <algorithm>

#include <QContextMenuEvent>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionHeaderV2>

#include "ReportModel.h"

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

// Qt's styles draw a section's image left of its text. An image on the right
// is drawn here instead: text and image form one block that the section's
// alignment places, the text giving way when the section is narrow.
void CReportHeader::paintSection(QPainter* painter, const QRect& rect, int nCol) const
{
    const QIcon image = model() ? model()->headerData(nCol, orientation(), ReportModel::HeaderImageOnRightRole)
                                      .value<QIcon>()
                                : QIcon();
    if (image.isNull()) {
        QHeaderView::paintSection(painter, rect, nCol);
        return;
    }

    QStyleOptionHeaderV2 option;
    initStyleOption(&option);
    initStyleOptionForIndex(&option, nCol);
    option.rect = rect;
    option.icon = QIcon();
    const QRect label = style()->subElementRect(QStyle::SE_HeaderLabel, &option, this);

    QStyleOptionHeaderV2 section = option;
    section.text.clear();
    painter->save();
    style()->drawControl(QStyle::CE_Header, &section, painter, this);
    painter->restore();

    constexpr int kGap = 4;
    const int nImage = style()->pixelMetric(QStyle::PM_SmallIconSize, &option, this);
    const int nText = std::min(fontMetrics().horizontalAdvance(option.text),
                               std::max(0, label.width() - nImage - kGap));
    const int nBlock = nText + kGap + nImage;
    int x = label.left();
    if (option.textAlignment & Qt::AlignRight)
        x = label.right() + 1 - nBlock;
    else if (option.textAlignment & Qt::AlignHCenter)
        x = label.left() + (label.width() - nBlock) / 2;
    x = std::max(x, label.left());

    QStyleOptionHeaderV2 text = option;
    text.rect = QRect(x, label.top(), nText, label.height());
    text.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    painter->save();
    painter->setClipRect(rect);
    style()->drawControl(QStyle::CE_HeaderLabel, &text, painter, this);
    image.paint(painter, QRect(x + nText + kGap, label.top() + (label.height() - nImage) / 2, nImage, nImage));
    painter->restore();
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
