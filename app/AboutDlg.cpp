#include "AboutDlg.h"

#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "DialogBuilder.h"
#include "DialogTemplate.h"
#include "HyperLink.h"
#include "UserInteraction.h"

namespace {

constexpr int IDC_STATIC = -1;
constexpr int IDC_ICON = -2;

} // namespace

const DialogTemplate& CAboutDlg::Template()
{
    static const DialogTemplate dlgTemplate{
        IDD,
        QStringLiteral("About Marlune"),
        170,
        130,
        DLG_SYSMENU,
        QStringLiteral("Tahoma"),
        8,
        {
            {IDC_ICON, ControlKind::Label, QString(), 6, 2, 20, 20, 0},
            {IDC_STATIC, ControlKind::Label, QStringLiteral("Marlune"), 64, 7, 41, 13, 0},
            {IDC_STATIC, ControlKind::Label, QStringLiteral("Homepage:"), 25, 63, 37, 12, 0},
            {IDC_HOMEPAGE, ControlKind::HyperLink, QString(), 82, 63, 61, 12, 0},
            {IDC_STATIC, ControlKind::Label, QStringLiteral("All Rights Reserved"), 52, 95, 66, 12,
             CTL_CENTER},
            {IDOK, ControlKind::DefPushButton, QStringLiteral("OK"), 61, 112, 48, 14, 0},
        },
    };
    return dlgTemplate;
}

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent)
{
    ApplyDialogTemplate(this, Template());
    m_lnkHomePage = dynamic_cast<CHyperLink*>(GetDlgItem(this, IDC_HOMEPAGE));
    Q_ASSERT(m_lnkHomePage);

    if (auto* icon = qobject_cast<QLabel*>(GetDlgItem(this, IDC_ICON))) {
        const QSize size = icon->size();
        icon->setPixmap(QIcon(QStringLiteral(":/icons/marlune.svg")).pixmap(size));
    }
    connect(qobject_cast<QPushButton*>(GetDlgItem(this, IDOK)), &QPushButton::clicked, this,
            &CAboutDlg::accept);
    OnInitDialog();
}

bool CAboutDlg::OnInitDialog()
{
    m_lnkHomePage->setText(QString::fromLatin1(kHomePageText));
    m_lnkHomePage->SetLinkTarget(QString::fromLatin1(kHomePageAddress));

    setWindowFlags(windowFlags() & ~Qt::WindowCloseButtonHint);
    return true;
}

void CAboutDlg::closeEvent(QCloseEvent* event)
{
    if (event->spontaneous()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
