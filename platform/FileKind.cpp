#include "FileKind.h"

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

#include <QFile>

FileKind QueryFileKind(const QString& path, QString* reason)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        if (reason)
            *reason = QString::fromLocal8Bit(std::strerror(errno));
        return FileKind::Missing;
    }
    if (S_ISREG(info.st_mode))
        return FileKind::Regular;
    if (S_ISDIR(info.st_mode))
        return FileKind::Directory;
    if (S_ISFIFO(info.st_mode))
        return FileKind::Fifo;
    if (S_ISCHR(info.st_mode))
        return FileKind::CharacterDevice;
    if (S_ISBLK(info.st_mode))
        return FileKind::BlockDevice;
    if (S_ISSOCK(info.st_mode))
        return FileKind::Socket;
    return FileKind::Other;
}

QString FileKindText(FileKind kind)
{
    switch (kind) {
    case FileKind::Directory:
        return QStringLiteral("a directory");
    case FileKind::Fifo:
        return QStringLiteral("a FIFO");
    case FileKind::CharacterDevice:
        return QStringLiteral("a character device");
    case FileKind::BlockDevice:
        return QStringLiteral("a block device");
    case FileKind::Socket:
        return QStringLiteral("a socket");
    case FileKind::Other:
        return QStringLiteral("not a regular file");
    case FileKind::Regular:
    case FileKind::Missing:
        break;
    }
    return {};
}
