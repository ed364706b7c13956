#pragma once

#include <QByteArray>
#include <QString>

// The per-user store of window state: integers and binary values in
// sections, kept under "Quorvane Corporation/Marlune/" + the application
// name (QSettings in the platform's native format).
namespace ProfileStore {

int GetProfileInt(const QString& section, const QString& entry, int defaultValue);
bool WriteProfileInt(const QString& section, const QString& entry, int value);

// An empty array when the value is absent.
QByteArray GetProfileBinary(const QString& section, const QString& entry);
bool WriteProfileBinary(const QString& section, const QString& entry, const QByteArray& value);

// Writes pending changes to storage (values are otherwise written when the
// process ends normally).
void Flush();

} // namespace ProfileStore
