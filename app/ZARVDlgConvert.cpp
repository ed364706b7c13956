// Starting a conversion: the usable rows of the file list become the tasks
// of a job that the progress window runs modally.

#include "ZARVDlg.h"

#include <vector>

#include <QFileInfo>

#include "AppSettings.h"
#include "ConvProg.h"
#include "FileItemInfo.h"
#include "FileNames.h"
#include "ReportCtrl.h"
#include "TaskBuilder.h"
#include "UiGlobals.h"

namespace {

// A row the job can take: its record is complete. The loader marks any file
// without a rate, channel count or length unusable; a record without them
// is refused here too, as the task's arithmetic divides by them.
const FileItemInfo* UsableRecord(const CReportCtrl& list, int nItem)
{
    const auto* pInfo = static_cast<const FileItemInfo*>(list.GetItemData(nItem));
    if (!pInfo || pInfo->m_bError || pInfo->m_nSampleRate == 0 || pInfo->m_nChannels == 0
        || pInfo->m_nTotalSamples == 0)
        return nullptr;
    return pInfo;
}

} // namespace

void CZARVDlg::StartConversion(bool bSelectedOnly)
{
    // A sort, a load, a bulk removal or the close sequence is under way.
    if (g_bListBusy || m_bLoading || m_bClosing)
        return;
    if (!bSelectedOnly && m_lstFiles->GetItemCount() == 0)
        return;

    // A folder that cannot be made is reported by the job for its first task.
    if (!QFileInfo(AppSettings.DesDir).isDir())
        CreateFolderTree(AppSettings.DesDir);

    const OutputSettings settings{AppSettings.DesDir, AppSettings.Freq, AppSettings.LameChannel};
    std::vector<CConversionTask> arrTasks;
    for (int nItem = 0; nItem < m_lstFiles->GetItemCount(); ++nItem) {
        if (bSelectedOnly && !(m_lstFiles->GetItemStates(nItem) & ROW_SELECTED))
            continue;
        const FileItemInfo* pInfo = UsableRecord(*m_lstFiles, nItem);
        if (!pInfo)
            continue;
        SourceDetails source;
        source.strPath =
            m_lstFiles->GetItemText(nItem, COL_PATH) + m_lstFiles->GetItemText(nItem, COL_NAME);
        source.nFormat = pInfo->m_nFormat;
        source.nSampleRate = pInfo->m_nSampleRate;
        source.nChannels = pInfo->m_nChannels;
        source.nTotalSamples = pInfo->m_nTotalSamples;
        arrTasks.push_back(BuildConversionTask(source, settings));
    }
    if (arrTasks.empty())
        return;

    // The rows, their selection and the totals stay as they are.
    CConvProg dlg(std::move(arrTasks), this);
    dlg.DoModal();
}

void CZARVDlg::OnListDblClk()
{
    if (m_lstFiles->CountItems(ROW_SELECTED) > 0)
        StartConversion(true);
}
