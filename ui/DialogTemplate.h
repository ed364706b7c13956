#pragma once

#include <vector>

#include <QString>

// The kinds of control a dialog template can hold. ListView is a
// placeholder for the report list, which its dialog supplies through a
// control factory or ReplaceDlgItem.
enum class ControlKind {
    GroupBox,
    Label,
    PushButton,
    DefPushButton,
    Edit,
    CheckBox,
    ComboBox,
    ProgressBar,
    ListView,
    HyperLink,
};

// Control style bits that change how a control is built.
enum ControlStyle : unsigned {
    CTL_CENTER = 0x0001,       // text centred horizontally (labels, edits)
    CTL_RIGHT = 0x0002,        // text right-aligned (labels, edits)
    CTL_CENTERIMAGE = 0x0004,  // label text centred vertically
    CTL_BORDER = 0x0008,       // thin frame (labels, list placeholders)
    CTL_DISABLED = 0x0010,
    CTL_HIDDEN = 0x0020,
    CTL_READONLY = 0x0040,     // edits
    CTL_SMOOTH = 0x0080,       // progress bar without segments
    CTL_NOTABSTOP = 0x0100,    // the control is skipped by Tab
};

// Dialog style bits.
enum DialogStyle : unsigned {
    DLG_SYSMENU = 0x0001,
    DLG_RESIZABLE = 0x0002,    // sizing border; otherwise the size is fixed
    DLG_MINIMIZEBOX = 0x0004,
    DLG_MAXIMIZEBOX = 0x0008,
};

// One numbered control, positioned in dialog units.
struct DialogControl
{
    int nID = 0;
    ControlKind kind = ControlKind::Label;
    QString strText;
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    unsigned nStyle = 0;
};

// A dialog resource: its client size in dialog units, caption, font and
// controls. Controls are created in this order, so a group box listed
// before its contents lies beneath them.
struct DialogTemplate
{
    int nID = 0;
    QString strCaption;
    int cx = 0;
    int cy = 0;
    unsigned nStyle = DLG_SYSMENU;
    QString strFontFace = QStringLiteral("Tahoma");
    int nPointSize = 8;
    std::vector<DialogControl> arrControls;
};
