#include "FileNames.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

bool IsSeparator(QChar c)
{
    return c == QLatin1Char('/') || c == QDir::separator();
}

// Index of the last separator before end, or -1.
qsizetype LastSeparatorBefore(const QString& path, qsizetype end)
{
    for (qsizetype i = end - 1; i >= 0; --i) {
        if (IsSeparator(path.at(i)))
            return i;
    }
    return -1;
}

bool NameTaken(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

QString MakeUniqueName(const QString& path)
{
    // Only a dot in the file name itself starts the extension.
    const qsizetype nameStart = LastSeparatorBefore(path, path.size()) + 1;
    qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < nameStart)
        dot = path.size();
    const QString base = path.left(dot);
    const QString extension = path.mid(dot);
    for (int n = 2;; ++n) {
        // Built in one pass: a "%" and a digit in the path stay as they are.
        const QString candidate = base + QStringLiteral(" (%1)").arg(n) + extension;
        if (!NameTaken(candidate))
            return candidate;
    }
}

bool CreateFolderTree(const QString& path)
{
    if (path.isEmpty() || path.size() >= MAX_FOLDER_PATH)
        return false;

    // Walks back to the deepest folder that can be created, then forward
    // again through the cuts it made.
    std::vector<qsizetype> cuts;
    qsizetype end = path.size();
    for (;;) {
        std::error_code error;
        std::filesystem::create_directory(
            std::filesystem::path(QFile::encodeName(path.left(end)).toStdString()), error);
        if (error == std::errc::no_such_file_or_directory) {
            const qsizetype separator = LastSeparatorBefore(path, end);
            if (separator <= 0)
                return false;
            cuts.push_back(end);
            end = separator;
            continue;
        }
        // An existing folder is no error; anything else, an existing file
        // included, is.
        if (error)
            return false;
        if (cuts.empty())
            return QFileInfo(path).isDir();
        end = cuts.back();
        cuts.pop_back();
    }
}
