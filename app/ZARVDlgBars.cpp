#include "ZARVDlg.h"

#include <algorithm>
#include <array>

#include <QAction>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QShortcut>
#include <QToolBar>

#include "AppCommands.h"
#include "AppSettings.h"
#include "AppStrings.h"
#include "ListLayout.h"
#include "OutputSummary.h"
#include "ProfileStore.h"
#include "ReportCtrl.h"
#include "StatusBar.h"
#include "UiGlobals.h"
#include "UserInteraction.h"

namespace {

const QString kLayoutSection = QStringLiteral("FileList");
const QString kColumnEntry = QStringLiteral("Column");
const QString kSortEntry = QStringLiteral("SortEx");

constexpr int kToolbarImageSize = 48;
constexpr int kArrowImageSize = 16;
// A stored width beyond this is not one the list ever had.
constexpr int kMaxStoredWidth = 0xFFFF;

struct ColumnDef
{
    const char* heading;
    int nFormat;
    int nWidth;
};

constexpr std::array<ColumnDef, FILE_LIST_COLUMNS> kColumns{{
    {"Name", LVCFMT_LEFT, 150},
    {"Path", LVCFMT_LEFT, 150},
    {"Type", LVCFMT_RIGHT, 65},
    {"Size(MB)", LVCFMT_RIGHT, 85},
    {"Last Modified", LVCFMT_RIGHT, 120},
    {"Duration", LVCFMT_RIGHT, 88},
    {"Frequency", LVCFMT_RIGHT, 96},
    {"Channel", LVCFMT_RIGHT, 88},
}};

struct ToolbarButton
{
    unsigned nCommand;
    const char* image;
};

constexpr std::array<ToolbarButton, 4> kToolbarButtons{{
    {ID_ADD_FILES, ":/icons/add.svg"},
    {ID_CONVERT_LIST, ":/icons/marlune.svg"},
    {ID_OPTIONS, ":/icons/options.svg"},
    {ID_ABOUT, ":/icons/about.svg"},
}};

struct Accelerator
{
    QKeyCombination key;
    unsigned nCommand;
};

const std::array<Accelerator, 7>& AcceleratorTable()
{
    static const std::array<Accelerator, 7> table{{
        {QKeyCombination(Qt::Key_F6), ID_ADD_FILES},
        {QKeyCombination(Qt::Key_F3), ID_CONVERT_LIST},
        {QKeyCombination(Qt::ShiftModifier, Qt::Key_F3), ID_CONVERT_SELECTED},
        {QKeyCombination(Qt::ControlModifier, Qt::Key_O), ID_OPTIONS},
        {QKeyCombination(Qt::Key_Delete), ID_REMOVE_SELECTED},
        {QKeyCombination(Qt::Key_F2), ID_RENAME},
        {QKeyCombination(Qt::ControlModifier, Qt::Key_A), ID_SELECT_ALL},
    }};
    return table;
}

// The header's sort indicators: 0 none, 1 a green arrow up, 2 one down.
QIcon SortArrow(int nDirection)
{
    QPixmap pixmap(kArrowImageSize, kArrowImageSize);
    pixmap.fill(Qt::transparent);
    if (nDirection != 0) {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath arrow;
        if (nDirection == 1) {
            arrow.moveTo(8, 3);
            arrow.lineTo(14, 12);
            arrow.lineTo(2, 12);
        } else {
            arrow.moveTo(2, 4);
            arrow.lineTo(14, 4);
            arrow.lineTo(8, 13);
        }
        arrow.closeSubpath();
        painter.setPen(QPen(QColor(0, 110, 40), 1));
        painter.setBrush(QColor(40, 170, 70));
        painter.drawPath(arrow);
    }
    return QIcon(pixmap);
}

} // namespace

void CZARVDlg::CreateAccelerators()
{
    for (const Accelerator& accel : AcceleratorTable()) {
        auto* shortcut = new QShortcut(QKeySequence(accel.key), this);
        shortcut->setContext(Qt::WindowShortcut);
        shortcut->setProperty("command", accel.nCommand);
        const unsigned nCommand = accel.nCommand;
        connect(shortcut, &QShortcut::activated, this, [this, nCommand] { OnCommand(nCommand); });
        m_hAccel.append(shortcut);
    }
}

