#include "Option.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "AppSettings.h"
#include "DialogBuilder.h"
#include "DialogTemplate.h"
#include "FolderDialog.h"
#include "SettingsStore.h"
#include "UserInteraction.h"

namespace {

constexpr int IDC_STATIC = -1;

// The drop-down part of the frequency list is wider than the list, so the
// long "Automatic" entry shows in full.
constexpr int kFreqDropWidth = 256;

// The leading spaces line the numbers up in the lists.
const QStringList& FrequencyEntries()
{
    static const QStringList entries{
        QStringLiteral(" Automatic (Fastest & Optimal Way, Recommended)"),
        QStringLiteral("   8000 Hertz"),
        QStringLiteral(" 11025 Hertz"),
        QStringLiteral(" 12000 Hertz"),
        QStringLiteral(" 16000 Hertz"),
        QStringLiteral(" 22050 Hertz"),
        QStringLiteral(" 24000 Hertz"),
        QStringLiteral(" 32000 Hertz"),
        QStringLiteral(" 44100 Hertz"),
    };
    return entries;
}

const QStringList& ChannelEntries()
{
    static const QStringList entries{
        QStringLiteral(" Automatic (Fastest & Optimal Way, Recommended)"),
        QStringLiteral(" Mono"),
        QStringLiteral(" Stereo"),
    };
    return entries;
}

const QStringList& BitrateEntries()
{
    static const QStringList entries{
        QStringLiteral("   8 kbits per second"), QStringLiteral("  16 kbits per second"),
        QStringLiteral("  24 kbits per second"), QStringLiteral("  32 kbits per second"),
        QStringLiteral("  40 kbits per second"), QStringLiteral("  48 kbits per second"),
        QStringLiteral("  56 kbits per second"), QStringLiteral("  64 kbits per second"),
        QStringLiteral("  80 kbits per second"), QStringLiteral("  96 kbits per second"),
        QStringLiteral(" 112 kbits per second"), QStringLiteral(" 128 kbits per second"),
        QStringLiteral(" 160 kbits per second"), QStringLiteral(" 192 kbits per second"),
        QStringLiteral(" 224 kbits per second"), QStringLiteral(" 256 kbits per second"),
        QStringLiteral(" 320 kbits per second"),
    };
    return entries;
}

// A stored position outside the list leaves it without a selection.
void SelectPosition(QComboBox* list, int nPos)
{
    list->setCurrentIndex(nPos >= 0 && nPos < list->count() ? nPos : -1);
}

// A list without a selection hands back the setting's default rather than a
// position the tables do not have.
int16_t SelectedPosition(const QComboBox* list, int16_t nDefault)
{
    const int nPos = list->currentIndex();
    return nPos >= 0 ? static_cast<int16_t>(nPos) : nDefault;
}

template<typename T>
T* Control(QDialog* dialog, int nID)
{
    auto* control = qobject_cast<T*>(GetDlgItem(dialog, nID));
    Q_ASSERT(control);
    return control;
}

} // namespace

const DialogTemplate& COption::Template()
{
    static const DialogTemplate dlgTemplate{
        IDD,
        QStringLiteral("Options"),
        316,
        166,
        DLG_SYSMENU,
        QStringLiteral("Tahoma"),
        8,
        {
            {IDC_STATIC, ControlKind::Label, QStringLiteral("Output Folder:"), 7, 3, 50, 8, 0},
            {IDC_DESDIR, ControlKind::Edit, QString(), 19, 15, 262, 13, CTL_DISABLED | CTL_BORDER},
            {IDC_BROWSE, ControlKind::PushButton, QStringLiteral("..."), 283, 15, 21, 13, 0},
            {IDC_STATIC, ControlKind::GroupBox, QStringLiteral("Encoder Settings"), 7, 33, 302, 107, 0},
            {IDC_LABEL_FREQ, ControlKind::Label, QStringLiteral("Sampling Frequency:"), 21, 51, 75, 12, 0},
            {IDC_LABEL_CHANNEL, ControlKind::Label, QStringLiteral("Channel Mode:"), 21, 74, 75, 12, 0},
            {IDC_LABEL_BITS, ControlKind::Label, QStringLiteral("Bits per Second:"), 21, 97, 75, 12, 0},
            {IDC_FREQ, ControlKind::ComboBox, QString(), 109, 51, 190, 12, 0},
            {IDC_CHANNEL, ControlKind::ComboBox, QString(), 109, 74, 190, 12, 0},
            {IDC_BITS, ControlKind::ComboBox, QString(), 109, 97, 190, 12, 0},
            {IDC_NOTE, ControlKind::Label,
             QStringLiteral("NOTE: The Bitrate is Estimated  for Stereo 44100 Hz."), 21, 120, 257, 12, 0},
            {IDC_RESET, ControlKind::PushButton, QStringLiteral("Reset"), 54, 147, 50, 14, 0},
            {IDOK, ControlKind::DefPushButton, QStringLiteral("OK"), 133, 147, 50, 14, 0},
            {IDCANCEL, ControlKind::PushButton, QStringLiteral("Cancel"), 212, 147, 50, 14, 0},
        },
    };
    return dlgTemplate;
}

