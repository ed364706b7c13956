#pragma once

#include <QString>

#include "WindowPlacement.h"

class QWidget;

// Stores and restores one window's placement in the profile: a 44-byte
// record per window under its own entry, and one show-state rule shared by
// every window in the section's unnamed value.
struct PlacementStore
{
    // Values of the shared show-state rule.
    enum : int {
        SHOW_DEFAULT_RULE = 0, // as stored, but never minimised
        SHOW_KEEP = 1,
        SHOW_NORMAL = 2,
        SHOW_MAXIMIZED = 3,
        SHOW_MINIMIZED = 4,
    };

    // Applies the stored placement and returns true. On the first call it
    // also captures the window's placement, centred on the primary screen,
    // as the default. Returns false with nothing applied when the window
    // has no placement or nothing (or fewer than 44 bytes) is stored.
    bool LoadPlacement(QWidget* window, const QString& strEntry, const QString& strSection);

    // Writes the window's placement and the shared rule back unchanged.
    bool SavePlacement(QWidget* window, const QString& strEntry, const QString& strSection);

    // The default captured by the first load; nothing before it.
    void ApplyDefaultPlacement(QWidget* window);

    int nShowOverride = SHOW_DEFAULT_RULE;
    WindowPlacement wpCurrent;
    WindowPlacement wpDefault;
    bool bFirstLoad = true;
};
