#include "DesktopEntry.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextStream>

namespace {

QString ExecLine(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&file);
    bool bInEntryGroup = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('[')))
            bInEntryGroup = line == QStringLiteral("[Desktop Entry]");
        else if (bInEntryGroup && line.startsWith(QStringLiteral("Exec=")))
            return line.mid(5);
    }
    return {};
}

} // namespace

QStringList DesktopEntryCommand(const QString& desktopId, const QString& argument)
{
    if (desktopId.isEmpty() || desktopId.contains(QLatin1Char('/')))
        return {};
    const QString path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopId);
    if (path.isEmpty())
        return {};
    static const QRegularExpression fieldCode(QStringLiteral("%[A-Za-z]"));
    QStringList command;
    for (const QString& word : QProcess::splitCommand(ExecLine(path))) {
        // The first field code (%u, %F, ...) is where the argument goes.
        if (word.contains(fieldCode))
            break;
        command.append(word);
    }
    if (command.isEmpty())
        return {};
    command.append(argument);
    return command;
}
