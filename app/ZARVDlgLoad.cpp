#include "ZARVDlg.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>

#include "ConversionTask.h"
#include "DecodeStage.h"
#include "FileItemInfo.h"
#include "Processing.h"
#include "ReportCtrl.h"
#include "StatusBar.h"
#include "UserInteraction.h"
#include "WMAFile2.h"
#include "WorkerThread.h"

std::map<QString, int> g_mapFormatByExt;

// What the loader found for one file, handed to the window to fill its row.
struct LoadedFile
{
    QString strName;
    QString strFolder; // ends with the native separator
    QString strPath;
    QString strType;   // the extension upper-cased
    QString strModified;
    uint64_t nSize = 0;
    uint8_t nFormat = 0;
};

namespace {

const QString kProductName = QStringLiteral("Marlune");

// The details read for one file; pRecord names the row.
struct LoadedDetails
{
    FileItemInfo* pRecord = nullptr;
    FileItemInfo details;
};

QString FolderWithSeparator(const QFileInfo& info)
{
    QString folder = QDir::toNativeSeparators(info.absolutePath());
    if (!folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    return folder;
}

// The part of the name after its last dot, or the whole name without one.
QString TypeOf(const QString& strName)
{
    return strName.mid(strName.lastIndexOf(QLatin1Char('.')) + 1).toUpper();
}

QString DurationText(double dSeconds)
{
    const auto nSeconds = static_cast<long long>(dSeconds);
    return QString::asprintf("%02lld:%02lld:%02lld", nSeconds / 3600, (nSeconds % 3600) / 60,
                             nSeconds % 60);
}

// Reads the decoder's values into the record; stops at the first failed call,
// keeping what was read so far, and leaves no file open. Returns that call's
// result.
HRESULT ReadWmaDetails(WMAFile2& decoder, const QString& strPath, FileItemInfo& info)
{
    const auto read = [&]() -> HRESULT {
        HRESULT hr = decoder.Open(strPath);
        if (FAILED(hr))
            return hr;
        uint32_t nChannels = 0;
        if (FAILED(hr = decoder.get_Channels(&nChannels)))
            return hr;
        info.m_nChannels = nChannels;
        uint32_t nSampleRate = 0;
        if (FAILED(hr = decoder.get_SampleRate(&nSampleRate)))
            return hr;
        info.m_nSampleRate = nSampleRate;
        uint32_t nFrames = 0;
        if (FAILED(hr = decoder.get_SampleCount(&nFrames)))
            return hr;
        info.m_nTotalSamples = static_cast<uint64_t>(info.m_nChannels) * nFrames;
        int32_t nMilliseconds = 0;
        if (FAILED(hr = decoder.get_Duration(&nMilliseconds)))
            return hr;
        info.m_dDuration = nMilliseconds / 1000.0;
        return decoder.Close();
    };
    const HRESULT hr = read();
    if (SUCCEEDED(hr))
        return hr;
    bool bOpen = false;
    if (SUCCEEDED(decoder.get_IsOpen(&bOpen)) && bOpen)
        decoder.Close();
    return hr;
}

// The details of one file as its row shows them; m_bError when the file
// cannot be opened or its details are incomplete.
FileItemInfo ReadFileDetails(const QString& strPath, uint8_t nFormat, WMAFile2* pDecoder)
{
    FileItemInfo info;
    info.m_nFormat = nFormat;
    if (!IsFileReadable(strPath, &info.m_strError)) {
        info.m_bError = 1;
        return info;
    }
    if (nFormat != FORMAT_WMA) {
        info.m_strError = QStringLiteral("Not a WMA file: only .wma files are converted");
    } else if (pDecoder) {
        const HRESULT hr = ReadWmaDetails(*pDecoder, strPath, info);
        if (FAILED(hr))
            info.m_strError = DescribeResult(hr);
    }
    if (info.m_nChannels == 0 || info.m_nSampleRate == 0 || info.m_nTotalSamples == 0) {
        info.m_bError = 1;
        if (info.m_strError.isEmpty())
            info.m_strError = QStringLiteral("The file holds no audio");
    } else {
        info.m_strError.clear();
    }
    return info;
}

// Appends and fills one row. False when the window no longer takes rows.
bool AddFileToList(const MessageTarget& target, const QFileInfo& found, WMAFile2* pDecoder)
{
    LoadedFile file;
    file.strName = found.fileName();
    file.strPath = QDir::toNativeSeparators(found.absoluteFilePath());
    file.strFolder = FolderWithSeparator(found);
    file.nSize = static_cast<uint64_t>(found.size());
    file.strType = TypeOf(file.strName);
    const auto format = g_mapFormatByExt.find(file.strType);
    file.nFormat = format != g_mapFormatByExt.end() ? static_cast<uint8_t>(format->second) : 0;
    file.strModified =
        found.lastModified().toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    const QString strPath = file.strPath;
    const uint8_t nFormat = file.nFormat;
    // The window appends the row and fills what the file system told in one
    // call, so the loader waits on it twice per file rather than once per cell.
    auto* pRecord = reinterpret_cast<FileItemInfo*>(target.SendMessage(
        WM_LIST_ADD_ROW, 0, 0, std::make_unique<ValuePayload<LoadedFile>>(std::move(file))));
    if (!pRecord)
        return false;

    LoadedDetails details{pRecord, ReadFileDetails(strPath, nFormat, pDecoder)};
    return target.SendMessage(WM_LIST_FILL_DETAILS, 0, 0,
                              std::make_unique<ValuePayload<LoadedDetails>>(std::move(details)))
           != 0;
}

} // namespace

bool IsFileReadable(const QString& strPath, QString* pstrReason)
{
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly)) {
        if (pstrReason)
            *pstrReason = file.errorString();
        return false;
    }
    file.close();
    return true;
}

