#include "FolderDialog.h"

#include <QApplication>
#include <QDir>
#include <QUrl>
#include <QWidget>

#include "UserInteraction.h"

CFolderDialog::CFolderDialog(const QString& strTitle, const QString& strInitialFolder,
                             QWidget* parent, unsigned)
    : m_szInitialPath(strInitialFolder)
    , m_strTitle(strTitle)
    , m_pParent(parent)
{
}

int CFolderDialog::DoModal()
{
    QWidget* owner = m_pParent ? m_pParent : QApplication::activeWindow();
    const QString strAnswer = Interaction().GetExistingDirectory(owner, m_strTitle, m_szInitialPath);
    if (strAnswer.isEmpty())
        return FOLDER_CANCELLED;

    // The picker may hand back a location of the desktop's own (a trash: or
    // network URL) that no file operation can use.
    const QUrl url(strAnswer);
    QString strPath;
    if (QDir::isAbsolutePath(strAnswer))
        strPath = strAnswer;
    else if (url.isLocalFile())
        strPath = url.toLocalFile();
    if (strPath.isEmpty())
        return FOLDER_NOT_ON_DISK;
    m_szFolderPath = QDir::toNativeSeparators(QDir::cleanPath(strPath));
    return FOLDER_CHOSEN;
}