bool CZARVDlg::CreateBars()
{
    m_wndStatusBar = new CStatusBar(this);
    if (!m_wndStatusBar->SetParts({25, 50, -1})) {
        Interaction().MessageBox(this, QStringLiteral("Failed to create status bar!"),
                                 ApplicationName(), MB_OK | MB_ICONWARNING);
        return false;
    }
    m_wndStatusBar->show();

    m_wndReBar = new QWidget(this);
    auto* band = new QHBoxLayout(m_wndReBar);
    band->setContentsMargins(0, 0, 0, 0);
    m_wndToolBar = new QToolBar(m_wndReBar);
    m_wndToolBar->setMovable(false);
    m_wndToolBar->setFloatable(false);
    m_wndToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_wndToolBar->setIconSize(QSize(kToolbarImageSize, kToolbarImageSize));
    for (const ToolbarButton& button : kToolbarButtons) {
        const unsigned nCommand = button.nCommand;
        QAction* action = m_wndToolBar->addAction(QIcon(QString::fromLatin1(button.image)),
                                                  LoadResString(nCommand));
        action->setToolTip(LoadResString(nCommand));
        action->setData(nCommand);
        connect(action, &QAction::triggered, this, [this, nCommand] { OnCommand(nCommand); });
    }
    band->addWidget(m_wndToolBar);
    band->addStretch(1);
    m_wndReBar->show();
    return true;
}

void CZARVDlg::SetUpFileList()
{
    // The bars are not template controls: LayoutBars places them after
    // every size change, the status bar along the bottom at constant height.
    AddAnchor(IDC_FILE_LIST, 1, 1, 1, 1);
    m_lstFiles->m_pNotifyWnd = Target();
    if (g_bVistaOrLater) {
        m_lstFiles->SetExtendedStyle(LVS_EX_DOUBLEBUFFER | LVS_EX_INFOTIP | LVS_EX_HEADERDRAGDROP);
        m_lstFiles->ApplyExplorerTheme();
    } else {
        m_lstFiles->SetExtendedStyle(LVS_EX_INFOTIP | LVS_EX_HEADERDRAGDROP | LVS_EX_GRIDLINES);
    }

    const QList<ListLayout::ColumnRecord> arrStored = ListLayout::DecodeColumns(
        ProfileStore::GetProfileBinary(kLayoutSection, kColumnEntry), FILE_LIST_COLUMNS);
    for (int i = 0; i < FILE_LIST_COLUMNS; ++i) {
        const ColumnDef& def = kColumns[static_cast<size_t>(i)];
        int nWidth = def.nWidth;
        if (i < arrStored.size() && arrStored[i].nWidth >= 0 && arrStored[i].nWidth <= kMaxStoredWidth)
            nWidth = arrStored[i].nWidth;
        m_lstFiles->InsertColumn(i, QString::fromLatin1(def.heading), def.nFormat, nWidth);
    }
    // "Name" and "Path" cannot be shown again from the column menu, so they
    // are never hidden.
    for (int i = COL_TYPE; i < arrStored.size(); ++i) {
        if (!arrStored[i].bVisible)
            m_lstFiles->ShowColumn(i, false);
    }

    m_lstFiles->SetImageList(m_imgSystem);

    m_imgSortArrows = {SortArrow(0), SortArrow(1), SortArrow(2)};
    m_lstFiles->SetHeaderImageList(m_imgSortArrows);
    m_lstFiles->SetSortable(true);

    m_lstFiles->m_arrSortInfo = ListLayout::DecodeSortKeys(
        ProfileStore::GetProfileBinary(kLayoutSection, kSortEntry), FILE_LIST_COLUMNS);

    m_lstFiles->SetEditable(true);
    m_lstFiles->AddEditableColumn(COL_NAME);
    m_lstFiles->SetShowHints(true);

    m_lstFiles->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_lstFiles, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        const QModelIndex hit = m_lstFiles->indexAt(pos);
        ShowRowMenu(hit.isValid() ? hit.row() : -1, m_lstFiles->viewport()->mapToGlobal(pos));
    });
    connect(m_lstFiles, &CReportCtrl::listDoubleClicked, this, [this] { OnListDblClk(); });
    connect(m_lstFiles->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { OnListItemChanged(); });
    connect(m_lstFiles->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { OnListItemChanged(); });
}

void CZARVDlg::PlaceStatusBar()
{
    m_wndStatusBar->setGeometry(0, height() - CStatusBar::kHeight, width(), CStatusBar::kHeight);
    const int w = m_wndStatusBar->width();
    m_wndStatusBar->SetParts({static_cast<int>(w * 0.25), static_cast<int>(w * 0.5), -1});
}

