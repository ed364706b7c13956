#pragma once

#include <functional>
#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

#include "UserInteraction.h"

// Answers every modal question without a window and records what was asked.
// Install it for the length of a test with ScopedInteraction.
class ScriptedInteraction : public UserInteraction
{
public:
    struct AskedBox
    {
        QString text;
        QString caption;
        unsigned type = 0;
    };

    // Answers, taken in order. With the box queue empty, a question is
    // answered IDNO and any other box IDOK.
    QList<int> boxAnswers;
    QList<QStringList> openFileAnswers;
    QList<QString> folderAnswers;
    // Called for each modal dialog instead of exec(); returns its result.
    // Without one the dialog is rejected at once.
    std::function<int(QDialog*)> dialogHandler;
    bool openSucceeds = true;
    bool webPageHandlerSucceeds = false;
    bool propertiesSucceed = true;

    QList<AskedBox> boxes;
    QStringList openedItems;
    QStringList webPageHandlerOpened;
    QStringList propertiesShown;
    QStringList folderCaptions;
    QStringList fileDialogFilters;
    QStringList fileDialogSuffixes;
    int dialogsRun = 0;

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

class ScopedInteraction
{
public:
    explicit ScopedInteraction(UserInteraction* seam);
    ~ScopedInteraction();
    ScopedInteraction(const ScopedInteraction&) = delete;
    ScopedInteraction& operator=(const ScopedInteraction&) = delete;

private:
    UserInteraction* m_pPrevious;
};
