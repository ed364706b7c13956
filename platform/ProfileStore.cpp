#include "ProfileStore.h"

#include <QSettings>

#include "UserInteraction.h"

namespace {

QString KeyOf(const QString& section, const QString& entry)
{
    // An empty entry names the section's unnamed value.
    return ApplicationName() + QLatin1Char('/') + section + QLatin1Char('/')
           + (entry.isEmpty() ? QStringLiteral("Default") : entry);
}

QSettings& Store()
{
    thread_local QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                                    QStringLiteral("Quorvane Corporation"), QStringLiteral("Marlune"));
    return settings;
}

} // namespace

namespace ProfileStore {

int GetProfileInt(const QString& section, const QString& entry, int defaultValue)
{
    bool ok = false;
    const int value = Store().value(KeyOf(section, entry)).toInt(&ok);
    return ok ? value : defaultValue;
}

bool WriteProfileInt(const QString& section, const QString& entry, int value)
{
    Store().setValue(KeyOf(section, entry), value);
    return Store().status() == QSettings::NoError;
}

QByteArray GetProfileBinary(const QString& section, const QString& entry)
{
    const QVariant value = Store().value(KeyOf(section, entry));
    return value.typeId() == QMetaType::QByteArray ? value.toByteArray() : QByteArray();
}

bool WriteProfileBinary(const QString& section, const QString& entry, const QByteArray& value)
{
    Store().setValue(KeyOf(section, entry), value);
    return Store().status() == QSettings::NoError;
}

void Flush()
{
    Store().sync();
}

} // namespace ProfileStore
