#pragma once

#include <map>
#include <memory>

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// Lets marlune-convert convert files whose names are not UTF-8. The engine
// works on QString paths, which cannot hold such a name, so the file is
// reached through a symbolic link in a private folder, named as Qt decodes
// the name (with replacement characters); the MP3 written for it gets the
// source's own bytes afterwards. The links go with this object.
class CRawNameAliases
{
public:
    // The command-line argument as a path the engine can use: the decoded
    // argument itself when its bytes are UTF-8 or it names nothing, else a
    // link to the file its bytes name.
    QString PathFor(const QByteArray& argument);

    bool IsAlias(const QString& path) const { return m_mapAliases.count(path) != 0; }

    // The text with every link's path replaced by the path the user gave,
    // as Qt decodes it, for messages.
    QString Shown(QString text) const;

    // Renames the MP3 written for the linked source to the source's own
    // name bytes with the extension "mp3", or "%s (%d).mp3" when that is
    // taken. False, with the reason, when it cannot; the MP3 then keeps the
    // name it was written under.
    bool GiveOutputTheSourceName(const QString& alias, const QString& output, QString* reason) const;

private:
    struct Source
    {
        QByteArray rawPath; // absolute
        QString strShown;   // absolute, as decoded
    };

    std::unique_ptr<QTemporaryDir> m_pFolder;
    std::map<QString, Source> m_mapAliases;
};
