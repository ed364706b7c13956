#include "ScriptedInteraction.h"

#include <mutex>

#include <QDialog>

namespace {
// Message boxes may be asked for from worker threads through the
// user-interface thread; the lists are only touched on that thread, but a
// lock keeps a test's reads honest.
std::mutex g_mutex;
} // namespace

int ScriptedInteraction::MessageBox(QWidget*, const QString& text, const QString& caption,
                                    unsigned type)
{
    std::lock_guard lock(g_mutex);
    boxes.append({text, caption, type});
    if (!boxAnswers.isEmpty())
        return boxAnswers.takeFirst();
    return (type & 0x0F) == MB_YESNO || (type & 0x0F) == MB_YESNOCANCEL ? IDNO : IDOK;
}

QStringList ScriptedInteraction::GetOpenFileNames(QWidget*, const QString&, const QString&,
                                                  const QString& filter, const QString& defaultSuffix)
{
    std::lock_guard lock(g_mutex);
    fileDialogFilters.append(filter);
    fileDialogSuffixes.append(defaultSuffix);
    return openFileAnswers.isEmpty() ? QStringList() : openFileAnswers.takeFirst();
}

QString ScriptedInteraction::GetExistingDirectory(QWidget*, const QString& caption, const QString&)
{
    std::lock_guard lock(g_mutex);
    folderCaptions.append(caption);
    return folderAnswers.isEmpty() ? QString() : folderAnswers.takeFirst();
}

int ScriptedInteraction::ExecDialog(QDialog* dialog)
{
    ++dialogsRun;
    if (dialogHandler)
        return dialogHandler(dialog);
    return QDialog::Rejected;
}

bool ScriptedInteraction::OpenWithDefault(const QString& pathOrUrl)
{
    std::lock_guard lock(g_mutex);
    openedItems.append(pathOrUrl);
    return openSucceeds;
}

bool ScriptedInteraction::OpenWithWebPageHandler(const QString& address)
{
    std::lock_guard lock(g_mutex);
    webPageHandlerOpened.append(address);
    return webPageHandlerSucceeds;
}

bool ScriptedInteraction::ShowFileProperties(const QString& path)
{
    std::lock_guard lock(g_mutex);
    propertiesShown.append(path);
    return propertiesSucceed;
}

ScopedInteraction::ScopedInteraction(UserInteraction* seam)
    : m_pPrevious(InstallInteraction(seam))
{
}

ScopedInteraction::~ScopedInteraction()
{
    InstallInteraction(m_pPrevious);
}