unsigned LoadFilesThread(CZARVDlg* dlg, MessageTarget target, QStringList arrPaths)
{
    bool bFailed = false;
    try {
        WMAFile2* pDecoder = g_pWMAFile;
        for (const QString& strPath : arrPaths) {
            if (dlg->m_bLoading != 1)
                break;
            const QFileInfo found(strPath);
            if (!found.isFile())
                continue;
            if (!AddFileToList(target, found, pDecoder))
                break;
        }
    } catch (...) {
        bFailed = true;
        MessageBoxFromAnyThread(QStringLiteral("An Error Occurred While Loading Files!"),
                                ApplicationName(), MB_OK | MB_ICONERROR);
    }
    target.SendMessage(WM_LIST_LOAD_ENDED, bFailed ? 1 : 0);
    return 0;
}

void CZARVDlg::OnAddFiles()
{
    // A loader still adding files stops after its current file, and its end
    // steps run, before the next dialog opens.
    m_bLoading = 0;
    StopLoader();
    if (m_bClosing)
        return;

    const QStringList arrPaths =
        Interaction().GetOpenFileNames(this, QString(), QString(), QStringLiteral("Wma File (*.wma)"),
                                       QStringLiteral("wma"));
    if (arrPaths.isEmpty() || m_bClosing)
        return;

    m_lstFiles->setUpdatesEnabled(false);
    BeginLoading();
    setWindowTitle(QStringLiteral("Loading files, this may takes up to minutes, please wait..."));
    m_pLoaderThread = std::make_unique<CWorkerThread>(
        [this, target = Target(), arrPaths] { return LoadFilesThread(this, target, arrPaths); });
    m_pLoaderThread->Resume();
}

bool CZARVDlg::IsLoaderRunning() const
{
    return m_pLoaderThread && m_pLoaderThread->IsRunning();
}

void CZARVDlg::BeginLoading()
{
    m_pProcessing->adjustSize();
    m_pProcessing->move(geometry().center() - m_pProcessing->rect().center());
    m_pProcessing->setWindowTitle(QString());
    m_pProcessing->StartShowTimer();
    SetCloseEnabled(false);
    m_bLoading = 1;
}

FileItemInfo* CZARVDlg::OnListAddRow(MessagePayload* payload)
{
    const LoadedFile* file = PayloadValue<LoadedFile>(payload);
    if (!file)
        return nullptr;
    FileItemInfo* pInfo = NewRecord();
    const int nRow = m_lstFiles->InsertItem(m_lstFiles->GetItemCount(), QString(), -1, pInfo);
    if (nRow < 0) {
        FreeRecord(pInfo);
        return nullptr;
    }
    m_nFileCount += 1;
    m_nFillRow = nRow;
    m_pFillRecord = pInfo;
    FillRow(nRow, *file);
    return pInfo;
}

int CZARVDlg::RowOfFillRecord()
{
    if (!m_pFillRecord)
        return -1;
    if (m_nFillRow >= 0 && m_nFillRow < m_lstFiles->GetItemCount()
        && m_lstFiles->GetItemData(m_nFillRow) == m_pFillRecord)
        return m_nFillRow;
    // A header sort moved the row.
    for (int i = m_lstFiles->GetItemCount() - 1; i >= 0; --i) {
        if (m_lstFiles->GetItemData(i) == m_pFillRecord)
            return m_nFillRow = i;
    }
    return -1;
}

int CZARVDlg::IconIndexFor(const QString& strPath)
{
    const QFileInfo info(strPath);
    const QString strKey = info.suffix().toLower();
    const auto known = m_mapIconByType.find(strKey);
    if (known != m_mapIconByType.end())
        return known->second;
    static const QFileIconProvider provider;
    m_imgSystem.append(provider.icon(info));
    const int nIndex = static_cast<int>(m_imgSystem.size()) - 1;
    m_mapIconByType.emplace(strKey, nIndex);
    m_lstFiles->SetImageList(m_imgSystem);
    return nIndex;
}

