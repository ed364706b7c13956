#pragma once

#include <QRect>

// A rectangle as the window code reasons about it: right and bottom are
// exclusive, so width = right - left. QRect's right() is inclusive, which
// would put every converted edge off by one.
struct WinRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }

    static WinRect FromQRect(const QRect& rect)
    {
        return {rect.x(), rect.y(), rect.x() + rect.width(), rect.y() + rect.height()};
    }
    QRect ToQRect() const { return QRect(left, top, Width(), Height()); }

    friend bool operator==(const WinRect&, const WinRect&) = default;
};
