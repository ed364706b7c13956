#pragma once

#include <QByteArray>
#include <QString>

// File names on Linux are bytes, and Qt holds them as UTF-8 text: a name
// whose bytes are not UTF-8 (legal, and common on old Latin-1 disks) cannot
// be opened or created through a QString. These reach such a file by its
// bytes.

// True when the path names something (a dangling link does not count).
bool RawPathExists(const QByteArray& path);

// Creates a symbolic link named linkPath pointing at the bytes of target.
// False, with the system's reason in *reason, when it cannot.
bool CreateSymbolicLink(const QByteArray& target, const QString& linkPath, QString* reason);

// Renames from to the bytes of to, unless something already has that name.
enum class RawRenameResult { Renamed, NameTaken, Failed };
RawRenameResult RenameToRawName(const QString& from, const QByteArray& to, QString* reason);
