#include "SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "AppSettings.h"
#include "FileNames.h"
#include "PrivateProfile.h"
#include "UserFolders.h"
#include "UserInteraction.h"

namespace {

const QString kOutput = QStringLiteral("OUTPUT");
const QString kMp3 = QStringLiteral("MP3");
const QString kFilter = QStringLiteral("Filter");
const QString kDesDir = QStringLiteral("DesDir");
const QString kLameBits = QStringLiteral("LameBits");
const QString kLameChannel = QStringLiteral("LameChannel");
const QString kFreq = QStringLiteral("Freq");

constexpr int kMaxDesDirChars = 1023;

QString WithSeparator(const QString& folder)
{
    return folder.endsWith(QDir::separator()) ? folder : folder + QDir::separator();
}

// A hand-edited index outside its table falls back to the default.
int16_t ValidOr(int value, bool (*isValid)(int), int16_t defaultValue)
{
    return isValid(value) ? static_cast<int16_t>(value) : defaultValue;
}

void ShowBox(const QString& text, unsigned type)
{
    Interaction().MessageBox(nullptr, text, ApplicationName(), type);
}

} // namespace

QString DefaultOutputFolder()
{
    for (const QString& folder : {UserFolders::Music(), UserFolders::Desktop(),
                                  QDir::toNativeSeparators(QDir::homePath())}) {
        if (!folder.isEmpty())
            return WithSeparator(folder);
    }
    return WithSeparator(QDir::toNativeSeparators(QDir::rootPath()));
}

QString SettingsFilePath()
{
    return AppSettings.SettingsFolder + QDir::separator() + QStringLiteral("Config.ini");
}

void OpenSettingsStore()
{
    AppSettings.DesDir = DefaultOutputFolder();
    QString appData = UserFolders::ApplicationData();
    if (appData.isEmpty())
        appData = QDir::toNativeSeparators(QDir::homePath());
    AppSettings.SettingsFolder = appData + QDir::separator() + QStringLiteral("Marlune");

    if (!QFileInfo(AppSettings.SettingsFolder).isDir()
        && !CreateFolderTree(AppSettings.SettingsFolder)) {
        ShowBox(QStringLiteral("Fail to create folder %1 !!").arg(AppSettings.SettingsFolder),
                MB_OK | MB_ICONWARNING);
    }

    const QString file = SettingsFilePath();
    if (QFileInfo::exists(file)) {
        LoadSettings();
        return;
    }
    // Without a folder the file cannot be made either; the defaults stay and
    // the save at the end simply does not reach the disk.
    QFile empty(file);
    if (empty.open(QIODevice::WriteOnly))
        empty.close();
}

bool LoadSettings()
{
    try {
        const QString file = SettingsFilePath();
        AppSettings.Filter = PrivateProfile::GetInt(kOutput, kFilter, DEFAULT_FILTER, file);
        AppSettings.LameBits = ValidOr(PrivateProfile::GetInt(kMp3, kLameBits, DEFAULT_LAME_BITS, file),
                                       IsValidLameBits, DEFAULT_LAME_BITS);
        AppSettings.LameChannel =
            ValidOr(PrivateProfile::GetInt(kMp3, kLameChannel, DEFAULT_LAME_CHANNEL, file),
                    IsValidLameChannel, DEFAULT_LAME_CHANNEL);
        AppSettings.Freq = ValidOr(PrivateProfile::GetInt(kMp3, kFreq, DEFAULT_FREQ, file),
                                   IsValidFreq, DEFAULT_FREQ);
        const QString defaultFolder = DefaultOutputFolder();
        const QString desDir =
            PrivateProfile::GetString(kOutput, kDesDir, defaultFolder, kMaxDesDirChars, file);
        // Only a missing key takes the default; an empty value stays empty,
        // and the Options dialog and the job runner refuse it.
        AppSettings.DesDir = desDir;
        return true;
    } catch (...) {
        ShowBox(QStringLiteral("An Error Occurred while loading settings!"), MB_OK | MB_ICONERROR);
        return false;
    }
}

bool SaveSettings()
{
    try {
        const QString file = SettingsFilePath();
        PrivateProfile::WriteString(kOutput, kFilter, QString::number(AppSettings.Filter), file);
        PrivateProfile::WriteString(kOutput, kDesDir, AppSettings.DesDir, file);
        PrivateProfile::WriteString(kMp3, kLameBits, QString::number(AppSettings.LameBits), file);
        PrivateProfile::WriteString(kMp3, kLameChannel, QString::number(AppSettings.LameChannel),
                                    file);
        PrivateProfile::WriteString(kMp3, kFreq, QString::number(AppSettings.Freq), file);
        return true;
    } catch (...) {
        ShowBox(QStringLiteral("An error occurred while saving settings!"), MB_OK | MB_ICONERROR);
        return false;
    }
}

void ResetSettings()
{
    QFile::remove(SettingsFilePath());
    LoadSettings();
}
