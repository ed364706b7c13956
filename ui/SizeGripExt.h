#pragma once

#include <QSizeGrip>

// The size grip in the lower-right corner of a resizable dialog: dragging
// it sizes the dialog. Triangular, it takes input and paints only in the
// triangle below the diagonal; transparent, the dialog's background shows
// around the grip's lines.
class CSizeGripExt : public QSizeGrip
{
public:
    explicit CSizeGripExt(QWidget* parent);

    // Sizes the grip to the style's scroll-bar extent, sets its shape and
    // places it with m_bShown as given.
    void Create(bool bShown, bool bTriangular, bool bTransparent);

    // Puts the grip's lower-right corner on the parent's client lower-right
    // corner, beneath the other controls, shown when m_bShown.
    void UpdatePosition();

    void SetTriangular(bool bOn);
    void SetTransparent(bool bOn);

    bool m_bShown = false;

protected:
    void changeEvent(QEvent* event) override;

private:
    QSize GripSize() const;
    void ApplyShape();

    QSize m_size;
    bool m_bTriangular = false;
};
