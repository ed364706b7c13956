#pragma once

#include "UserInteraction.h"

// The real desktop: Qt's dialogs, the freedesktop opener and MIME tools
// (xdg-open, xdg-mime) and the file-manager interface on D-Bus.
class DesktopInteraction : public UserInteraction
{
public:
    // The opener and how long to wait for its answer; other values serve
    // tests.
    explicit DesktopInteraction(QString strOpener = QStringLiteral("xdg-open"), int nOpenerWaitMs = 5000);

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

private:
    QString m_strOpener;
    int m_nOpenerWaitMs;
};
