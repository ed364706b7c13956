#pragma once

#include "UserInteraction.h"

// The seam for a program without windows: message boxes are answered OK
// without being shown (the engine logs every failure it reports in a box),
// dialogs are cancelled and nothing is opened.
class ConsoleInteraction : public UserInteraction
{
public:
    int MessageBox(QWidget* parent, const QString& text, const QString& caption,
                   unsigned type) override;
    QStringList GetOpenFileNames(QWidget* parent, const QString& caption, const QString& folder,
                                 const QString& filter, const QString& defaultSuffix) override;
    QString GetExistingDirectory(QWidget* parent, const QString& caption,
                                 const QString& folder) override;
    int ExecDialog(QDialog* dialog) override;
    bool OpenWithDefault(const QString& pathOrUrl) override;
    bool OpenWithWebPageHandler(const QString& address) override;
    bool ShowFileProperties(const QString& path) override;
};
