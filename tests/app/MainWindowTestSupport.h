#pragma once

#include <functional>
#include <memory>

#include <QString>
#include <QStringList>

#include "ScriptedInteraction.h"

class CZARVDlg;

namespace MainWindowTest {

// Removes every value of the application's profile and the settings file,
// as on a first run.
void ClearProfile();
QStringList ProfileKeys();

// Polls (handling events) until the condition holds or the deadline passes.
bool WaitUntil(const std::function<bool()>& condition, int nTimeoutMs = 20000);

// A main window past its initialisation; null (and a test failure) if it
// did not start.
std::unique_ptr<CZARVDlg> StartMainWindow();

// Waits until no load runs and its end steps are done.
bool WaitForLoad(CZARVDlg& dlg, int nTimeoutMs = 60000);

// Adds the files through the file-dialog seam and waits for the load.
bool LoadFiles(CZARVDlg& dlg, ScriptedInteraction& seam, const QStringList& arrPaths);

// The texts of one column, top to bottom.
QStringList ColumnTexts(const CZARVDlg& dlg, int nCol);

} // namespace MainWindowTest
