#pragma once

#include <QString>

// Keys in sections of a small INI file ("[SECTION]" lines, "Key=Value"
// lines below them), as the settings file uses them. Section and key names
// match without regard to case. The file is UTF-8 text; bytes that are not
// valid UTF-8 are read as replacement characters and never crash a reader.
namespace PrivateProfile {

// The key's leading decimal integer; the default when the key or the file
// is missing, 0 when the value does not start with a number.
int GetInt(const QString& section, const QString& key, int defaultValue, const QString& file);

// The key's text with surrounding blanks (and one pair of matching quotes)
// removed, cut to at most maxChars characters; the default, cut the same way,
// when the key or the file is missing.
QString GetString(const QString& section, const QString& key, const QString& defaultValue,
                  int maxChars, const QString& file);

// Updates the key where it stands, or appends it to its section, or appends
// the section with the key; every other line of the file stays as it was.
// Creates the file when missing. False when the file cannot be written.
bool WriteString(const QString& section, const QString& key, const QString& value,
                 const QString& file);

} // namespace PrivateProfile
