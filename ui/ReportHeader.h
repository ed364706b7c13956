#pragma once

#include <QHeaderView>

// The header of CReportCtrl. It reports what the list must react to before
// Qt's own handling: the start of a divider drag, a divider double-click
// (which it handles instead of Qt's resize to contents) and a request for the
// column menu.
class CReportHeader : public QHeaderView
{
    Q_OBJECT

public:
    explicit CReportHeader(QWidget* parent = nullptr);

    // The column whose right divider lies under the point, or -1.
    int DividerAt(QPoint pos) const;

signals:
    void trackStarting(int nCol);
    void dividerDoubleClicked(int nCol);
    void columnMenuRequested(QPoint globalPos);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int nCol) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
};
