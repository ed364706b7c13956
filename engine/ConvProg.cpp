#include "ConvProg.h"

#include <algorithm>

#include <QEvent>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTime>
#include <QTimerEvent>
#include <QTreeWidget>

#include "AppSettings.h"
#include "ConvJob.h"
#include "ConvLogFormat.h"
#include "ConvProgTemplate.h"
#include "ConversionTask.h"
#include "DialogTemplate.h"
#include "EngineMessages.h"
#include "Tick.h"
#include "UiGlobals.h"
#include "UserInteraction.h"

namespace {

const QString kPlacementSection = QStringLiteral("Position");
const QString kPlacementEntry = QStringLiteral("{104A7F6F-FFA3-4293-B808-9578D46FEC55}");

constexpr unsigned kStopWaitMsPerThread = 1000;

enum : int {
    LOG_COL_SEVERITY = 0,
    LOG_COL_NUMBER = 1,
    LOG_COL_TIME = 2,
    LOG_COL_TEXT = 3,
};

// Progress messages received by any progress window of the process; the
// times are refreshed on every tenth. User-interface thread only.
unsigned long long s_nProgressMessages = 0;

// Colours a log cell by its row and its line's severity before the list
// draws it.
class CLogItemDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const int nSeverity = index.siblingAtColumn(LOG_COL_SEVERITY).data(Qt::UserRole).toInt();
        CConvProg::OnLogCustomDraw(index.row(), nSeverity, *option);
    }
};

QWidget* MakeLogList(const DialogControl& control, QWidget* parent)
{
    if (control.nID != IDC_PROG_LOG)
        return nullptr;
    auto* list = new QTreeWidget(parent);
    list->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    return list;
}

uint64_t SumOfSamples(const std::vector<CConversionTask>& tasks)
{
    uint64_t nTotal = 0;
    for (const CConversionTask& task : tasks)
        nTotal += task.m_nTotalSamples;
    return nTotal;
}

} // namespace

CConvProg::CConvProg(std::vector<CConversionTask> tasks, QWidget* parent)
    : CResizeDlg(ConvProgTemplate(), parent, &MakeLogList)
    , m_pJob(std::make_shared<CConvJob>())
{
    m_pJob->m_nSamplesTotal = SumOfSamples(tasks);
    m_pJob->m_arrTasks = std::move(tasks);
    m_pJob->m_wndTarget = Target();
    DoDataExchange();

    connect(qobject_cast<QPushButton*>(GetDlgItem(IDC_PROG_PAUSE)), &QPushButton::clicked, this,
            &CConvProg::OnPause);
    connect(qobject_cast<QPushButton*>(GetDlgItem(IDC_PROG_CANCEL)), &QPushButton::clicked, this,
            &CConvProg::OnCancel);
    connect(qobject_cast<QPushButton*>(GetDlgItem(IDC_PROG_CLEAR)), &QPushButton::clicked, this,
            &CConvProg::OnClear);

    // Keys reach the focused control first, so every control is filtered.
    installEventFilter(this);
    const QList<QWidget*> children = findChildren<QWidget*>();
    for (QWidget* child : children)
        child->installEventFilter(this);
}

CConvProg::~CConvProg()
{
    // A window destroyed without ending stops its job; threads still
    // running keep the job alive until they end.
    m_pJob->m_bRunning = false;
}

int CConvProg::DoModal()
{
    return Interaction().ExecDialog(this);
}

void CConvProg::DoDataExchange()
{
    m_lblTaskLeft = qobject_cast<QLabel*>(GetDlgItem(IDC_PROG_TASK_LEFT));
    m_lblTaskElapsed = qobject_cast<QLabel*>(GetDlgItem(IDC_PROG_TASK_ELAPSED));
    m_barJob = qobject_cast<QProgressBar*>(GetDlgItem(IDC_PROG_BAR_JOB));
    m_barTask = qobject_cast<QProgressBar*>(GetDlgItem(IDC_PROG_BAR_TASK));
    m_lblJobLeft = qobject_cast<QLabel*>(GetDlgItem(IDC_PROG_JOB_LEFT));
    m_lblJobElapsed = qobject_cast<QLabel*>(GetDlgItem(IDC_PROG_JOB_ELAPSED));
    m_lstLog = qobject_cast<QTreeWidget*>(GetDlgItem(IDC_PROG_LOG));
}

