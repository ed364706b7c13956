#include "PlacementStore.h"

#include <QGuiApplication>
#include <QScreen>

#include "ProfileStore.h"

namespace {

void CentreOnPrimaryScreen(WinRect& rc)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const int w = rc.Width();
    const int h = rc.Height();
    rc.left = area.x() + (area.width() - w) / 2;
    rc.right = area.x() + (area.width() + w) / 2;
    rc.top = area.y() + (area.height() - h) / 2;
    rc.bottom = area.y() + (area.height() + h) / 2;
}

std::uint32_t ShowCommandFor(int nShowOverride, const WindowPlacement& stored)
{
    switch (nShowOverride) {
    case PlacementStore::SHOW_KEEP:
        return stored.showCmd;
    case PlacementStore::SHOW_NORMAL:
        return SW_SHOWNORMAL;
    case PlacementStore::SHOW_MAXIMIZED:
        return SW_SHOWMAXIMIZED;
    case PlacementStore::SHOW_MINIMIZED:
        return SW_SHOWMINIMIZED;
    default:
        // A window closed minimised comes back as it would be restored:
        // maximised when it was maximised before, normal otherwise. Only
        // the restore-to-maximised flag counts; other flag bits must not
        // turn into some other show command.
        if (!stored.IsMinimized())
            return stored.showCmd;
        return (stored.flags & WPF_RESTORETOMAXIMIZED) ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    }
}

} // namespace

bool PlacementStore::LoadPlacement(QWidget* window, const QString& strEntry,
                                   const QString& strSection)
{
    if (bFirstLoad) {
        bFirstLoad = false;
        const std::optional<WindowPlacement> current = GetWindowPlacement(window);
        if (!current)
            return false;
        wpDefault = *current;
        CentreOnPrimaryScreen(wpDefault.rcNormalPosition);
        nShowOverride = ProfileStore::GetProfileInt(strSection, QString(), SHOW_DEFAULT_RULE);
    }

    const std::optional<WindowPlacement> stored =
        WindowPlacement::FromBytes(ProfileStore::GetProfileBinary(strSection, strEntry));
    if (!stored) {
        wpCurrent = wpDefault;
        return false;
    }
    wpCurrent = *stored;
    wpCurrent.showCmd = ShowCommandFor(nShowOverride, *stored);
    SetWindowPlacement(window, wpCurrent);
    return true;
}

bool PlacementStore::SavePlacement(QWidget* window, const QString& strEntry,
                                   const QString& strSection)
{
    const std::optional<WindowPlacement> current = GetWindowPlacement(window);
    if (!current)
        return false;
    wpCurrent = *current;
    // The rule is shared with the other windows: a store that never loaded
    // writes back what is there, not its own initial 0.
    if (bFirstLoad)
        nShowOverride = ProfileStore::GetProfileInt(strSection, QString(), nShowOverride);
    if (!ProfileStore::WriteProfileBinary(strSection, strEntry, wpCurrent.ToBytes()))
        return false;
    const bool bWritten = ProfileStore::WriteProfileInt(strSection, QString(), nShowOverride);
    // The application ends its process right after its last save.
    ProfileStore::Flush();
    return bWritten;
}

void PlacementStore::ApplyDefaultPlacement(QWidget* window)
{
    if (!bFirstLoad)
        SetWindowPlacement(window, wpDefault);
}
