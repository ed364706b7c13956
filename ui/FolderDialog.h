#pragma once

#include <QString>

class QWidget;

// A modal folder picker, used once: construct, DoModal, read m_szFolderPath.
class CFolderDialog
{
public:
    // Folder-picker option flags, as callers pass them.
    enum : unsigned {
        BIF_RETURNONLYFSDIRS = 0x0001,
        BIF_STATUSTEXT = 0x0004,
        BIF_EDITBOX = 0x0010,
        BIF_NEWDIALOGSTYLE = 0x0040,
    };

    // Results of DoModal.
    enum : int {
        FOLDER_CHOSEN = 1,       // m_szFolderPath holds the folder
        FOLDER_NOT_ON_DISK = -1, // a folder without a file-system path; treat as a cancel
        FOLDER_CANCELLED = 2,
    };

    // The flags callers pass (file-system folders only, an edit box, the
    // resizable picker) are what the desktop's directory dialog always does.
    CFolderDialog(const QString& strTitle, const QString& strInitialFolder, QWidget* parent,
                  unsigned nFlags);

    int DoModal();

    QString m_szInitialPath;
    QString m_szFolderPath;

private:
    QString m_strTitle;
    QWidget* m_pParent;
};
