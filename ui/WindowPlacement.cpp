#include "WindowPlacement.h"

#include <algorithm>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QtEndian>

namespace {

void PutField(char*& out, std::uint32_t value)
{
    qToLittleEndian(value, out);
    out += 4;
}

std::uint32_t TakeField(const char*& in)
{
    const std::uint32_t value = qFromLittleEndian<std::uint32_t>(in);
    in += 4;
    return value;
}

int TakeSigned(const char*& in)
{
    return static_cast<std::int32_t>(TakeField(in));
}

// Sizes and positions beyond this are garbage, not a desktop.
constexpr std::int64_t kCoordinateLimit = 1 << 20;

// The stored normal rectangle as geometry; a size that is not positive or
// not plausible is replaced by the fallback.
QRect NormalGeometryOf(const WinRect& rc, QSize fallback)
{
    const std::int64_t width = std::int64_t{rc.right} - rc.left;
    const std::int64_t height = std::int64_t{rc.bottom} - rc.top;
    const bool bPlausible = width > 0 && height > 0 && width <= kCoordinateLimit
                            && height <= kCoordinateLimit;
    const auto clampCoordinate = [](int value) {
        return static_cast<int>(std::clamp<std::int64_t>(value, -kCoordinateLimit, kCoordinateLimit));
    };
    return QRect(QPoint(clampCoordinate(rc.left), clampCoordinate(rc.top)),
                 bPlausible ? QSize(static_cast<int>(width), static_cast<int>(height)) : fallback);
}

// Brings a rectangle that no screen shows back onto the primary screen,
// centred and no larger than its available area.
QRect OnSomeScreen(QRect rect)
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (const QScreen* screen : screens) {
        if (screen->availableGeometry().intersects(rect))
            return rect;
    }
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return rect;
    const QRect area = primary->availableGeometry();
    rect.setSize(rect.size().boundedTo(area.size()));
    rect.moveCenter(area.center());
    return rect;
}

} // namespace

QByteArray WindowPlacement::ToBytes() const
{
    QByteArray bytes(kRecordSize, '\0');
    char* out = bytes.data();
    PutField(out, kRecordSize);
    PutField(out, flags);
    PutField(out, showCmd);
    for (const int value : {ptMinPosition.x(), ptMinPosition.y(), ptMaxPosition.x(),
                            ptMaxPosition.y(), rcNormalPosition.left, rcNormalPosition.top,
                            rcNormalPosition.right, rcNormalPosition.bottom})
        PutField(out, static_cast<std::uint32_t>(value));
    return bytes;
}

std::optional<WindowPlacement> WindowPlacement::FromBytes(const QByteArray& bytes)
{
    if (bytes.size() < kRecordSize)
        return std::nullopt;
    const char* in = bytes.constData();
    WindowPlacement placement;
    placement.length = TakeField(in);
    placement.flags = TakeField(in);
    placement.showCmd = TakeField(in);
    const int minX = TakeSigned(in);
    placement.ptMinPosition = QPoint(minX, TakeSigned(in));
    const int maxX = TakeSigned(in);
    placement.ptMaxPosition = QPoint(maxX, TakeSigned(in));
    placement.rcNormalPosition.left = TakeSigned(in);
    placement.rcNormalPosition.top = TakeSigned(in);
    placement.rcNormalPosition.right = TakeSigned(in);
    placement.rcNormalPosition.bottom = TakeSigned(in);
    return placement;
}

bool WindowPlacement::IsMinimized() const
{
    return showCmd == SW_SHOWMINIMIZED || showCmd == SW_MINIMIZE || showCmd == SW_SHOWMINNOACTIVE
           || showCmd == SW_FORCEMINIMIZE;
}

bool WindowPlacement::IsMaximized() const
{
    return showCmd == SW_SHOWMAXIMIZED;
}

std::optional<WindowPlacement> GetWindowPlacement(const QWidget* window)
{
    if (!window)
        return std::nullopt;
    const QWidget* top = window->window();
    WindowPlacement placement;
    const Qt::WindowStates state = top->windowState();
    if (state & Qt::WindowMinimized) {
        placement.showCmd = SW_SHOWMINIMIZED;
        if (state & Qt::WindowMaximized)
            placement.flags = WPF_RESTORETOMAXIMIZED;
    } else if (state & Qt::WindowMaximized) {
        placement.showCmd = SW_SHOWMAXIMIZED;
    }
    placement.rcNormalPosition = WinRect::FromQRect(top->normalGeometry());
    return placement;
}

void SetWindowPlacement(QWidget* window, const WindowPlacement& placement)
{
    if (!window)
        return;
    QWidget* top = window->window();
    const QRect normal =
        OnSomeScreen(NormalGeometryOf(placement.rcNormalPosition, top->normalGeometry().size()));

    top->setWindowState(Qt::WindowNoState);
    top->setGeometry(normal);
    if (placement.IsMinimized()) {
        top->setWindowState((placement.flags & WPF_RESTORETOMAXIMIZED)
                                ? Qt::WindowMinimized | Qt::WindowMaximized
                                : Qt::WindowMinimized);
    } else if (placement.IsMaximized()) {
        top->setWindowState(Qt::WindowMaximized);
    }
}
