#include "Processing.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTimerEvent>

#include "AppCommands.h"
#include "DialogBuilder.h"
#include "DialogTemplate.h"
#include "UiGlobals.h"
#include "ZARVDlg.h"

CProcessing::CProcessing(CZARVDlg* pMainDlg)
    : QDialog(pMainDlg)
    , m_pMainDlg(pMainDlg)
{
    ApplyDialogTemplate(this, Template());
    setModal(false);
    m_ctrlProgress = qobject_cast<QProgressBar*>(GetDlgItem(this, IDC_PROCESSING_BAR));
    // A range of zero turns the bar into a marquee that animates on its own.
    m_ctrlProgress->setRange(0, 0);
    auto* cancel = qobject_cast<QPushButton*>(GetDlgItem(this, IDC_PROCESSING_CANCEL));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &CProcessing::OnCancel);
}

const DialogTemplate& CProcessing::Template()
{
    static const DialogTemplate dlg{
        IDD_PROCESSING,
        QStringLiteral("Processing Audio Files..."),
        316,
        44,
        DLG_SYSMENU,
        QStringLiteral("Tahoma"),
        8,
        {
            {IDC_PROCESSING_BAR, ControlKind::ProgressBar, {}, 7, 7, 302, 11, 0},
            {IDC_PROCESSING_CANCEL, ControlKind::PushButton, QStringLiteral("Cancel"), 259, 23, 50,
             14, 0},
        },
    };
    return dlg;
}

void CProcessing::StartShowTimer()
{
    m_timerShow.start(SHOW_DELAY_MS, this);
}

void CProcessing::StopShowTimer()
{
    m_timerShow.stop();
}

void CProcessing::OnCancel()
{
    g_bListBusy = 1;
    m_pMainDlg->m_bLoading = 0;
}

void CProcessing::closeEvent(QCloseEvent* event)
{
    OnCancel();
    QDialog::closeEvent(event);
}

void CProcessing::keyPressEvent(QKeyEvent* event)
{
    // Escape would only hide the window and leave the load running.
    if (event->key() == Qt::Key_Escape) {
        OnCancel();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CProcessing::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_timerShow.timerId()) {
        QDialog::timerEvent(event);
        return;
    }
    m_timerShow.stop();
    if (!isVisible())
        show();
}
