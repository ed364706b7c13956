#include "DialogUnits.h"

#include <algorithm>
#include <cmath>

#include <QFontDatabase>
#include <QFontMetrics>

#include "DialogTemplate.h"

namespace {

// Multiplies and divides with rounding to the nearest integer, half away
// from zero, as dialog-unit conversion rounds.
int MulDivRound(int value, int numerator, int denominator)
{
    return static_cast<int>(std::lround(static_cast<double>(value) * numerator / denominator));
}

} // namespace

DialogUnits::DialogUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    // The average width over the 52 Latin letters, rounded to the nearest
    // pixel, is the width a template's horizontal units are based on.
    const int letters =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_nBaseX = std::max(1, (letters / 26 + 1) / 2);
    m_nBaseY = std::max(1, metrics.height());
}

QFont DialogUnits::DialogFont(const DialogTemplate& dlgTemplate)
{
    if (QFontDatabase::hasFamily(dlgTemplate.strFontFace)) {
        QFont font(dlgTemplate.strFontFace);
        font.setPointSize(dlgTemplate.nPointSize);
        return font;
    }
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(dlgTemplate.nPointSize);
    return font;
}

int DialogUnits::ToPixelsX(int units) const
{
    return MulDivRound(units, m_nBaseX, 4);
}

int DialogUnits::ToPixelsY(int units) const
{
    return MulDivRound(units, m_nBaseY, 8);
}

QRect DialogUnits::MapDialogRect(int x, int y, int cx, int cy) const
{
    // Edges are converted, not sizes, so adjacent controls stay adjacent.
    const int left = ToPixelsX(x);
    const int top = ToPixelsY(y);
    return QRect(left, top, ToPixelsX(x + cx) - left, ToPixelsY(y + cy) - top);
}
