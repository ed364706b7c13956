#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <unordered_map>

#include <QIcon>
#include <QList>
#include <QString>
#include <QStringList>

#include "ResizeDlg.h"
#include "ReportTypes.h"

class QDateTime;
class QFileInfo;
class QShortcut;
class QToolBar;
class CProcessing;
class CReportCtrl;
class CStatusBar;
class CWorkerThread;
class FileRecordAccess;
struct DialogTemplate;
struct FileItemInfo;
struct LoadedFile;
class WMAFile2;

// Messages of the main window besides those of the file list
// (ListMessages.h). WM_USER+101 means something else on the progress window.
//
// The loader thread reaches the window only through these, sent (it waits
// for each), so every change to the list and its totals happens on the
// user-interface thread. Each returns 0 once the window is closing; the
// loader then stops.
// payload: the file's name, folder, size, type and time; appends the row,
// fills those columns and returns the new row's record, as LRESULT.
constexpr UINT WM_LIST_ADD_ROW = WM_USER + 101;
constexpr UINT WM_LIST_FILL_DETAILS = WM_USER + 103; // payload: the details read; -> 1
constexpr UINT WM_LIST_LOAD_ENDED = WM_USER + 104;  // wParam 1 after a failure; -> 1

// Column indices of the file list.
enum : int {
    COL_NAME = 0,
    COL_PATH = 1,
    COL_TYPE = 2,
    COL_SIZE = 3,
    COL_MODIFIED = 4,
    COL_DURATION = 5,
    COL_FREQUENCY = 6,
    COL_CHANNEL = 7,
    FILE_LIST_COLUMNS = 8,
};

// Timers of the main window (SetTimer / OnTimer).
enum : int {
    TIMER_LAYOUT = 1, // one second after the window was first placed
    TIMER_STATUS = 2, // status refresh after a load and on selection changes
};

// The application's main window: a toolbar at the top, the file list and a
// three-pane status bar. Everything runs on the user-interface thread except
// the loader thread's body (LoadFilesThread), which works on the file
// system and the decoder and reaches the window through sent messages.
//
// Use: construct, Initialise() (shows the window), then exec(); a test may
// call Close() instead of running the loop.
class CZARVDlg : public CResizeDlg
{
public:
    explicit CZARVDlg(QWidget* parent = nullptr);
    ~CZARVDlg() override;

    static const DialogTemplate& Template();

    // Shows the window and runs the initialisation. False when the
    // application must end now, with ExitCode() as its exit code.
    bool Initialise();
    int ExitCode() const { return m_nExitCode; }

    // The close sequence: stops the loader, waits for a job still winding
    // down, frees the ring buffers, saves the settings, the placement and the
    // list layout, releases the decoder and ends the dialog. A second call
    // does nothing.
    void Close();

    // A later start of the application asked for this window: restore it
    // when minimised, bring it forward and its open modal window in front.
    void BringForward();

    // Runs a command of the command table (AppCommands.h).
    void OnCommand(unsigned nID);

    LRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                            std::unique_ptr<MessagePayload>& payload) override;

    // Bars and list layout.
    bool CreateBars();
    void SetUpFileList();
    void PlaceStatusBar();
    void LayoutBars();
    void SaveListLayout();
    void ShowOutputSummary();
    void ShowSortArrows(int nCol, bool bAscending);
    // The row menu at a global position; nothing when nItem is not a row.
    void ShowRowMenu(int nItem, const QPoint& ptGlobal);

    // Loading.
    void OnAddFiles();
    bool IsLoaderRunning() const;

    // Pane 0: "%d file(s)   %.2f MB   %02d:%02d:%02d", or "No file"; the
    // same text as the pane's tooltip.
    void ShowFileTotals();

    // The list commands (ZARVDlgCommands.cpp).
    void OnOpenFile();
    void OnFileProperties();
    void OnRenameFile();
    void OnRenameCommit(const ReportCell& cell);
    void OnRemoveSelected();
    void OnRemoveAll();
    void OnSelectAll();
    // The list's selection or current row changed.
    void OnListItemChanged();
    void ShowSelectionStatus();
    void OnTimer(int nIDEvent);

    // The conversion start (ZARVDlgConvert.cpp).
    void StartConversion(bool bSelectedOnly);
    // A double-click on a row of the list.
    void OnListDblClk();

    // The Options dialog and the About box (ZARVDlgDialogs.cpp). The command
    // table refreshes the output summary after OnOptions returns.
    void OnOptions();
    void OnAbout();

    // Window timers: nIDEvent fires every nElapse ms until killed; setting
    // a running timer again restarts it.
    void SetTimer(int nIDEvent, int nElapse);
    void KillTimer(int nIDEvent);
    bool IsTimerRunning(int nIDEvent) const;

    // Row records. NewRecord makes a zeroed record owned by the window;
    // FreeRecord deletes one whose row has been removed from the list.
    FileItemInfo* NewRecord();
    void FreeRecord(FileItemInfo* pInfo);

    // Set by the close sequence; from then on no conversion starts.
    bool m_bClosing = false;
    QList<QIcon> m_imgSortArrows;
    // The row icons: one per file type met so far (m_mapIconByType).
    QList<QIcon> m_imgSystem;
    CStatusBar* m_wndStatusBar = nullptr;
    QToolBar* m_wndToolBar = nullptr;
    QWidget* m_wndReBar = nullptr;
    // 1 while a load adds files (the loader adds only while it is 1); the
    // list commands also hold it at 1 while they remove rows, so selection
    // notifications are ignored. Written by the user-interface thread, read
    // by the loader between files.
    std::atomic<int> m_bLoading{0};
    std::unique_ptr<CWorkerThread> m_pLoaderThread;
    int m_nFileCount = 0;
    double m_dTotalMB = 0.0;
    double m_dTotalSeconds = 0.0;
    QList<QShortcut*> m_hAccel;
    // The row the loader fills, -1 before the first load. The loader's
    // messages name the row by its record (m_pFillRecord), so a header sort
    // or a removal during a load never makes it fill another row.
    int m_nFillRow = -1;
    FileItemInfo* m_pFillRecord = nullptr;
    QIcon m_hIcon;
    CReportCtrl* m_lstFiles = nullptr;
    CProcessing* m_pProcessing = nullptr;

protected:
    bool OnInitDialog() override;
    void OnDestroy() override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    bool CreateDecoder();
    void CreateAccelerators();
    void StopLoader();
    void SetCloseEnabled(bool bEnabled);

    // Loading, on the user-interface thread.
    void BeginLoading();
    FileItemInfo* OnListAddRow(MessagePayload* payload);
    void FillRow(int nRow, const LoadedFile& file);
    void OnFillDetails(MessagePayload* payload);
    void OnLoadEnded(bool bFailed);
    int RowOfFillRecord();
    int IconIndexFor(const QString& strPath);

    std::unique_ptr<FileRecordAccess> m_pRecordAccess;
    std::unordered_map<const FileItemInfo*, std::unique_ptr<FileItemInfo>> m_mapRecords;
    std::unique_ptr<WMAFile2> m_pDecoder;
    std::map<QString, int> m_mapIconByType;
    std::map<int, int> m_mapTimers; // nIDEvent -> QObject timer id
    int m_nExitCode = 0;
    bool m_bInitFailed = false;
    bool m_bFirstPaint = true;
    // Close is greyed while a load runs: the window system's close request
    // is refused, as with a greyed close box.
    bool m_bCloseEnabled = true;
};

// The main window, set early in its initialisation.
extern CZARVDlg* g_pMainDlg;

// Upper-case extension -> format code; "WMA" -> FORMAT_WMA from start-up on.
extern std::map<QString, int> g_mapFormatByExt;

// True when the file opens for reading; it is closed again at once.
// Otherwise *pstrReason, when given, gets the system's reason.
bool IsFileReadable(const QString& strPath, QString* pstrReason = nullptr);

// The loader thread: adds one row per path while dlg.m_bLoading is 1, then
// ends the load. Returns 0.
unsigned LoadFilesThread(CZARVDlg* dlg, MessageTarget target, QStringList arrPaths);