void CZARVDlg::FillRow(int nRow, const LoadedFile& loaded)
{
    const LoadedFile* file = &loaded;
    FileItemInfo* pInfo = m_pFillRecord;
    m_lstFiles->SetItemText(nRow, COL_NAME, file->strName);
    m_pProcessing->setWindowTitle(QStringLiteral("Reading  ") + file->strPath);
    m_lstFiles->SetItemText(nRow, COL_PATH, file->strFolder);
    m_lstFiles->SetItemImage(nRow, COL_NAME, IconIndexFor(file->strPath));
    pInfo->m_dSizeMB = static_cast<double>(file->nSize) / 1048576.0;
    m_lstFiles->SetItemText(nRow, COL_SIZE, pInfo->m_dSizeMB, 2);
    m_dTotalMB += pInfo->m_dSizeMB;
    pInfo->m_nFormat = file->nFormat;
    m_lstFiles->SetItemText(nRow, COL_TYPE, file->strType);
    m_lstFiles->SetItemText(nRow, COL_MODIFIED, file->strModified);
}

void CZARVDlg::OnFillDetails(MessagePayload* payload)
{
    const LoadedDetails* loaded = PayloadValue<LoadedDetails>(payload);
    // The row was removed meanwhile: nothing to fill.
    if (!loaded || loaded->pRecord != m_pFillRecord)
        return;
    const int nRow = RowOfFillRecord();
    if (nRow < 0)
        return;
    FileItemInfo* pInfo = m_pFillRecord;
    const FileItemInfo& details = loaded->details;
    m_lstFiles->SetItemText(nRow, COL_DURATION, QString());
    m_lstFiles->SetItemText(nRow, COL_FREQUENCY, QString());
    m_lstFiles->SetItemText(nRow, COL_CHANNEL, QString());
    pInfo->m_nChannels = details.m_nChannels;
    pInfo->m_nSampleRate = details.m_nSampleRate;
    pInfo->m_nTotalSamples = details.m_nTotalSamples;
    pInfo->m_dDuration = details.m_dDuration;
    pInfo->m_bError = details.m_bError;
    pInfo->m_strError = details.m_strError;
    m_dTotalSeconds += details.m_dDuration;
    if (pInfo->m_bError) {
        m_lstFiles->SetItemInfoTip(nRow, pInfo->m_strError);
        m_lstFiles->SetItemText(nRow, COL_TYPE, QStringLiteral("Unknown"));
        m_lstFiles->SetItemTextColor(nRow, COL_TYPE, QColor(255, 0, 0), false);
        return;
    }
    if (static_cast<long long>(pInfo->m_dDuration) != 0)
        m_lstFiles->SetItemText(nRow, COL_DURATION, DurationText(pInfo->m_dDuration));
    switch (pInfo->m_nChannels) {
    case 1:
        m_lstFiles->SetItemText(nRow, COL_CHANNEL, QStringLiteral("1 (Mono)"));
        break;
    case 2:
        m_lstFiles->SetItemText(nRow, COL_CHANNEL, QStringLiteral("2 (Stereo)"));
        break;
    default:
        m_lstFiles->SetItemText(nRow, COL_CHANNEL, QString::number(pInfo->m_nChannels));
        break;
    }
    m_lstFiles->SetItemText(nRow, COL_FREQUENCY, QStringLiteral("%1 Hz").arg(pInfo->m_nSampleRate));
}

void CZARVDlg::OnLoadEnded(bool)
{
    // The end steps run after a failure too, so Close and conversions are
    // never left blocked.
    m_pFillRecord = nullptr;
    m_pProcessing->hide();
    ShowFileTotals();
    m_wndStatusBar->SetText(1, QStringLiteral(" No file selected"));
    m_wndStatusBar->SetTipText(1, QStringLiteral("No file selected"));
    m_lstFiles->setUpdatesEnabled(true);
    m_lstFiles->SortItems(0, m_lstFiles->GetItemCount() - 1, true);
    if (!m_lstFiles->m_arrSortInfo.isEmpty()) {
        const ColumnSortInfo& first = m_lstFiles->m_arrSortInfo.first();
        ShowSortArrows(first.nCol, first.bAscending != 0);
    }
    m_bLoading = 0;
    m_pProcessing->StopShowTimer();
    m_pProcessing->hide();
    SetCloseEnabled(true);
    SetTimer(TIMER_STATUS, 100);
    setWindowTitle(kProductName);
}

void CZARVDlg::ShowFileTotals()
{
    QString text = QStringLiteral("No file");
    if (m_nFileCount != 0) {
        const auto nSeconds = static_cast<long long>(m_dTotalSeconds);
        text = QString::asprintf("%d file(s)   %.2f MB   %02lld:%02lld:%02lld", m_nFileCount,
                                 m_dTotalMB, nSeconds / 3600, (nSeconds % 3600) / 60, nSeconds % 60);
    }
    m_wndStatusBar->SetText(0, text);
    m_wndStatusBar->SetTipText(0, text);
}
