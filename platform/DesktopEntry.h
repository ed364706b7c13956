#pragma once

#include <QString>
#include <QStringList>

// The command line that starts the application of a desktop entry (its
// file name, such as "firefox-esr.desktop", found in the applications
// folders) with one argument: the entry's Exec line up to its first field
// code, followed by the argument. Empty when there is no such entry or it
// names no program.
QStringList DesktopEntryCommand(const QString& desktopId, const QString& argument);
