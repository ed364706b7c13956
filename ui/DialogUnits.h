#pragma once

#include <QFont>
#include <QRect>

struct DialogTemplate;

// Converts dialog units to pixels from a font's metrics, the way dialog
// templates are laid out: a horizontal unit is a quarter of the average
// character width, a vertical unit an eighth of the character height.
class DialogUnits
{
public:
    explicit DialogUnits(const QFont& font);

    // The template's font; where its face is not installed, the platform's
    // sans-serif face at the template's point size.
    static QFont DialogFont(const DialogTemplate& dlgTemplate);

    int BaseUnitX() const { return m_nBaseX; }
    int BaseUnitY() const { return m_nBaseY; }

    int ToPixelsX(int units) const;
    int ToPixelsY(int units) const;
    QRect MapDialogRect(int x, int y, int cx, int cy) const;

private:
    int m_nBaseX;
    int m_nBaseY;
};
