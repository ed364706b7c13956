#include "StatusBar.h"

#include <QLabel>
#include <QSizeGrip>

CStatusBar::CStatusBar(QWidget* parent)
    : QWidget(parent)
    , m_pGrip(new QSizeGrip(this))
{
    setFixedHeight(kHeight);
    // The grip sizes the top-level window; a child grip would otherwise
    // only resize the bar.
    m_pGrip->setFixedSize(kHeight - 4, kHeight - 4);
}

bool CStatusBar::SetParts(const QList<int>& arrRightEdges)
{
    while (m_arrPanes.size() < arrRightEdges.size()) {
        auto* pane = new QLabel(this);
        pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        pane->setTextFormat(Qt::PlainText);
        pane->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        pane->show();
        m_arrPanes.append(pane);
    }
    while (m_arrPanes.size() > arrRightEdges.size())
        delete m_arrPanes.takeLast();
    m_arrRightEdges = arrRightEdges;
    PlacePanes();
    return true;
}

QRect CStatusBar::GetRect(int nPane) const
{
    if (nPane < 0 || nPane >= m_arrPanes.size())
        return {};
    return m_arrPanes[nPane]->geometry();
}

void CStatusBar::SetText(int nPane, const QString& strText)
{
    if (nPane >= 0 && nPane < m_arrPanes.size())
        m_arrPanes[nPane]->setText(strText);
}

QString CStatusBar::GetText(int nPane) const
{
    return nPane >= 0 && nPane < m_arrPanes.size() ? m_arrPanes[nPane]->text() : QString();
}

void CStatusBar::SetTipText(int nPane, const QString& strTip)
{
    if (nPane >= 0 && nPane < m_arrPanes.size())
        m_arrPanes[nPane]->setToolTip(strTip);
}

QString CStatusBar::GetTipText(int nPane) const
{
    return nPane >= 0 && nPane < m_arrPanes.size() ? m_arrPanes[nPane]->toolTip() : QString();
}

void CStatusBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    PlacePanes();
}

void CStatusBar::PlacePanes()
{
    const int nGrip = m_pGrip->width();
    int nLeft = 0;
    for (int i = 0; i < m_arrPanes.size(); ++i) {
        const int nEdge = m_arrRightEdges[i];
        const int nRight = nEdge < 0 ? width() - nGrip : std::min(nEdge, width());
        m_arrPanes[i]->setGeometry(nLeft, 2, std::max(0, nRight - nLeft), height() - 2);
        nLeft = nRight;
    }
    m_pGrip->move(width() - nGrip, height() - m_pGrip->height());
    m_pGrip->raise();
}
