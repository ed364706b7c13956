#pragma once

#include <QColor>
#include <QLabel>
#include <QString>

// A label that looks and acts like a web link: blue until it has been
// opened once, purple afterwards, red and underlined while the pointer is
// over it; a hand cursor and a tooltip with the address; a click opens the
// address with the desktop's default handler and explains a failure.
class CHyperLink : public QLabel
{
public:
    // A link with no target takes its text as the target; a link with no
    // text shows nothing until a text is set.
    explicit CHyperLink(const QString& strText = QString(), QWidget* parent = nullptr);

    void SetLinkTarget(const QString& strAddress);
    const QString& LinkTarget() const { return m_strLinkTarget; }

    // Opens the address; a result above 32 means success, otherwise it is
    // the error code ShowOpenError explains (2: a local file that does not
    // exist, 31: no application would open the address).
    static int OpenLink(const QString& strAddress);
    static void ShowOpenError(int nCode, QWidget* parent = nullptr);
    static QString OpenErrorText(int nCode);

    // Resizes the control to its text in the underlined font, keeping the
    // edge or centre its alignment keeps.
    void FitToText();

    bool IsHovering() const { return m_bHovering; }
    bool IsVisited() const { return m_bVisited; }
    QColor CurrentTextColor() const;

    const QColor m_clrLink{0, 0, 238};
    const QColor m_clrVisited{85, 26, 139};
    const QColor m_clrHover{255, 0, 0};

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void SetHovering(bool bHovering);
    void OnClicked();
    void UpdateLook();

    bool m_bHovering = false;
    bool m_bVisited = false;
    bool m_bFitToText = true;
    QString m_strLinkTarget;
};