bool CConvProg::OnInitDialog()
{
    CResizeDlg::OnInitDialog();
    setWindowIcon(QIcon(QStringLiteral(":/icons/marlune.svg")));

    for (QProgressBar* bar : {m_barTask, m_barJob}) {
        bar->setRange(0, 100);
        bar->setValue(0);
    }
    InitLogList();
    RegisterAnchors();
    // Without a stored placement the window keeps its template size.
    m_progPlacement.LoadPlacement(this, kPlacementEntry, kPlacementSection);

    // Zeroes the job's state, posts a zero progress and starts the runner.
    m_pJob->Start();
    return true;
}

void CConvProg::InitLogList()
{
    m_lstLog->setItemDelegate(new CLogItemDelegate(m_lstLog));
    m_lstLog->setRootIsDecorated(false);
    m_lstLog->setItemsExpandable(false);
    m_lstLog->setUniformRowHeights(true);
    m_lstLog->setAllColumnsShowFocus(true);
    m_lstLog->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lstLog->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_lstLog->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lstLog->setSortingEnabled(false);

    QHeaderView* header = m_lstLog->header();
    header->setSectionsClickable(false);
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(0);
    // The modern look lets the user reorder the columns.
    header->setSectionsMovable(g_bVistaOrLater != 0);

    m_lstLog->setColumnCount(4);
    QTreeWidgetItem* heading = m_lstLog->headerItem();
    heading->setText(LOG_COL_SEVERITY, QString());
    heading->setText(LOG_COL_NUMBER, QStringLiteral("#"));
    heading->setText(LOG_COL_TIME, QStringLiteral("Time"));
    heading->setText(LOG_COL_TEXT, QStringLiteral("Description"));
    heading->setTextAlignment(LOG_COL_NUMBER, Qt::AlignCenter);
    heading->setTextAlignment(LOG_COL_TIME, Qt::AlignCenter);
    heading->setTextAlignment(LOG_COL_TEXT, Qt::AlignLeft | Qt::AlignVCenter);
    // The severity column carries each row's data and is never shown.
    header->resizeSection(LOG_COL_SEVERITY, 0);
    header->setSectionHidden(LOG_COL_SEVERITY, true);
    header->resizeSection(LOG_COL_NUMBER, 55);
    header->resizeSection(LOG_COL_TIME, 63);
    header->resizeSection(LOG_COL_TEXT, 500);
}

void CConvProg::RegisterAnchors()
{
    for (const int nID : {IDC_PROG_GROUP_TASK, IDC_PROG_GROUP_JOB, IDC_PROG_BAR_TASK,
                          IDC_PROG_BAR_JOB, IDC_PROG_SOURCE, IDC_PROG_DEST})
        AddAnchor(nID, 1, 1, 0, 0, 0);
    for (const int nID : {IDC_PROG_CLEAR, IDC_PROG_PAUSE, IDC_PROG_CANCEL})
        AddAnchor(nID, 3, 3, 2, 2, 0);
    AddAnchor(IDC_PROG_TASK_DONE, 3, 3, 0, 0, 1);
    for (int nID = IDC_PROG_TASK_DONE_LABEL; nID <= IDC_PROG_JOB_LEFT; ++nID) {
        if (nID != IDC_PROG_TASK_DONE)
            AddAnchor(nID, 3, 3, 0, 0, 0);
    }
    AddAnchor(IDC_PROG_LOG, 1, 1, 1, 1, 0);
}

void CConvProg::OnDestroy()
{
    CResizeDlg::OnDestroy();
    m_timer1.stop();
    // Like every save of a derived window, a failure here is not reported.
    m_progPlacement.SavePlacement(this, kPlacementEntry, kPlacementSection);
}

