#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <QBasicTimer>
#include <QString>

#include "ConversionTask.h"
#include "PlacementStore.h"
#include "ResizeDlg.h"

class QLabel;
class QProgressBar;
class QStyleOptionViewItem;
class QTreeWidget;
class CConvJob;

// The modal window that runs a conversion job and shows its progress: bars,
// percentages, speeds and times for the current file and the whole job, the
// current source and destination, and a numbered, colour-coded log.
//
// Use (user-interface thread):
//     CConvProg dlg(std::move(tasks), parent);   // at least one task
//     dlg.DoModal();
// The job starts when the window is first shown and ends with the window:
// "Finish" after a finished job, Cancel (asks first while the job runs) or
// the close box. The window waits a bounded time for the job's threads when
// it is cancelled and never kills one; a thread that outlives the window
// keeps the job alive until it ends.
//
// The window owns its job (CConvJob) and receives the engine's messages
// (EngineMessages.h); it never calls into the stages except to stop them.
// Like the command-line converter, the caller provides what the stages use:
// g_pWMAFile, the sample rings (CreateSampleRings) and AppSettings, whose
// DesDir is the folder "Open Dir" opens. The window icon comes from
// marlune_resources, which the executable links.
class CConvProg : public CResizeDlg
{
public:
    // The tasks in list order; the job total is their sum of output samples.
    explicit CConvProg(std::vector<CConversionTask> tasks, QWidget* parent = nullptr);
    ~CConvProg() override;

    // Runs the window modally through the interaction seam; returns when it
    // has ended.
    int DoModal();

    // The job this window runs.
    const std::shared_ptr<CConvJob>& Job() const { return m_pJob; }

    LRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                            std::unique_ptr<MessagePayload>& payload) override;

    // The log's row shading and severity colours for one cell.
    static void OnLogCustomDraw(int nRow, int nSeverity, QStyleOptionViewItem& option);

    // Both the close box and Esc of the dialog manager end up here.
    void reject() override;

protected:
    bool OnInitDialog() override;
    void OnDestroy() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void DoDataExchange();
    bool PreTranslateMessage(const QEvent* event) const;
    void InitLogList();
    void RegisterAnchors();

    void OnConvProgress(float fCurrentPercent, float fJobPercent);
    void OnConvLog(const QString& text, int nSeverity);
    void OnConvFinished();
    void OnConvSetText(WPARAM nTarget, const QString& text);
    void OnConvSetTimer(WPARAM nTimerId, LPARAM nPeriodMs);
    void OnPause();
    void OnCancel();
    void OnClear();
    void OnTimer(WPARAM nTimerId);

    void SetDlgItemText(int nID, const QString& text);
    void EndDialog();

    std::shared_ptr<CConvJob> m_pJob;
    PlacementStore m_progPlacement;
    QBasicTimer m_timer1;

    QLabel* m_lblTaskLeft = nullptr;
    QLabel* m_lblTaskElapsed = nullptr;
    QProgressBar* m_barJob = nullptr;
    QProgressBar* m_barTask = nullptr;
    QLabel* m_lblJobLeft = nullptr;
    QLabel* m_lblJobElapsed = nullptr;
    QTreeWidget* m_lstLog = nullptr;
};
