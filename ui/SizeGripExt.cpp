#include "SizeGripExt.h"

#include <QEvent>
#include <QPolygon>
#include <QRegion>
#include <QStyle>

CSizeGripExt::CSizeGripExt(QWidget* parent)
    : QSizeGrip(parent)
    , m_size(GripSize())
{
    resize(m_size);
    // The dialog manager's Tab order never stops on the grip.
    setFocusPolicy(Qt::NoFocus);
}

void CSizeGripExt::Create(bool bShown, bool bTriangular, bool bTransparent)
{
    SetTriangular(bTriangular);
    SetTransparent(bTransparent);
    m_bShown = bShown;
    UpdatePosition();
}

void CSizeGripExt::UpdatePosition()
{
    QWidget* parent = parentWidget();
    if (!parent)
        return;
    const QRect client = parent->rect();
    move(client.x() + client.width() - m_size.width(), client.y() + client.height() - m_size.height());
    lower();
    setVisible(m_bShown);
}

void CSizeGripExt::SetTriangular(bool bOn)
{
    m_bTriangular = bOn;
    ApplyShape();
}

void CSizeGripExt::SetTransparent(bool bOn)
{
    // Opaque, the grip fills its square with the dialog's button face
    // before the style draws the grip lines.
    setAutoFillBackground(!bOn);
    update();
}

void CSizeGripExt::changeEvent(QEvent* event)
{
    QSizeGrip::changeEvent(event);
    if (event->type() != QEvent::StyleChange)
        return;
    // The style decides the grip's size; keep its lower-right corner where
    // it was when that size changes.
    const QSize newSize = GripSize();
    if (newSize == m_size)
        return;
    const QPoint corner = geometry().topLeft() + QPoint(m_size.width(), m_size.height());
    m_size = newSize;
    setGeometry(QRect(corner - QPoint(m_size.width(), m_size.height()), m_size));
    ApplyShape();
}

QSize CSizeGripExt::GripSize() const
{
    const int nExtent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    return QSize(nExtent, nExtent);
}

void CSizeGripExt::ApplyShape()
{
    resize(m_size);
    if (!m_bTriangular) {
        clearMask();
        return;
    }
    const int w = m_size.width();
    const int h = m_size.height();
    setMask(QRegion(QPolygon({QPoint(0, h), QPoint(w, h), QPoint(w, 0)}), Qt::WindingFill));
}
