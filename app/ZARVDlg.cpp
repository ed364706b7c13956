#include "ZARVDlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimerEvent>

#include "AppCommands.h"
#include "ConversionTask.h"
#include "DecodeStage.h"
#include "DialogTemplate.h"
#include "EngineGlobals.h"
#include "FileItemInfo.h"
#include "FileRecordAccess.h"
#include "PlacementStore.h"
#include "ProfileStore.h"
#include "Processing.h"
#include "ReportCtrl.h"
#include "SettingsStore.h"
#include "UiGlobals.h"
#include "UserInteraction.h"
#include "WMAFile2.h"
#include "WorkerThread.h"

CZARVDlg* g_pMainDlg = nullptr;

namespace {

const QString kPlacementId = QStringLiteral("{08498238-9FCE-4F3C-861C-BE77C5E25FD5}");
const QString kPlacementSection = QStringLiteral("Position");

// The file list takes the place of the template's list-view control.
QWidget* MakeFileList(const DialogControl& control, QWidget* parent)
{
    if (control.nID != IDC_FILE_LIST)
        return nullptr;
    auto* list = new CReportCtrl(parent);
    list->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    return list;
}

// Waits for a worker thread that reaches this window through sent messages:
// those are handled meanwhile, user input is not.
void WaitForThreadHandlingMessages(CWorkerThread& thread)
{
    while (!thread.WaitFor(5))
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

CZARVDlg::CZARVDlg(QWidget* parent)
    : CResizeDlg(Template(), parent, MakeFileList)
    , m_hIcon(QStringLiteral(":/icons/marlune.svg"))
    , m_pRecordAccess(std::make_unique<FileRecordAccess>())
{
    // The main window is an application window of its own on the taskbar.
    setWindowFlags((windowFlags() & ~Qt::WindowType_Mask) | Qt::Window);
    m_lstFiles = qobject_cast<CReportCtrl*>(GetDlgItem(IDC_FILE_LIST));
    m_lstFiles->SetRecordAccess(m_pRecordAccess.get());
    CreateAccelerators();
    m_nFillRow = -1;
}

CZARVDlg::~CZARVDlg()
{
    CloseMessages();
    StopLoader();
    if (m_lstFiles)
        m_lstFiles->SetRecordAccess(nullptr);
    if (g_pMainDlg == this)
        g_pMainDlg = nullptr;
}

const DialogTemplate& CZARVDlg::Template()
{
    static const DialogTemplate dlg{
        IDD_ZARV_DIALOG,
        QStringLiteral("Marlune"),
        601,
        388,
        DLG_SYSMENU | DLG_RESIZABLE | DLG_MINIMIZEBOX | DLG_MAXIMIZEBOX,
        QStringLiteral("Tahoma"),
        8,
        {
            {IDC_FILE_LIST, ControlKind::ListView, {}, 2, 35, 597, 336, CTL_BORDER},
        },
    };
    return dlg;
}

bool CZARVDlg::Initialise()
{
    show();
    if (m_bInitFailed) {
        // Ended before the close sequence could run: nothing is saved.
        CResizeDlg::done(1);
        return false;
    }
    return true;
}

bool CZARVDlg::OnInitDialog()
{
    CResizeDlg::OnInitDialog();
    setWindowIcon(m_hIcon);
    m_pProcessing = new CProcessing(this);
    m_pProcessing->hide();
    HideSizeGrip();
    g_pMainDlg = this;
    // Qt draws the list in the platform's current style everywhere.
    g_bVistaOrLater = 1;
    m_bClosing = false;
    g_mapFormatByExt[QStringLiteral("WMA")] = FORMAT_WMA;
    OpenSettingsStore();
    if (!CreateDecoder()) {
        m_bInitFailed = true;
        m_nExitCode = 1;
        return false;
    }
    if (!CreateBars()) {
        m_bInitFailed = true;
        m_nExitCode = 1;
        return false;
    }
    m_bLoading = 0;
    SetUpFileList();
    m_dTotalMB = 0.0;
    m_dTotalSeconds = 0.0;
    m_pLoaderThread.reset();
    m_nFileCount = 0;
    PlaceStatusBar();
    m_strPlacementId = kPlacementId;
    if (!m_placement.LoadPlacement(this, kPlacementId, kPlacementSection))
        setWindowState(windowState() | Qt::WindowMaximized);
    CreateSampleRings();
    if (g_bVistaOrLater)
        m_lstFiles->ApplyExplorerTheme();
    ShowOutputSummary();
    SetTimer(TIMER_LAYOUT, 1000);
    m_lstFiles->setFocus();
    return true;
}

bool CZARVDlg::CreateDecoder()
{
    g_pWMAFile = nullptr;
    m_pDecoder.reset();
    HRESULT hr = E_FAIL;
    try {
        hr = CreateWMAFile2(m_pDecoder);
    } catch (...) {
        m_pDecoder.reset();
        Interaction().MessageBox(
            this, QStringLiteral("Error on CreateInstance ActiveX WMAFile2!\nRun \"Mendall.exe\" to fix it."),
            QStringLiteral("Error !"), MB_OK | MB_ICONERROR);
        return false;
    }
    if (SUCCEEDED(hr) && m_pDecoder) {
        g_pWMAFile = m_pDecoder.get();
        return true;
    }
    m_pDecoder.reset();
    Interaction().MessageBox(
        this, QStringLiteral("Error on CreateInstance ActiveX WMAFile2!\nRun \"Mendall.exe\" to fix it."),
        QStringLiteral("Error !"), MB_OK | MB_ICONERROR);
    Interaction().MessageBox(
        this, QStringLiteral("Error on Initializing ActiveX Controls!\nRun \"Mendall.exe\" to fix it."),
        ApplicationName(), MB_OK | MB_ICONERROR);
    return false;
}

void CZARVDlg::Close()
{
    if (m_bClosing)
        return;
    m_bClosing = true;
    // The loader stops after its current file; from here its messages
    // return 0 at once, so it cannot wait on this window while the window
    // waits for it. No worker may outlive what the steps below free.
    CloseMessages();
    m_bLoading = 0;
    StopLoader();
    // Held at 1 from here, like m_bClosing, so that nothing starts again.
    m_bLoading = 1;
    // A job still winding down uses the ring buffers and the decoder.
    DestroySampleRings();
    SaveSettings();
    m_placement.SavePlacement(this, kPlacementId, kPlacementSection);
    SaveListLayout();
    g_pWMAFile = nullptr;
    m_pDecoder.reset();
    ProfileStore::Flush();
    m_nExitCode = 0;
    done(1);
}

void CZARVDlg::StopLoader()
{
    if (!m_pLoaderThread)
        return;
    WaitForThreadHandlingMessages(*m_pLoaderThread);
    m_pLoaderThread.reset();
}

void CZARVDlg::OnDestroy()
{
    CResizeDlg::OnDestroy();
    m_bLoading = 0;
    StopLoader();
    if (m_pProcessing) {
        m_pProcessing->StopShowTimer();
        m_pProcessing->hide();
    }
}

void CZARVDlg::BringForward()
{
    if (isMinimized())
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != this) {
        modal->raise();
        modal->activateWindow();
    }
}

void CZARVDlg::closeEvent(QCloseEvent* event)
{
    event->ignore();
    // The close box and the window system's close request are greyed while
    // a load runs; the Exit command and the application's own requests are
    // not.
    if (event->spontaneous() && !m_bCloseEnabled)
        return;
    Close();
}

void CZARVDlg::SetCloseEnabled(bool bEnabled)
{
    m_bCloseEnabled = bEnabled;
}

void CZARVDlg::keyPressEvent(QKeyEvent* event)
{
    // Neither ends the main window.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        CResizeDlg::keyPressEvent(event);
    }
}

