// The commands that act on the rows of the file list, and the status panes
// that describe the list and its selection.

#include "ZARVDlg.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>

#include "FileItemInfo.h"
#include "FilePropertiesDlg.h"
#include "ReportCtrl.h"
#include "StatusBar.h"
#include "UiGlobals.h"
#include "UserInteraction.h"

namespace {

// "hh:mm:ss" of the whole seconds; the hours are not limited to two digits.
QString ClockText(double dSeconds)
{
    const auto nSeconds = static_cast<long long>(dSeconds);
    return QString::asprintf("%02lld:%02lld:%02lld", nSeconds / 3600, (nSeconds % 3600) / 60,
                             nSeconds % 60);
}

// Holds m_bLoading at 1 while rows are removed or selected in bulk, so the
// burst of selection notifications is ignored and no conversion starts;
// then puts back the value it had. A load running meanwhile keeps its 1 and
// goes on adding files.
class LoadingHold
{
public:
    explicit LoadingHold(std::atomic<int>& bLoading)
        : m_bLoading(bLoading)
        , m_nBefore(bLoading.exchange(1))
    {
    }
    ~LoadingHold() { m_bLoading = m_nBefore; }
    LoadingHold(const LoadingHold&) = delete;
    LoadingHold& operator=(const LoadingHold&) = delete;

private:
    std::atomic<int>& m_bLoading;
    int m_nBefore;
};

// A name the rename may give a file: one component inside its folder.
bool IsPlainFileName(const QString& strName)
{
    return !strName.isEmpty() && strName != QStringLiteral(".") && strName != QStringLiteral("..")
           && !strName.contains(QLatin1Char('/')) && !strName.contains(QDir::separator())
           && !strName.contains(QChar(0));
}

QString RowPath(const CReportCtrl& list, int nItem)
{
    return list.GetItemText(nItem, COL_PATH) + list.GetItemText(nItem, COL_NAME);
}

// The panes after rows were removed: the totals, the row colours without
// the sort highlight, and the selection.
void ShowTotalsAndSelection(CZARVDlg& dlg)
{
    dlg.ShowFileTotals();
    dlg.m_lstFiles->ApplyRowColors(false);
    dlg.ShowSelectionStatus();
}

// Takes one row out of the list and its totals and frees its record. The
// caller holds m_bLoading and refreshes the panes afterwards.
void RemoveRow(CZARVDlg& dlg, int nItem)
{
    auto* pInfo = static_cast<FileItemInfo*>(dlg.m_lstFiles->GetItemData(nItem));
    dlg.m_nFileCount -= 1;
    if (pInfo) {
        dlg.m_dTotalMB -= pInfo->m_dSizeMB;
        dlg.m_dTotalSeconds -= pInfo->m_dDuration;
    }
    // Sums of doubles drift; an empty list has nothing left to count.
    if (dlg.m_nFileCount <= 0) {
        dlg.m_nFileCount = 0;
        dlg.m_dTotalMB = 0.0;
        dlg.m_dTotalSeconds = 0.0;
    }
    dlg.m_lstFiles->DeleteItem(nItem, false);
    if (pInfo)
        dlg.FreeRecord(pInfo);
}

} // namespace

void CZARVDlg::OnOpenFile()
{
    const int nItem = m_lstFiles->FindNextItem(ROW_SELECTED);
    if (nItem < 0)
        return;
    const QString strPath = RowPath(*m_lstFiles, nItem);

    if (QFileInfo::exists(strPath)) {
        if (!Interaction().OpenWithDefault(strPath)) {
            Interaction().MessageBox(
                this, QStringLiteral("There is no application associated with the given file name extension."),
                ApplicationName(), MB_OK | MB_ICONWARNING);
        }
        return;
    }

    if (Interaction().MessageBox(this, QStringLiteral("File NOT Found!  Remove It from the List?"),
                                 ApplicationName(), MB_YESNO | MB_ICONWARNING)
        != IDYES)
        return;
    // The question ran a modal loop: the row may have moved or gone.
    const int nRow = m_lstFiles->FindNextItem(ROW_SELECTED);
    if (nRow < 0 || RowPath(*m_lstFiles, nRow) != strPath)
        return;
    {
        const LoadingHold hold(m_bLoading);
        RemoveRow(*this, nRow);
    }
    ShowTotalsAndSelection(*this);
}

void CZARVDlg::OnFileProperties()
{
    const int nItem = m_lstFiles->FindNextItem(ROW_SELECTED);
    if (nItem < 0)
        return;
    const QString strPath = RowPath(*m_lstFiles, nItem);
    if (Interaction().ShowFileProperties(strPath))
        return;
    // No file manager answered: our own view, so the command never does nothing.
    const auto* pInfo = static_cast<const FileItemInfo*>(m_lstFiles->GetItemData(nItem));
    const AudioDetails audio{m_lstFiles->GetItemText(nItem, COL_TYPE),
                             m_lstFiles->GetItemText(nItem, COL_DURATION),
                             m_lstFiles->GetItemText(nItem, COL_FREQUENCY),
                             m_lstFiles->GetItemText(nItem, COL_CHANNEL),
                             pInfo && pInfo->m_bError ? pInfo->m_strError : QString()};
    CFilePropertiesDlg dlg(strPath, audio, this);
    Interaction().ExecDialog(&dlg);
}

