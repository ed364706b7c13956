#include "PrivateProfile.h"

#include <algorithm>
#include <climits>
#include <optional>

#include <QByteArrayList>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

struct IniLine
{
    QByteArray raw;
    QString section; // set on a section line
    QString key;     // set on a key line
    QString value;
    bool isSection = false;
    bool isKey = false;
};

QList<IniLine> ParseLines(const QByteArray& data)
{
    QList<IniLine> lines;
    if (data.isEmpty())
        return lines;
    QByteArrayList raws = data.split('\n');
    if (raws.last().isEmpty())
        raws.removeLast();
    for (const QByteArray& raw : raws) {
        IniLine line;
        line.raw = raw;
        const QString text = QString::fromUtf8(raw).trimmed();
        if (text.startsWith(QLatin1Char('['))) {
            const qsizetype close = text.indexOf(QLatin1Char(']'));
            line.isSection = true;
            line.section = (close > 0 ? text.mid(1, close - 1) : text.mid(1)).trimmed();
        } else if (!text.startsWith(QLatin1Char(';'))) {
            const qsizetype equals = text.indexOf(QLatin1Char('='));
            if (equals > 0) {
                line.isKey = true;
                line.key = text.left(equals).trimmed();
                line.value = text.mid(equals + 1).trimmed();
            }
        }
        lines.append(line);
    }
    return lines;
}

bool SameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

std::optional<QString> FindValue(const QString& section, const QString& key, const QString& file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return std::nullopt;
    bool inSection = false;
    for (const IniLine& line : ParseLines(in.readAll())) {
        if (line.isSection)
            inSection = SameName(line.section, section);
        else if (inSection && line.isKey && SameName(line.key, key))
            return line.value;
    }
    return std::nullopt;
}

QString Unquote(const QString& value)
{
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first)
            return value.mid(1, value.size() - 2);
    }
    return value;
}

} // namespace

namespace PrivateProfile {

int GetInt(const QString& section, const QString& key, int defaultValue, const QString& file)
{
    const std::optional<QString> value = FindValue(section, key, file);
    if (!value)
        return defaultValue;
    qsizetype end = 0;
    if (end < value->size() && (value->at(end) == QLatin1Char('-') || value->at(end) == QLatin1Char('+')))
        ++end;
    while (end < value->size() && value->at(end).isDigit() && value->at(end).unicode() < 128)
        ++end;
    bool ok = false;
    const qlonglong number = value->left(end).toLongLong(&ok);
    if (!ok)
        return 0;
    return static_cast<int>(std::clamp<qlonglong>(number, INT_MIN, INT_MAX));
}

QString GetString(const QString& section, const QString& key, const QString& defaultValue,
                  int maxChars, const QString& file)
{
    const std::optional<QString> value = FindValue(section, key, file);
    return (value ? Unquote(*value) : defaultValue).left(std::max(maxChars, 0));
}

bool WriteString(const QString& section, const QString& key, const QString& value,
                 const QString& file)
{
    QByteArray data;
    {
        QFile in(file);
        if (in.exists()) {
            // A read-only file stays as it is; the save below would replace it.
            if (!QFileInfo(file).isWritable() || !in.open(QIODevice::ReadOnly))
                return false;
            data = in.readAll();
        }
    }
    const bool crlf = data.contains("\r\n");
    const QByteArray keyLine = (key + QLatin1Char('=') + value).toUtf8();

    QList<IniLine> lines = ParseLines(data);
    qsizetype sectionEnd = -1; // index after the last line of the section
    bool inSection = false;
    bool written = false;
    for (qsizetype i = 0; i < lines.size() && !written; ++i) {
        const IniLine& line = lines[i];
        if (line.isSection) {
            inSection = SameName(line.section, section);
            if (inSection)
                sectionEnd = i + 1;
            continue;
        }
        if (!inSection)
            continue;
        if (line.isKey && SameName(line.key, key)) {
            lines[i].raw = keyLine + (line.raw.endsWith('\r') ? "\r" : "");
            written = true;
        } else if (!QString::fromUtf8(line.raw).trimmed().isEmpty()) {
            sectionEnd = i + 1;
        }
    }
    if (!written) {
        IniLine added;
        added.raw = keyLine + (crlf ? "\r" : "");
        if (sectionEnd >= 0) {
            lines.insert(sectionEnd, added);
        } else {
            IniLine header;
            header.raw = (QLatin1Char('[') + section + QLatin1Char(']')).toUtf8() + (crlf ? "\r" : "");
            lines.append(header);
            lines.append(added);
        }
    }

    QByteArray out;
    for (const IniLine& line : lines)
        out += line.raw + '\n';
    QSaveFile save(file);
    if (!save.open(QIODevice::WriteOnly))
        return false;
    save.write(out);
    return save.commit();
}

} // namespace PrivateProfile
