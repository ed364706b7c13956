#pragma once

#include <cstdint>
#include <optional>

#include <QByteArray>
#include <QPoint>

#include "WinRect.h"

class QWidget;

// Show commands and flags of a placement record.
enum : std::uint32_t {
    SW_HIDE = 0,
    SW_SHOWNORMAL = 1,
    SW_SHOWMINIMIZED = 2,
    SW_SHOWMAXIMIZED = 3,
    SW_MINIMIZE = 6,
    SW_SHOWMINNOACTIVE = 7,
    SW_FORCEMINIMIZE = 11,
    WPF_RESTORETOMAXIMIZED = 0x2,
};

// A window's placement: show state and the geometry it has when neither
// minimised nor maximised. Stored as a 44-byte record of little-endian
// 32-bit fields: length, flags, show command, minimised position (x, y),
// maximised position (x, y), normal rectangle (left, top, right, bottom).
// The normal rectangle is the window's client geometry on the desktop; the
// frame around it belongs to the window manager.
struct WindowPlacement
{
    static constexpr int kRecordSize = 44;

    std::uint32_t length = kRecordSize;
    std::uint32_t flags = 0;
    std::uint32_t showCmd = SW_SHOWNORMAL;
    QPoint ptMinPosition{-1, -1};
    QPoint ptMaxPosition{-1, -1};
    WinRect rcNormalPosition;

    QByteArray ToBytes() const;
    // The first 44 bytes of a stored value; nothing when it is shorter.
    static std::optional<WindowPlacement> FromBytes(const QByteArray& bytes);

    bool IsMinimized() const;
    bool IsMaximized() const;

    friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};

// The top-level window's placement; nothing without a window.
std::optional<WindowPlacement> GetWindowPlacement(const QWidget* window);

// Gives the window the placement's normal geometry and show state. A size
// that is not positive is replaced by the window's own, and a rectangle
// that lies off every screen is moved onto the primary screen. The
// window's visibility is left to the caller.
void SetWindowPlacement(QWidget* window, const WindowPlacement& placement);
