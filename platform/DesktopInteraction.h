#pragma once

#include "UserInteraction.h"

// The real desktop: Qt's dialogs, QDesktopServices and the freedesktop
// file-manager interface on D-Bus.
class DesktopInteraction : public UserInteraction
{
public:
    int MessageBox(QWidget* parent, const QString& text, const QString& caption,
                   unsigned type) override;
    QStringList GetOpenFileNames(QWidget* parent, const QString& caption, const QString& folder,
                                 const QString& filter) override;
    QString GetExistingDirectory(QWidget* parent, const QString& caption,
                                 const QString& folder) override;
    int ExecDialog(QDialog* dialog) override;
    bool OpenWithDefault(const QString& pathOrUrl) override;
    bool ShowFileProperties(const QString& path) override;
};