void CZARVDlg::OnRenameFile()
{
    const int nItem = m_lstFiles->FindNextItem(ROW_SELECTED);
    if (nItem < 0)
        return;
    m_lstFiles->BeginEdit(nItem, COL_NAME);
}

void CZARVDlg::OnRenameCommit(const ReportCell& cell)
{
    if (cell.nSubItem != COL_NAME || cell.nItem < 0 || cell.nItem >= m_lstFiles->GetItemCount())
        return;
    // The list keeps the name the edit started from, however the edit was
    // begun (the Rename command or a click on the name).
    const QString strOldName = m_lstFiles->m_strEditStartText;
    const QString strNewName = m_lstFiles->GetItemText(cell.nItem, COL_NAME);
    const QString strFolder = m_lstFiles->GetItemText(cell.nItem, COL_PATH);
    const QString strOldPath = strFolder + strOldName;
    const QString strNewPath = strFolder + strNewName;

    // QFile::rename never replaces an existing file. A row the loader is
    // still filling keeps its name: the loader reads the file by it.
    const bool bRenamed = IsPlainFileName(strNewName)
                          && m_lstFiles->GetItemData(cell.nItem) != m_pFillRecord
                          && QFile::rename(strOldPath, strNewPath);
    if (!bRenamed) {
        Interaction().MessageBox(this, QStringLiteral("Fail to Rename File!"), ApplicationName(),
                                 MB_OK | MB_ICONWARNING);
        m_lstFiles->SetItemText(cell.nItem, COL_NAME, strOldName);
    }
}

void CZARVDlg::OnRemoveSelected()
{
    {
        const LoadingHold hold(m_bLoading);
        const bool bWasUpdating = m_lstFiles->updatesEnabled();
        m_lstFiles->setUpdatesEnabled(false);
        // Rows above a removed one were not selected, so each search goes on
        // from where the last row was.
        for (int nItem = m_lstFiles->FindNextItem(ROW_SELECTED); nItem >= 0;
             nItem = m_lstFiles->FindNextItem(ROW_SELECTED, nItem - 1))
            RemoveRow(*this, nItem);
        ShowTotalsAndSelection(*this);
        m_lstFiles->setUpdatesEnabled(bWasUpdating);
    }
}

void CZARVDlg::OnRemoveAll()
{
    {
        const LoadingHold hold(m_bLoading);
        const bool bWasUpdating = m_lstFiles->updatesEnabled();
        m_lstFiles->setUpdatesEnabled(false);
        // From the end: the same rows go, without moving the others each time.
        for (int nItem = m_lstFiles->GetItemCount() - 1; nItem >= 0; --nItem)
            RemoveRow(*this, nItem);
        ShowTotalsAndSelection(*this);
        m_lstFiles->setUpdatesEnabled(bWasUpdating);
    }
}

void CZARVDlg::OnSelectAll()
{
    {
        const LoadingHold hold(m_bLoading);
        m_lstFiles->SetAllItemStates(ROW_ALL, ROW_SELECTED);
    }
    ShowSelectionStatus();
}

void CZARVDlg::OnListItemChanged()
{
    if (g_bListBusy || m_bLoading)
        return;
    ShowSelectionStatus();
}

void CZARVDlg::ShowSelectionStatus()
{
    // Only the selected rows are visited.
    const QModelIndexList arrSelected = m_lstFiles->selectionModel()->selectedRows();
    double dSizeMB = 0.0;
    double dSeconds = 0.0;
    for (const QModelIndex& row : arrSelected) {
        if (const auto* pInfo = static_cast<const FileItemInfo*>(m_lstFiles->GetItemData(row.row()))) {
            dSizeMB += pInfo->m_dSizeMB;
            dSeconds += pInfo->m_dDuration;
        }
    }
    const auto nCount = static_cast<int>(arrSelected.size());
    const QString strText =
        nCount == 0 ? QStringLiteral("No file selected")
                    : QString::asprintf("%d file(s) selected, %.2f MB   ", nCount, dSizeMB)
                          + ClockText(dSeconds);
    m_wndStatusBar->SetText(1, strText);
}

void CZARVDlg::OnTimer(int nIDEvent)
{
    KillTimer(nIDEvent);
    if (nIDEvent == TIMER_LAYOUT) {
        LayoutBars();
    } else if (nIDEvent == TIMER_STATUS) {
        ShowFileTotals();
        m_wndStatusBar->repaint();
    }
}