void CZARVDlg::LayoutBars()
{
    if (!m_wndStatusBar || !m_wndReBar)
        return;
    m_wndStatusBar->setGeometry(0, height() - CStatusBar::kHeight, width(), CStatusBar::kHeight);
    m_wndReBar->setGeometry(0, 0, width(), m_wndToolBar->sizeHint().height());
    const int w = m_wndStatusBar->width();
    m_wndStatusBar->SetParts({static_cast<int>(w * 0.25), static_cast<int>(w * 0.5), -1});
    m_wndReBar->update();
    m_wndToolBar->update();
    m_lstFiles->viewport()->update();
}

void CZARVDlg::SaveListLayout()
{
    QList<ListLayout::ColumnRecord> arrColumns;
    for (int i = 0; i < m_lstFiles->GetColumnCount(); ++i) {
        const bool bVisible = m_lstFiles->IsColumnVisible(i);
        arrColumns.append({bVisible, bVisible ? m_lstFiles->GetColumnWidth(i)
                                              : m_lstFiles->GetColumnState(i).nSavedWidth});
    }
    ProfileStore::WriteProfileBinary(kLayoutSection, kColumnEntry,
                                     ListLayout::EncodeColumns(arrColumns));
    ProfileStore::WriteProfileBinary(kLayoutSection, kSortEntry,
                                     ListLayout::EncodeSortKeys(m_lstFiles->m_arrSortInfo));
}

void CZARVDlg::ShowOutputSummary()
{
    if (!m_wndStatusBar)
        return;
    const QString text = OutputSummaryText(AppSettings);
    m_wndStatusBar->SetText(2, text);
    m_wndStatusBar->SetTipText(2, text);
}

void CZARVDlg::ShowSortArrows(int nCol, bool bAscending)
{
    for (int i = 0; i < m_lstFiles->GetColumnCount(); ++i) {
        const int nImage = i != nCol ? 0 : bAscending ? 1 : 2;
        m_lstFiles->SetHeaderImage(i, nImage, false);
    }
}

void CZARVDlg::ShowRowMenu(int nItem, const QPoint& ptGlobal)
{
    if (nItem < 0 || nItem >= m_lstFiles->GetItemCount())
        return;
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const auto addItem = [this, menu](const QString& text, unsigned nCommand) {
        QAction* action = menu->addAction(text);
        action->setData(nCommand);
        connect(action, &QAction::triggered, this, [this, nCommand] { OnCommand(nCommand); });
        return action;
    };
    menu->setDefaultAction(addItem(QStringLiteral("Convert Selected\tShift+F3"), ID_CONVERT_SELECTED));
    addItem(QStringLiteral("Open"), ID_FILE_OPEN_ITEM);
    addItem(QStringLiteral("Properties"), ID_PROPERTIES);
    // The menu measures its items in the plain font; the bold default item
    // needs the difference, or its text is elided.
    QFont bold = menu->font();
    bold.setBold(true);
    const QString strDefault = menu->defaultAction()->text();
    const int nExtra = QFontMetrics(bold).horizontalAdvance(strDefault)
                       - QFontMetrics(menu->font()).horizontalAdvance(strDefault);
    menu->setMinimumWidth(menu->sizeHint().width() + std::max(0, nExtra));
    menu->popup(ptGlobal);
}

void CZARVDlg::OnCommand(unsigned nID)
{
    switch (nID) {
    case ID_ABOUTBOX:
    case ID_ABOUT:
        OnAbout();
        break;
    case ID_FILE_OPEN_ITEM:
        OnOpenFile();
        break;
    case ID_REMOVE_SELECTED:
        OnRemoveSelected();
        break;
    case ID_REMOVE_ALL:
        OnRemoveAll();
        break;
    case ID_SELECT_ALL:
        OnSelectAll();
        break;
    case ID_RENAME:
        OnRenameFile();
        break;
    case ID_PROPERTIES:
        OnFileProperties();
        break;
    case ID_ADD_FILES:
        OnAddFiles();
        break;
    case ID_APP_EXIT:
        // Posted, like the window system's close request.
        QMetaObject::invokeMethod(this, [this] { close(); }, Qt::QueuedConnection);
        break;
    case ID_CONVERT_SELECTED:
        StartConversion(true);
        break;
    case ID_CONVERT_LIST:
        StartConversion(false);
        break;
    case ID_OPTIONS:
        OnOptions();
        ShowOutputSummary();
        break;
    default:
        break;
    }
}
