#include "AnchorInfo.h"

#include <cmath>
#include <limits>

namespace {

// Double results become integers by truncation toward zero; a fraction
// that is not a number (a zero-sized client area at registration) gives 0
// instead of undefined behaviour.
int Truncate(double value)
{
    if (!std::isfinite(value))
        return 0;
    constexpr double kMax = std::numeric_limits<int>::max();
    constexpr double kMin = std::numeric_limits<int>::min();
    return static_cast<int>(std::trunc(std::clamp(value, kMin, kMax)));
}

bool IsProportional(unsigned nMode)
{
    return nMode == ANCHOR_PROPORTIONAL || nMode == ANCHOR_FRACTIONAL;
}

bool IsCentred(unsigned nMode)
{
    return nMode == ANCHOR_CENTRE || nMode == ANCHOR_PROPORTIONAL;
}

// The mode of the first dragged edge whose mode is not "stay".
unsigned ModeFor(unsigned nMask, unsigned nLowEdge, unsigned nModeLow, unsigned nHighEdge,
                 unsigned nModeHigh)
{
    if ((nMask & nLowEdge) && nModeLow != ANCHOR_STAY)
        return nModeLow;
    if ((nMask & nHighEdge) && nModeHigh != ANCHOR_STAY)
        return nModeHigh;
    return ANCHOR_STAY;
}

struct Axis
{
    int& low;
    int& high;
    int nActualLow;
    int nActualHigh;
    int nCurrent;
    int nPrevious;
    int nInitial;
    double dPos;
    double dSize;
};

// Applies one axis's mode; returns whether the axis keeps its result.
bool MoveAxis(unsigned nMode, bool bFollowActual, Axis axis)
{
    const int nDelta = axis.nCurrent - axis.nPrevious;
    const int nGrowth = axis.nCurrent - axis.nInitial;
    switch (nMode) {
    case ANCHOR_STAY:
        if (bFollowActual) {
            axis.low = axis.nActualLow;
            axis.high = axis.nActualHigh;
            return false;
        }
        return true;
    case ANCHOR_STRETCH:
        axis.high += nDelta;
        return true;
    case ANCHOR_MOVE:
        axis.low += nDelta;
        axis.high += nDelta;
        return true;
    case ANCHOR_CENTRE: {
        const int nSize = axis.high - axis.low;
        axis.low = Truncate(axis.nCurrent * axis.dPos - nSize * 0.5);
        axis.high = axis.low + nSize;
        return true;
    }
    case ANCHOR_PROPORTIONAL:
        if (axis.nInitial > 0) {
            const double dScale = static_cast<double>(axis.nCurrent) / axis.nInitial;
            axis.low = Truncate(axis.low * dScale);
            axis.high = Truncate(axis.high * dScale);
        }
        return false;
    case ANCHOR_FRACTIONAL: {
        const int nSize = axis.high - axis.low;
        axis.high = Truncate(axis.low + axis.dPos * nGrowth + nSize + axis.dSize * nGrowth);
        axis.low = Truncate(axis.low + axis.dPos * nGrowth);
        return false;
    }
    default:
        // Modes 6 to 15 fit the four bits but mean nothing: the control stays.
        return true;
    }
}

} // namespace

unsigned EdgeMaskOf(ResizeKind kind, int nSizingEdge)
{
    switch (kind) {
    case ResizeKind::Minimized:
        return 0;
    case ResizeKind::Restored:
    case ResizeKind::Maximized:
        return EDGE_RIGHT | EDGE_BOTTOM;
    case ResizeKind::Sized:
        break;
    }
    switch (nSizingEdge) {
    case WMSZ_LEFT:
        return EDGE_LEFT;
    case WMSZ_RIGHT:
        return EDGE_RIGHT;
    case WMSZ_TOP:
        return EDGE_TOP;
    case WMSZ_TOPLEFT:
        return EDGE_LEFT | EDGE_TOP;
    case WMSZ_TOPRIGHT:
        return EDGE_RIGHT | EDGE_TOP;
    case WMSZ_BOTTOM:
        return EDGE_BOTTOM;
    case WMSZ_BOTTOMLEFT:
        return EDGE_LEFT | EDGE_BOTTOM;
    case WMSZ_BOTTOMRIGHT:
        return EDGE_RIGHT | EDGE_BOTTOM;
    default:
        return 0;
    }
}

AnchorInfo AnchorInfo::Make(int nID, unsigned nModeLeft, unsigned nModeRight, unsigned nModeTop,
                            unsigned nModeBottom, unsigned nOptions, double dPosX, double dSizeX,
                            double dPosY, double dSizeY, const WinRect& rcControl, QSize client)
{
    AnchorInfo anchor;
    anchor.nID = nID;
    anchor.nModeLeft = nModeLeft % 16;
    anchor.nModeRight = nModeRight % 16;
    anchor.nModeTop = nModeTop % 16;
    anchor.nModeBottom = nModeBottom % 16;
    anchor.bClipOnErase = (nOptions % 4) & ANCHOR_CLIP_ON_ERASE;
    anchor.bRepaintOnMove = (nOptions % 4) & ANCHOR_REPAINT_ON_MOVE;
    anchor.rcStored = rcControl;
    anchor.dPosX = dPosX;
    anchor.dSizeX = dSizeX;
    anchor.dPosY = dPosY;
    anchor.dSizeY = dSizeY;
    if ((IsCentred(anchor.nModeLeft) || IsCentred(anchor.nModeRight)) && client.width() > 0)
        anchor.dPosX = (rcControl.left + rcControl.right) * 0.5 / client.width();
    if ((IsCentred(anchor.nModeTop) || IsCentred(anchor.nModeBottom)) && client.height() > 0)
        anchor.dPosY = (rcControl.top + rcControl.bottom) * 0.5 / client.height();
    return anchor;
}

std::optional<WinRect> AnchorInfo::Move(const WinRect& rcActual, unsigned nEdgeMask,
                                        const ClientSizes& sizes)
{
    WinRect rcNew = rcStored;
    const unsigned nModeX = ModeFor(nEdgeMask, EDGE_LEFT, nModeLeft, EDGE_RIGHT, nModeRight);
    const bool bKeepX = MoveAxis(nModeX, IsProportional(nModeLeft) || IsProportional(nModeRight),
                                 {rcNew.left, rcNew.right, rcActual.left, rcActual.right,
                                  sizes.current.width(), sizes.previous.width(),
                                  sizes.initial.width(), dPosX, dSizeX});
    const unsigned nModeY = ModeFor(nEdgeMask, EDGE_TOP, nModeTop, EDGE_BOTTOM, nModeBottom);
    const bool bKeepY = MoveAxis(nModeY, IsProportional(nModeTop) || IsProportional(nModeBottom),
                                 {rcNew.top, rcNew.bottom, rcActual.top, rcActual.bottom,
                                  sizes.current.height(), sizes.previous.height(),
                                  sizes.initial.height(), dPosY, dSizeY});

    WinRect rcCompare = rcActual;
    if (bKeepX) {
        rcCompare.left = rcStored.left;
        rcCompare.right = rcStored.right;
    }
    if (bKeepY) {
        rcCompare.top = rcStored.top;
        rcCompare.bottom = rcStored.bottom;
    }
    if (rcNew == rcCompare)
        return std::nullopt;
    if (bKeepX) {
        rcStored.left = rcNew.left;
        rcStored.right = rcNew.right;
    }
    if (bKeepY) {
        rcStored.top = rcNew.top;
        rcStored.bottom = rcNew.bottom;
    }
    return rcNew;
}
