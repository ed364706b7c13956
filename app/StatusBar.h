#pragma once

#include <QList>
#include <QString>
#include <QWidget>

class QLabel;
class QSizeGrip;

// The main window's status bar: panes side by side, each with its text and
// its own tooltip, and a size grip at the right end.
class CStatusBar : public QWidget
{
public:
    static constexpr int kHeight = 25;

    explicit CStatusBar(QWidget* parent);

    // One pane per right edge, in pixels from the bar's left; -1 reaches to
    // the right end.
    bool SetParts(const QList<int>& arrRightEdges);
    int GetParts() const { return static_cast<int>(m_arrPanes.size()); }
    // The pane's rectangle in the bar's coordinates.
    QRect GetRect(int nPane) const;

    void SetText(int nPane, const QString& strText);
    QString GetText(int nPane) const;
    void SetTipText(int nPane, const QString& strTip);
    QString GetTipText(int nPane) const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlacePanes();

    QList<QLabel*> m_arrPanes;
    QList<int> m_arrRightEdges;
    QSizeGrip* m_pGrip;
};
