#include "DialogBuilder.h"

#include <memory>

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "DialogTemplate.h"
#include "DialogUnits.h"
#include "HyperLink.h"

namespace {

// The id travels with the widget, so lookups need no table that could go
// stale when a control is replaced or deleted.
constexpr const char* kControlIdProperty = "marluneCtrlId";

Qt::Alignment HorizontalAlignment(unsigned style)
{
    if (style & CTL_CENTER)
        return Qt::AlignHCenter;
    if (style & CTL_RIGHT)
        return Qt::AlignRight;
    return Qt::AlignLeft;
}

QLabel* MakeLabel(const DialogControl& control, QWidget* parent)
{
    auto* label = new QLabel(control.strText, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(HorizontalAlignment(control.nStyle)
                        | ((control.nStyle & CTL_CENTERIMAGE) ? Qt::AlignVCenter : Qt::AlignTop));
    if (control.nStyle & CTL_BORDER)
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return label;
}

QWidget* MakeStandardControl(const DialogControl& control, QWidget* parent)
{
    switch (control.kind) {
    case ControlKind::GroupBox:
        return new QGroupBox(control.strText, parent);
    case ControlKind::Label:
        return MakeLabel(control, parent);
    case ControlKind::PushButton:
    case ControlKind::DefPushButton: {
        auto* button = new QPushButton(control.strText, parent);
        button->setAutoDefault(false);
        button->setDefault(control.kind == ControlKind::DefPushButton);
        return button;
    }
    case ControlKind::Edit: {
        auto* edit = new QLineEdit(control.strText, parent);
        edit->setAlignment(HorizontalAlignment(control.nStyle) | Qt::AlignVCenter);
        edit->setReadOnly(control.nStyle & CTL_READONLY);
        return edit;
    }
    case ControlKind::CheckBox:
        return new QCheckBox(control.strText, parent);
    case ControlKind::ComboBox: {
        auto* combo = new QComboBox(parent);
        combo->setEditable(false);
        return combo;
    }
    case ControlKind::ProgressBar: {
        auto* bar = new QProgressBar(parent);
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setTextVisible(false);
        return bar;
    }
    case ControlKind::ListView: {
        auto* frame = new QFrame(parent);
        if (control.nStyle & CTL_BORDER)
            frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        return frame;
    }
    case ControlKind::HyperLink: {
        auto* link = new CHyperLink(control.strText, parent);
        link->setAlignment(HorizontalAlignment(control.nStyle)
                           | ((control.nStyle & CTL_CENTERIMAGE) ? Qt::AlignVCenter : Qt::AlignTop));
        return link;
    }
    }
    return nullptr;
}

Qt::WindowFlags WindowFlagsOf(unsigned style)
{
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                            | Qt::WindowCloseButtonHint;
    if (style & DLG_SYSMENU)
        flags |= Qt::WindowSystemMenuHint;
    if (style & DLG_MINIMIZEBOX)
        flags |= Qt::WindowMinimizeButtonHint;
    if (style & DLG_MAXIMIZEBOX)
        flags |= Qt::WindowMaximizeButtonHint;
    return flags;
}

} // namespace

void ApplyDialogTemplate(QDialog* dialog, const DialogTemplate& dlgTemplate,
                         const ControlFactory& factory)
{
    const QFont font = DialogUnits::DialogFont(dlgTemplate);
    dialog->setFont(font);
    dialog->setWindowTitle(dlgTemplate.strCaption);
    dialog->setWindowFlags(WindowFlagsOf(dlgTemplate.nStyle));

    const DialogUnits units(font);
    const QSize client(units.ToPixelsX(dlgTemplate.cx), units.ToPixelsY(dlgTemplate.cy));
    if (dlgTemplate.nStyle & DLG_RESIZABLE)
        dialog->resize(client);
    else
        dialog->setFixedSize(client);

    for (const DialogControl& control : dlgTemplate.arrControls) {
        QWidget* widget = factory ? factory(control, dialog) : nullptr;
        if (!widget)
            widget = MakeStandardControl(control, dialog);
        widget->setParent(dialog);
        widget->setProperty(kControlIdProperty, control.nID);
        widget->setGeometry(units.MapDialogRect(control.x, control.y, control.cx, control.cy));
        if (auto* link = dynamic_cast<CHyperLink*>(widget))
            link->FitToText();
        widget->setEnabled(!(control.nStyle & CTL_DISABLED));
        if (control.nStyle & CTL_NOTABSTOP)
            widget->setFocusPolicy(Qt::NoFocus);
        // Children of a dialog that is not shown yet become visible with it;
        // an explicit hide keeps a hidden control hidden then.
        widget->setVisible(!(control.nStyle & CTL_HIDDEN));
    }
}

QWidget* GetDlgItem(const QWidget* dialog, int nID)
{
    if (!dialog)
        return nullptr;
    const QList<QWidget*> children = dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* child : children) {
        if (GetDlgCtrlID(child) == nID)
            return child;
    }
    return nullptr;
}

int GetDlgCtrlID(const QWidget* control)
{
    if (!control)
        return 0;
    bool ok = false;
    const int nID = control->property(kControlIdProperty).toInt(&ok);
    return ok ? nID : 0;
}

QWidget* ReplaceDlgItem(QWidget* dialog, int nID, QWidget* replacement)
{
    QWidget* placeholder = GetDlgItem(dialog, nID);
    if (!placeholder || !replacement)
        return nullptr;
    if (placeholder == replacement)
        return replacement;
    std::unique_ptr<QWidget> removed(placeholder);
    replacement->setParent(dialog);
    replacement->setProperty(kControlIdProperty, nID);
    replacement->setGeometry(placeholder->geometry());
    replacement->setEnabled(placeholder->isEnabled());
    replacement->stackUnder(placeholder);
    replacement->setVisible(!placeholder->isHidden());
    return replacement;
}
