#pragma once

#include <QString>
#include <QStringList>

class QWidget;
class QDialog;

// Message box flags and results, with the values the windows' code uses.
enum : unsigned {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// The one seam through which the application reaches the user and the
// desktop: message boxes, file and folder dialogs, modal dialogs and shell
// calls. Tests install an implementation that answers without any window.
class UserInteraction
{
public:
    virtual ~UserInteraction() = default;

    // Called on the user-interface thread. Returns IDOK, IDCANCEL, IDYES or IDNO.
    virtual int MessageBox(QWidget* parent, const QString& text, const QString& caption,
                           unsigned type) = 0;

    // Multiple-selection open dialog; an empty list when cancelled. A typed
    // name without an extension gets the default suffix.
    virtual QStringList GetOpenFileNames(QWidget* parent, const QString& caption,
                                         const QString& folder, const QString& filter,
                                         const QString& defaultSuffix) = 0;

    // Folder picker; an empty string when cancelled.
    virtual QString GetExistingDirectory(QWidget* parent, const QString& caption,
                                         const QString& folder) = 0;

    // Runs a modal dialog and returns its result code.
    virtual int ExecDialog(QDialog* dialog) = 0;

    // Opens a file, folder or web address with the desktop's default
    // handler; false when none could be started.
    virtual bool OpenWithDefault(const QString& pathOrUrl) = 0;

    // Starts the application registered for web pages with an address;
    // false when none is registered or it could not be started.
    virtual bool OpenWithWebPageHandler(const QString& address) = 0;

    // Asks the file manager to show a file's properties; false when no file
    // manager answered.
    virtual bool ShowFileProperties(const QString& path) = 0;
};

// The seam in force; the desktop implementation unless a test installed another.
UserInteraction& Interaction();

// Installs another seam (not owned) and returns the previous one; null restores the desktop.
UserInteraction* InstallInteraction(UserInteraction* seam);

// Shows a message box from any thread. A worker thread waits while the
// user-interface thread shows it; it gets IDCANCEL when the application is
// shutting down.
int MessageBoxFromAnyThread(const QString& text, const QString& caption, unsigned type);

// The application's name, the title of its message boxes.
QString ApplicationName();
