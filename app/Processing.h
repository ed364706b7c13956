#pragma once

#include <QBasicTimer>
#include <QDialog>

class QProgressBar;
class CZARVDlg;
struct DialogTemplate;

// The small modeless window shown while files are loaded: a marquee bar and
// a Cancel button. It appears only when a load lasts longer than its timer's
// half second. Cancel, or closing it, asks the loader to stop after its
// current file.
class CProcessing : public QDialog
{
public:
    enum : int { TIMER_SHOW = 1, SHOW_DELAY_MS = 500 };

    explicit CProcessing(CZARVDlg* pMainDlg);

    static const DialogTemplate& Template();

    // Starts or stops timer 1, which shows the window when it fires.
    void StartShowTimer();
    void StopShowTimer();
    bool IsShowTimerRunning() const { return m_timerShow.isActive(); }

    void OnCancel();

    QProgressBar* m_ctrlProgress;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    CZARVDlg* m_pMainDlg;
    QBasicTimer m_timerShow;
};