void CZARVDlg::paintEvent(QPaintEvent* event)
{
    if (m_bFirstPaint && m_wndStatusBar) {
        m_bFirstPaint = false;
        LayoutBars();
    }
    CResizeDlg::paintEvent(event);
}

void CZARVDlg::resizeEvent(QResizeEvent* event)
{
    CResizeDlg::resizeEvent(event);
    if (m_wndStatusBar)
        LayoutBars();
}

void CZARVDlg::SetTimer(int nIDEvent, int nElapse)
{
    KillTimer(nIDEvent);
    m_mapTimers[nIDEvent] = startTimer(nElapse);
}

void CZARVDlg::KillTimer(int nIDEvent)
{
    const auto it = m_mapTimers.find(nIDEvent);
    if (it == m_mapTimers.end())
        return;
    killTimer(it->second);
    m_mapTimers.erase(it);
}

bool CZARVDlg::IsTimerRunning(int nIDEvent) const
{
    return m_mapTimers.contains(nIDEvent);
}

void CZARVDlg::timerEvent(QTimerEvent* event)
{
    for (const auto& [nIDEvent, nTimerId] : m_mapTimers) {
        if (nTimerId == event->timerId()) {
            OnTimer(nIDEvent);
            return;
        }
    }
    CResizeDlg::timerEvent(event);
}

FileItemInfo* CZARVDlg::NewRecord()
{
    auto record = std::make_unique<FileItemInfo>();
    FileItemInfo* pInfo = record.get();
    m_mapRecords.emplace(pInfo, std::move(record));
    return pInfo;
}

void CZARVDlg::FreeRecord(FileItemInfo* pInfo)
{
    if (pInfo == m_pFillRecord)
        m_pFillRecord = nullptr;
    m_mapRecords.erase(pInfo);
}

LRESULT CZARVDlg::OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                  std::unique_ptr<MessagePayload>& payload)
{
    switch (message) {
    case WM_LIST_ADD_ROW:
        return reinterpret_cast<LRESULT>(OnListAddRow(payload.get()));
    case WM_LIST_FILL_DETAILS:
        OnFillDetails(payload.get());
        return 1;
    case WM_LIST_LOAD_ENDED:
        OnLoadEnded(wParam != 0);
        return 1;
    case WM_LIST_SORTED:
        ShowSortArrows(static_cast<int>(wParam), lParam != 0);
        return 0;
    case WM_LIST_EDITCOMMITTED:
        if (const auto* cell = reinterpret_cast<const ReportCell*>(wParam))
            OnRenameCommit(*cell);
        return 0;
    default:
        return CResizeDlg::OnWindowMessage(message, wParam, lParam, payload);
    }
}
