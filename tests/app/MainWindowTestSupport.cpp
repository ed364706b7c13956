#include "MainWindowTestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QThread>

#include <gtest/gtest.h>

#include "AppSettings.h"
#include "ReportCtrl.h"
#include "SettingsStore.h"
#include "ZARVDlg.h"

namespace MainWindowTest {

namespace {
QSettings& Profile()
{
    static QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                              QStringLiteral("Quorvane Corporation"), QStringLiteral("Marlune"));
    return settings;
}
} // namespace

void ClearProfile()
{
    Profile().sync();
    Profile().clear();
    Profile().sync();
    if (!AppSettings.SettingsFolder.isEmpty())
        QFile::remove(SettingsFilePath());
}

QStringList ProfileKeys()
{
    Profile().sync();
    return Profile().allKeys();
}

bool WaitUntil(const std::function<bool()>& condition, int nTimeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > nTimeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

std::unique_ptr<CZARVDlg> StartMainWindow()
{
    auto dlg = std::make_unique<CZARVDlg>();
    if (!dlg->Initialise()) {
        ADD_FAILURE() << "the main window did not start";
        return nullptr;
    }
    QCoreApplication::processEvents();
    return dlg;
}

bool WaitForLoad(CZARVDlg& dlg, int nTimeoutMs)
{
    return WaitUntil([&] { return !dlg.IsLoaderRunning() && dlg.m_bLoading == 0; }, nTimeoutMs);
}

bool LoadFiles(CZARVDlg& dlg, ScriptedInteraction& seam, const QStringList& arrPaths)
{
    seam.openFileAnswers.append(arrPaths);
    dlg.OnAddFiles();
    return WaitForLoad(dlg);
}

QStringList ColumnTexts(const CZARVDlg& dlg, int nCol)
{
    QStringList texts;
    for (int i = 0; i < dlg.m_lstFiles->GetItemCount(); ++i)
        texts.append(dlg.m_lstFiles->GetItemText(i, nCol));
    return texts;
}

} // namespace MainWindowTest
