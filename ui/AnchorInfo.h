#pragma once

#include <optional>

#include <QSize>

#include "WinRect.h"

// How a control follows the dialog's client area on one axis (described
// for the horizontal axis; the vertical one uses height, top and bottom).
enum AnchorMode : unsigned {
    ANCHOR_STAY = 0,         // keeps its remembered position and size
    ANCHOR_STRETCH = 1,      // the right edge moves by the change of width
    ANCHOR_MOVE = 2,         // both edges move by the change of width
    ANCHOR_CENTRE = 3,       // its centre stays at dPosX of the width
    ANCHOR_PROPORTIONAL = 4, // registered edges scaled by width / initial width
    ANCHOR_FRACTIONAL = 5,   // left + dPosX * D, width + dSizeX * D, D = growth since init
};

// Options of AddAnchor. Qt never erases a dialog's background beneath its
// children in a way that flickers, so clip-on-erase is kept for callers but
// needs no work here.
enum AnchorOption : unsigned {
    ANCHOR_CLIP_ON_ERASE = 0x1,
    ANCHOR_REPAINT_ON_MOVE = 0x2,
};

// The edge being dragged, numbered as the sizing notification numbers it.
enum SizingEdge : int {
    WMSZ_NONE = 0,
    WMSZ_LEFT = 1,
    WMSZ_RIGHT = 2,
    WMSZ_TOP = 3,
    WMSZ_TOPLEFT = 4,
    WMSZ_TOPRIGHT = 5,
    WMSZ_BOTTOM = 6,
    WMSZ_BOTTOMLEFT = 7,
    WMSZ_BOTTOMRIGHT = 8,
};

enum EdgeMask : unsigned {
    EDGE_LEFT = 1,
    EDGE_TOP = 2,
    EDGE_RIGHT = 4,
    EDGE_BOTTOM = 8,
};

// Why the client area changed size.
enum class ResizeKind {
    Sized,     // an edge was dragged or the size was set; the sizing edge tells which
    Restored,  // back from minimised or maximised
    Maximized,
    Minimized,
};

// The edges whose modes apply: right and bottom on restore and maximise,
// the dragged edge otherwise, none for an unknown edge.
unsigned EdgeMaskOf(ResizeKind kind, int nSizingEdge);

// Client-area sizes a move is computed from.
struct ClientSizes
{
    QSize current;
    QSize previous; // after the last handled resize
    QSize initial;  // when the dialog was initialised
};

// One control registered with the resizable dialog.
struct AnchorInfo
{
    int nID = 0;
    unsigned nModeLeft = 0;
    unsigned nModeRight = 0;
    unsigned nModeTop = 0;
    unsigned nModeBottom = 0;
    bool bClipOnErase = false;
    bool bRepaintOnMove = false;
    // Dialog client coordinates: the rectangle at registration, then the
    // result of the last move on each axis whose mode keeps it.
    WinRect rcStored;
    double dPosX = -1.0;
    double dSizeX = -1.0;
    double dPosY = -1.0;
    double dSizeY = -1.0;

    // Modes are taken modulo 16 and options modulo 4. A centre or
    // proportional mode replaces the position fraction with the control's
    // centre as a fraction of the client size.
    static AnchorInfo Make(int nID, unsigned nModeLeft, unsigned nModeRight, unsigned nModeTop,
                           unsigned nModeBottom, unsigned nOptions, double dPosX, double dSizeX,
                           double dPosY, double dSizeY, const WinRect& rcControl, QSize client);

    // Computes where the control goes for this resize. Returns the new
    // rectangle when it must move (and remembers it on the axes that keep
    // it), nothing when it stays. rcActual is where the control is now.
    std::optional<WinRect> Move(const WinRect& rcActual, unsigned nEdgeMask, const ClientSizes& sizes);
};
