#include "UserFolders.h"

#include <QDir>
#include <QStandardPaths>

namespace {

QString Writable(QStandardPaths::StandardLocation location)
{
    const QString path = QStandardPaths::writableLocation(location);
    return path.isEmpty() ? QString() : QDir::toNativeSeparators(QDir::cleanPath(path));
}

} // namespace

namespace UserFolders {

QString ApplicationData()
{
    return Writable(QStandardPaths::GenericConfigLocation);
}

QString Music()
{
    return Writable(QStandardPaths::MusicLocation);
}

QString Desktop()
{
    return Writable(QStandardPaths::DesktopLocation);
}

} // namespace UserFolders