LRESULT CConvProg::OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                   std::unique_ptr<MessagePayload>& payload)
{
    switch (message) {
    case WM_CONV_PROGRESS:
        if (const ConvProgress* progress = PayloadValue<ConvProgress>(payload.get()))
            OnConvProgress(progress->fTaskPercent, progress->fJobPercent);
        return 0;
    case WM_CONV_FINISHED:
        OnConvFinished();
        return 0;
    case WM_CONV_LOG:
        if (const QString* text = PayloadValue<QString>(payload.get()))
            OnConvLog(*text, static_cast<int>(lParam));
        return 0;
    case WM_CONV_SETTEXT:
        if (const QString* text = PayloadValue<QString>(payload.get()))
            OnConvSetText(wParam, *text);
        return 0;
    case WM_CONV_SETTIMER:
        OnConvSetTimer(wParam, lParam);
        return 0;
    default:
        return CResizeDlg::OnWindowMessage(message, wParam, lParam, payload);
    }
}

void CConvProg::OnConvProgress(float fCurrentPercent, float fJobPercent)
{
    if (!m_pJob->m_bRunning)
        return;
    ++s_nProgressMessages;
    // The expected length of a file is an estimate and may fall short.
    fCurrentPercent = std::min(fCurrentPercent, 100.0f);
    fJobPercent = std::min(fJobPercent, 100.0f);

    SetDlgItemText(IDC_PROG_TASK_DONE, PercentText(fCurrentPercent));
    SetDlgItemText(IDC_PROG_JOB_DONE, PercentText(fJobPercent));
    m_barTask->setValue(static_cast<int>(fCurrentPercent));
    m_barJob->setValue(static_cast<int>(fJobPercent));

    if (s_nProgressMessages % 10 != 0)
        return;
    const float fTaskTime = SecondsSince(m_pJob->m_dwTaskStart);
    const float fJobTime = SecondsSince(m_pJob->m_dwJobStart);
    if (fTaskTime <= 0.1f)
        return;
    m_lblTaskElapsed->setText(ClockText(fTaskTime));
    if (fCurrentPercent > 0.0f)
        m_lblTaskLeft->setText(ClockText((100.0f - fCurrentPercent) * fTaskTime / fCurrentPercent));
    m_lblJobElapsed->setText(ClockText(fJobTime));
    if (fJobPercent > 0.0f)
        m_lblJobLeft->setText(ClockText((100.0f - fJobPercent) * fJobTime / fJobPercent));
    SetDlgItemText(IDC_PROG_TASK_SPEED, SpeedText(m_pJob->m_fTaskSecondsDone / fTaskTime));
    SetDlgItemText(IDC_PROG_JOB_SPEED, SpeedText(m_pJob->m_fSecondsDone / fJobTime));
}

void CConvProg::OnConvLog(const QString& text, int nSeverity)
{
    const unsigned nLine = NextLogLineNumber();
    auto* item = new QTreeWidgetItem;
    item->setData(LOG_COL_SEVERITY, Qt::UserRole, static_cast<int>(static_cast<int16_t>(nSeverity)));
    item->setText(LOG_COL_NUMBER, LogNumberText(nLine));
    item->setText(LOG_COL_TIME, LogTimeText(QTime::currentTime()));
    item->setText(LOG_COL_TEXT, text);
    item->setToolTip(LOG_COL_TEXT, text);
    item->setTextAlignment(LOG_COL_NUMBER, Qt::AlignCenter);
    item->setTextAlignment(LOG_COL_TIME, Qt::AlignCenter);
    m_lstLog->addTopLevelItem(item);
    m_lstLog->scrollToItem(item);
}

void CConvProg::OnConvFinished()
{
    m_pJob->m_bRunning = false;
    SetDlgItemText(IDC_PROG_TASK_DONE, QStringLiteral("100.00%"));
    SetDlgItemText(IDC_PROG_JOB_DONE, QStringLiteral("100.00%"));
    m_barTask->setValue(100);
    m_barJob->setValue(100);
    m_lblTaskLeft->setText(QStringLiteral("00:00:00"));
    m_lblJobLeft->setText(QStringLiteral("00:00:00"));
    GetDlgItem(IDC_PROG_PAUSE)->setEnabled(true);
    SetDlgItemText(IDC_PROG_PAUSE, QStringLiteral("Open Dir"));
    SetDlgItemText(IDC_PROG_CANCEL, QStringLiteral("Finish"));
    setWindowTitle(QStringLiteral("Finished Converting"));
    OnConvLog(QStringLiteral("Finished converting, all done"), LOG_INFO);
}

