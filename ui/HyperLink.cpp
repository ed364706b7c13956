#include "HyperLink.h"

#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QFileInfo>
#include <QMouseEvent>
#include <QUrl>

#include "UserInteraction.h"

namespace {

// Codes of a failed open, as the error table numbers them.
constexpr int kErrorFileNotFound = 2;
constexpr int kErrorNoAssociation = 31;
// Any value above 32 reports success.
constexpr int kOpenSucceeded = 33;

// A local path or file: address that names nothing on disk; such an open
// fails with "file not found" rather than "no application".
bool IsMissingLocalFile(const QString& strAddress)
{
    const QUrl url(strAddress);
    if (url.isLocalFile())
        return !QFileInfo::exists(url.toLocalFile());
    return QDir::isAbsolutePath(strAddress) && !QFileInfo::exists(strAddress);
}

} // namespace

CHyperLink::CHyperLink(const QString& strText, QWidget* parent)
    : QLabel(strText, parent)
    , m_strLinkTarget(strText)
{
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setCursor(Qt::PointingHandCursor);
    setToolTip(m_strLinkTarget);
    UpdateLook();
    FitToText();
}

void CHyperLink::SetLinkTarget(const QString& strAddress)
{
    m_strLinkTarget = strAddress;
    FitToText();
    setToolTip(m_strLinkTarget);
}

int CHyperLink::OpenLink(const QString& strAddress)
{
    if (Interaction().OpenWithDefault(strAddress))
        return kOpenSucceeded;
    // Where the opener knows nothing for the address, the application that
    // shows web pages may still take it.
    if (Interaction().OpenWithWebPageHandler(strAddress))
        return kOpenSucceeded;
    return IsMissingLocalFile(strAddress) ? kErrorFileNotFound : kErrorNoAssociation;
}

QString CHyperLink::OpenErrorText(int nCode)
{
    switch (nCode) {
    case 0:
        return QStringLiteral("The operating system is out\nof memory or resources.");
    case 2:
        return QStringLiteral("The specified file was not found.");
    case 3:
        return QStringLiteral("The specified path was not found.");
    case 5:
        return QStringLiteral("The operating system denied\naccess to the specified file.");
    case 8:
        return QStringLiteral("There was not enough memory to complete the operation.");
    case 11:
        return QStringLiteral("The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).");
    case 26:
        return QStringLiteral("A sharing violation occurred. ");
    case 27:
        return QStringLiteral("The filename association is\nincomplete or invalid.");
    case 28:
        return QStringLiteral("The DDE transaction could not\nbe completed because the request timed out.");
    case 29:
        return QStringLiteral("The DDE transaction failed.");
    case 30:
        return QStringLiteral("The DDE transaction could not\nbe completed because other DDE transactions\n"
                              "were being processed.");
    case 31:
        return QStringLiteral("There is no application associated\nwith the given filename extension.");
    case 32:
        return QStringLiteral("The specified dynamic-link library was not found.");
    default:
        return QStringLiteral("Unknown Error (%1) occurred.").arg(nCode);
    }
}

void CHyperLink::ShowOpenError(int nCode, QWidget* parent)
{
    Interaction().MessageBox(parent, QStringLiteral("Unable to open hyperlink:\n\n") + OpenErrorText(nCode),
                             ApplicationName(), MB_ICONWARNING | MB_OK);
}

void CHyperLink::FitToText()
{
    if (!m_bFitToText)
        return;
    QFont underlined = font();
    underlined.setUnderline(true);
    const QSize textSize = QFontMetrics(underlined).size(Qt::TextSingleLine, text());
    const QRect window = geometry();
    const QRect client = contentsRect();
    const int height = textSize.height() + (window.height() - client.height());
    const int width = textSize.width() + (window.width() - client.width());

    const Qt::Alignment align = alignment();
    int top = window.top();
    if (align & Qt::AlignVCenter)
        top = window.top() + (window.height() - height) / 2;
    int left = window.left();
    if (align & Qt::AlignHCenter)
        left = window.left() + (window.width() - width) / 2;
    else if (align & Qt::AlignRight)
        left = window.left() + window.width() - width;
    setGeometry(left, top, width, height);
}

QColor CHyperLink::CurrentTextColor() const
{
    if (m_bHovering)
        return m_clrHover;
    return m_bVisited ? m_clrVisited : m_clrLink;
}

void CHyperLink::enterEvent(QEnterEvent* event)
{
    SetHovering(true);
    QLabel::enterEvent(event);
}

void CHyperLink::leaveEvent(QEvent* event)
{
    SetHovering(false);
    QLabel::leaveEvent(event);
}

void CHyperLink::mouseMoveEvent(QMouseEvent* event)
{
    // A click clears the hover state while the pointer is still over the
    // link; the next move brings it back.
    if (rect().contains(event->position().toPoint()))
        SetHovering(true);
    QLabel::mouseMoveEvent(event);
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        OnClicked();
}

void CHyperLink::SetHovering(bool bHovering)
{
    if (m_bHovering == bHovering)
        return;
    m_bHovering = bHovering;
    UpdateLook();
}

void CHyperLink::OnClicked()
{
    m_bHovering = false;
    const int nCode = OpenLink(m_strLinkTarget);
    if (nCode <= 32) {
        QApplication::beep();
        ShowOpenError(nCode, this);
    } else {
        m_bVisited = true;
    }
    UpdateLook();
}

void CHyperLink::UpdateLook()
{
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, CurrentTextColor());
    setPalette(colours);
    // The underline is only ever set while hovering.
    if (font().underline() != m_bHovering) {
        QFont face = font();
        face.setUnderline(m_bHovering);
        setFont(face);
    }
    update();
}
