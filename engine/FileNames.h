#pragma once

#include <QString>

// Longest folder path CreateFolderTree handles, terminator included.
constexpr int MAX_FOLDER_PATH = 260;

// A path that names no existing file, folder or link: the path itself is not
// checked; " (2)", " (3)", ... is inserted before the file name's extension
// (or appended when the name has none) until the name is free.
QString MakeUniqueName(const QString& path);

// Creates the folder and its missing parents (native separators or '/').
// True when the folder exists afterwards; false for a path of
// MAX_FOLDER_PATH characters or more.
bool CreateFolderTree(const QString& path);
