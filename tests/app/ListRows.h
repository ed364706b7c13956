#pragma once

#include <cstdint>

#include <QString>

#include "FileItemInfo.h"
#include "ReportCtrl.h"
#include "ZARVDlg.h"

// Rows put straight into the main window's list, as a load leaves them.
struct RowSpec
{
    QString strName;
    QString strFolder; // ends with a separator
    uint32_t nSampleRate = 44100;
    uint32_t nChannels = 2;
    uint64_t nTotalSamples = 88200;
    double dSizeMB = 1.0;
    double dDuration = 1.0;
    bool bError = false;
};

inline int AddRow(CZARVDlg& dlg, const RowSpec& spec)
{
    FileItemInfo* pInfo = dlg.NewRecord();
    pInfo->m_bError = spec.bError ? 1 : 0;
    pInfo->m_nFormat = FORMAT_WMA;
    pInfo->m_nSampleRate = spec.nSampleRate;
    pInfo->m_nChannels = spec.nChannels;
    pInfo->m_nTotalSamples = spec.nTotalSamples;
    pInfo->m_dSizeMB = spec.dSizeMB;
    pInfo->m_dDuration = spec.dDuration;
    CReportCtrl& list = *dlg.m_lstFiles;
    const int nRow = list.InsertItem(list.GetItemCount(), spec.strName);
    list.SetItemData(nRow, pInfo);
    list.SetItemText(nRow, COL_PATH, spec.strFolder);
    list.SetItemText(nRow, COL_TYPE, spec.bError ? QStringLiteral("Unknown") : QStringLiteral("WMA"));
    dlg.m_nFileCount += 1;
    dlg.m_dTotalMB += spec.dSizeMB;
    dlg.m_dTotalSeconds += spec.dDuration;
    return nRow;
}