COption::COption(std::function<void()> fnSettingsReset, QWidget* parent)
    : QDialog(parent)
    , m_fnSettingsReset(std::move(fnSettingsReset))
{
    ApplyDialogTemplate(this, Template());
    m_edtDesDir = Control<QLineEdit>(this, IDC_DESDIR);
    m_stcChannel = Control<QLabel>(this, IDC_LABEL_CHANNEL);
    m_stcBits = Control<QLabel>(this, IDC_LABEL_BITS);
    m_cmbFreq = Control<QComboBox>(this, IDC_FREQ);
    m_cmbChannel = Control<QComboBox>(this, IDC_CHANNEL);
    m_cmbBits = Control<QComboBox>(this, IDC_BITS);
    for (QComboBox* list : {m_cmbFreq, m_cmbChannel, m_cmbBits})
        list->setMaxVisibleItems(30);

    connect(Control<QPushButton>(this, IDC_BROWSE), &QPushButton::clicked, this,
            &COption::OnBrowseFolder);
    connect(Control<QPushButton>(this, IDC_RESET), &QPushButton::clicked, this, &COption::OnReset);
    connect(Control<QPushButton>(this, IDOK), &QPushButton::clicked, this, &COption::accept);
    connect(Control<QPushButton>(this, IDCANCEL), &QPushButton::clicked, this, &COption::reject);

    // The dialog is filled before it runs, so whoever runs it finds the
    // settings in its controls whether it is shown or not.
    OnInitDialog();
}

bool COption::OnInitDialog()
{
    GetDlgItem(this, IDC_BROWSE)->setEnabled(true);
    m_edtDesDir->setText(AppSettings.DesDir);
    m_edtDesDir->setCursorPosition(0);
    FillOptionControls();
    return true;
}

void COption::FillOptionControls()
{
    m_cmbFreq->clear();
    m_cmbChannel->clear();
    m_cmbBits->clear();

    m_cmbFreq->view()->setMinimumWidth(kFreqDropWidth);

    Control<QLabel>(this, IDC_LABEL_FREQ)->setText(QStringLiteral("Sampling Frequency:"));
    m_stcChannel->setText(QStringLiteral("Channel Mode:"));
    m_stcBits->setText(QStringLiteral("Bits per Second:"));

    m_cmbFreq->addItems(FrequencyEntries());
    m_cmbChannel->addItems(ChannelEntries());
    m_cmbBits->addItems(BitrateEntries());

    SelectPosition(m_cmbFreq, AppSettings.Freq);
    SelectPosition(m_cmbChannel, AppSettings.LameChannel);
    SelectPosition(m_cmbBits, AppSettings.LameBits);
}

void COption::OnBrowseFolder()
{
    CFolderDialog picker(QStringLiteral("Specify the Output Folder"), AppSettings.DesDir, this,
                         CFolderDialog::BIF_RETURNONLYFSDIRS | CFolderDialog::BIF_EDITBOX
                             | CFolderDialog::BIF_NEWDIALOGSTYLE);
    if (picker.DoModal() != CFolderDialog::FOLDER_CHOSEN)
        return;
    m_edtDesDir->setText(picker.m_szFolderPath);
    m_edtDesDir->setCursorPosition(0);
}

void COption::OnReset()
{
    if (Interaction().MessageBox(this, QStringLiteral("Reset ALL Options, Are You Sure?"),
                                 ApplicationName(), MB_YESNO | MB_ICONWARNING)
        != IDYES)
        return;
    ResetSettings();
    OnInitDialog();
    if (m_fnSettingsReset)
        m_fnSettingsReset();
}

void COption::accept()
{
    QString strFolder = m_edtDesDir->text();
    if (strFolder.isEmpty()) {
        Interaction().MessageBox(this, QStringLiteral("Invalidate Output Folder!"), ApplicationName(),
                                 MB_OK | MB_ICONERROR);
        return;
    }
    if (!strFolder.endsWith(QDir::separator()))
        strFolder += QDir::separator();
    AppSettings.DesDir = strFolder;
    AppSettings.Freq = SelectedPosition(m_cmbFreq, DEFAULT_FREQ);
    AppSettings.LameChannel = SelectedPosition(m_cmbChannel, DEFAULT_LAME_CHANNEL);
    AppSettings.LameBits = SelectedPosition(m_cmbBits, DEFAULT_LAME_BITS);
    QDialog::accept();
}
