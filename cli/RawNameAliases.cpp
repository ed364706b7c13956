#include "RawNameAliases.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include "RawFileNames.h"

namespace {

constexpr int kMaxNameNumber = 10000;

QByteArray Absolute(const QByteArray& path)
{
    if (path.startsWith('/'))
        return path;
    return QFile::encodeName(QDir::currentPath()) + '/' + path;
}

// "dir/name" without its extension: up to the last "." of the name.
QByteArray WithoutExtension(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    const qsizetype dot = path.lastIndexOf('.');
    return dot > slash ? path.left(dot) : path;
}

} // namespace

QString CRawNameAliases::PathFor(const QByteArray& argument)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = utf8(argument);
    if (!utf8.hasError() || argument.startsWith('-') || !RawPathExists(argument))
        return decoded;

    if (!m_pFolder) {
        m_pFolder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/marlune-convert-XXXXXX"));
        if (!m_pFolder->isValid())
            return decoded;
    }
    // One folder per link, so two names that decode alike stay apart.
    const QString folder = m_pFolder->filePath(QString::number(m_mapAliases.size() + 1));
    const QString alias = folder + QLatin1Char('/') + QFileInfo(decoded).fileName();
    if (!QDir().mkpath(folder) || !CreateSymbolicLink(Absolute(argument), alias, nullptr))
        return decoded;
    m_mapAliases[alias] = {Absolute(argument), QFileInfo(decoded).absoluteFilePath()};
    return alias;
}

QString CRawNameAliases::Shown(QString text) const
{
    for (const auto& [alias, source] : m_mapAliases)
        text.replace(alias, source.strShown);
    return text;
}

bool CRawNameAliases::GiveOutputTheSourceName(const QString& alias, const QString& output,
                                              QString* reason) const
{
    const auto found = m_mapAliases.find(alias);
    if (found == m_mapAliases.end())
        return true;
    const QByteArray folder = QFile::encodeName(QFileInfo(output).absolutePath());
    const qsizetype slash = found->second.rawPath.lastIndexOf('/');
    const QByteArray base = folder + '/' + WithoutExtension(found->second.rawPath.mid(slash + 1));
    QByteArray target = base + ".mp3";
    for (int n = 2; n < kMaxNameNumber; ++n) {
        switch (RenameToRawName(output, target, reason)) {
        case RawRenameResult::Renamed:
            return true;
        case RawRenameResult::Failed:
            return false;
        case RawRenameResult::NameTaken:
            target = base + " (" + QByteArray::number(n) + ").mp3";
            break;
        }
    }
    if (reason)
        *reason = QStringLiteral("No free name");
    return false;
}
