#pragma once

#include <QString>

// What a path names, as the file system tells it without opening the file
// (symbolic links are followed). Opening a FIFO blocks until a writer comes,
// and a device or socket is no file to convert, so callers look first.
enum class FileKind { Regular, Directory, Fifo, CharacterDevice, BlockDevice, Socket, Other, Missing };

// Missing also when the path cannot be looked at; *reason then holds the
// system's text ("No such file or directory", "Permission denied").
FileKind QueryFileKind(const QString& path, QString* reason = nullptr);

// "a FIFO", "a directory", ... for messages; empty for Regular and Missing.
QString FileKindText(FileKind kind);
