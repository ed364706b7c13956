#pragma once

#include <QDialog>
#include <QString>

class QFormLayout;

// What the file list knows about a file's audio, as its columns show it.
struct AudioDetails
{
    QString strType;
    QString strDuration;
    QString strFrequency;
    QString strChannels;
    QString strProblem; // why the file cannot be converted; empty when it can
};

// A read-only view of one file's properties, for desktops where no file
// manager shows them: name, folder, size, dates, owner and permissions as
// the file system reports them now, and the audio details of its row.
class CFilePropertiesDlg : public QDialog
{
public:
    CFilePropertiesDlg(const QString& strPath, const AudioDetails& audio, QWidget* parent = nullptr);

    // The shown value of a field by its label ("Size:"); empty when there is
    // no such field.
    QString FieldText(const QString& strLabel) const;

private:
    void AddField(const QString& strLabel, const QString& strValue);

    QFormLayout* m_pForm;
};
