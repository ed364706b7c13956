#include "RawFileNames.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

namespace {

QString SystemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

bool RawPathExists(const QByteArray& path)
{
    struct stat info = {};
    return ::stat(path.constData(), &info) == 0;
}

bool CreateSymbolicLink(const QByteArray& target, const QString& linkPath, QString* reason)
{
    if (::symlink(target.constData(), QFile::encodeName(linkPath).constData()) == 0)
        return true;
    if (reason)
        *reason = SystemReason();
    return false;
}

RawRenameResult RenameToRawName(const QString& from, const QByteArray& to, QString* reason)
{
    // Never over an existing file: the kernel checks and renames in one step.
    if (::renameat2(AT_FDCWD, QFile::encodeName(from).constData(), AT_FDCWD, to.constData(),
                    RENAME_NOREPLACE)
        == 0)
        return RawRenameResult::Renamed;
    if (errno == EEXIST)
        return RawRenameResult::NameTaken;
    if (reason)
        *reason = SystemReason();
    return RawRenameResult::Failed;
}