void CConvProg::OnConvSetText(WPARAM nTarget, const QString& text)
{
    if (nTarget == CONV_TEXT_TITLE) {
        setWindowTitle(text);
    } else if (nTarget == IDC_CONV_SOURCE || nTarget == IDC_CONV_DEST) {
        SetDlgItemText(static_cast<int>(nTarget), text);
        // A long path is cut off at the window's edge; the tip shows it whole.
        GetDlgItem(static_cast<int>(nTarget))->setToolTip(text);
    }
}

void CConvProg::OnConvSetTimer(WPARAM nTimerId, LPARAM nPeriodMs)
{
    if (nTimerId == CONV_TIMER_ID && nPeriodMs > 0)
        m_timer1.start(static_cast<int>(nPeriodMs), this);
}

void CConvProg::OnPause()
{
    if (m_pJob->m_bRunning) {
        const bool bPaused = !m_pJob->m_bPaused;
        m_pJob->m_bPaused = bPaused;
        SetDlgItemText(IDC_PROG_PAUSE, bPaused ? QStringLiteral("Resume") : QStringLiteral("Pause"));
        return;
    }
    Interaction().OpenWithDefault(AppSettings.DesDir);
}

void CConvProg::reject()
{
    OnCancel();
}

void CConvProg::OnCancel()
{
    if (!m_pJob->m_bRunning) {
        EndDialog();
        return;
    }
    m_pJob->m_bPaused = true;
    if (Interaction().MessageBox(this, QStringLiteral("Do You Want to Cancel?"), ApplicationName(),
                                 MB_YESNO)
        != IDYES) {
        m_pJob->m_bPaused = false;
        // The job goes on unpaused, also when it was paused before.
        if (m_pJob->m_bRunning)
            SetDlgItemText(IDC_PROG_PAUSE, QStringLiteral("Pause"));
        return;
    }
    m_pJob->m_bAborted = true;
    m_pJob->m_bRunning = false;
    GetDlgItem(IDC_PROG_PAUSE)->setEnabled(false);
    GetDlgItem(IDC_PROG_CANCEL)->setEnabled(false);
    setWindowTitle(QStringLiteral("Aborting, Please Wait..."));
    // The encoder sends its last progress and waits for the answer: with
    // messages closed that send returns at once instead of waiting for this
    // blocked thread.
    CloseMessages();
    m_pJob->StopStageThreads(kStopWaitMsPerThread);
    EndDialog();
}

void CConvProg::OnClear()
{
    m_lstLog->clear();
}

void CConvProg::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_timer1.timerId())
        OnTimer(CONV_TIMER_ID);
    else
        CResizeDlg::timerEvent(event);
}

void CConvProg::OnTimer(WPARAM nTimerId)
{
    if (nTimerId != CONV_TIMER_ID)
        return;
    if (m_pJob->m_bRunning)
        m_lstLog->resizeColumnToContents(LOG_COL_TEXT);
    else
        m_timer1.stop();
}

void CConvProg::OnLogCustomDraw(int nRow, int nSeverity, QStyleOptionViewItem& option)
{
    static const QColor kOddRow(243, 245, 252);
    static const QColor kInfoText(0, 0, 255);
    static const QColor kErrorText(255, 0, 0);
    option.backgroundBrush = (nRow % 2) != 0 ? kOddRow : QColor(Qt::white);
    if (nSeverity == LOG_INFO)
        option.palette.setColor(QPalette::Text, kInfoText);
    else if (nSeverity == LOG_ERROR)
        option.palette.setColor(QPalette::Text, kErrorText);
}

bool CConvProg::PreTranslateMessage(const QEvent* event) const
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int nKey = static_cast<const QKeyEvent*>(event)->key();
    return nKey == Qt::Key_Escape || nKey == Qt::Key_Return || nKey == Qt::Key_Enter;
}

bool CConvProg::eventFilter(QObject* watched, QEvent* event)
{
    if (PreTranslateMessage(event))
        return true;
    return CResizeDlg::eventFilter(watched, event);
}

void CConvProg::SetDlgItemText(int nID, const QString& text)
{
    QWidget* control = GetDlgItem(nID);
    if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(text);
}

void CConvProg::EndDialog()
{
    done(QDialog::Rejected);
}
