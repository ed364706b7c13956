#pragma once

#include <QString>

// The settings file Config.ini in AppSettings.SettingsFolder, and the record
// AppSettings it fills. User-interface thread only.

// Start-up: sets the defaults, makes sure the settings folder and file exist
// (a folder that cannot be created is reported and start-up goes on with the
// defaults) and reads the file.
void OpenSettingsStore();

// Reads every setting, missing keys and out-of-range indices falling back to
// their defaults. False after an unexpected failure, which is reported.
bool LoadSettings();

// Writes every setting into the file, updating keys where they stand. A file
// the system refuses to write is not reported. False after an unexpected
// failure, which is reported.
bool SaveSettings();

// Deletes the settings file and restores every default in the record.
void ResetSettings();

// The user's music folder, else the desktop, else the home folder, with a
// trailing native separator.
QString DefaultOutputFolder();

// AppSettings.SettingsFolder + "/Config.ini".
QString SettingsFilePath();
