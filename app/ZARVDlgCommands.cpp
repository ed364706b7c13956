#include "ZARVDlg.h"

void CZARVDlg::OnOpenFile() {}

void CZARVDlg::OnFileProperties() {}

void CZARVDlg::OnRenameFile() {}

void CZARVDlg::OnRenameCommit(const ReportCell&) {}

void CZARVDlg::OnRemoveSelected() {}

void CZARVDlg::OnRemoveAll() {}

void CZARVDlg::OnSelectAll() {}

void CZARVDlg::OnListItemChanged() {}

void CZARVDlg::ShowSelectionStatus() {}

void CZARVDlg::OnTimer(int nIDEvent)
{
    KillTimer(nIDEvent);
    if (nIDEvent == TIMER_LAYOUT)
        LayoutBars();
    else if (nIDEvent == TIMER_STATUS)
        ShowSelectionStatus();
}
