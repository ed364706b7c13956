#include "ConvProgTemplate.h"

#include "DialogTemplate.h"

namespace {

DialogTemplate MakeConvProgTemplate()
{
    DialogTemplate dlg;
    dlg.nID = IDD_CONV_PROG;
    dlg.cx = 367;
    dlg.cy = 273;
    dlg.nStyle = DLG_SYSMENU | DLG_RESIZABLE | DLG_MINIMIZEBOX | DLG_MAXIMIZEBOX;
    dlg.strFontFace = QStringLiteral("Tahoma");
    dlg.nPointSize = 8;

    const auto text = [](const char* s) { return QString::fromLatin1(s); };
    constexpr unsigned kBar = CTL_SMOOTH | CTL_BORDER;
    constexpr unsigned kValue = CTL_RIGHT;
    dlg.arrControls = {
        {IDC_PROG_GROUP_TASK, ControlKind::GroupBox, text("Current Progress"), 7, 4, 354, 48, 0},
        {IDC_PROG_BAR_TASK, ControlKind::ProgressBar, {}, 14, 20, 339, 10, kBar},
        {IDC_PROG_TASK_DONE_LABEL, ControlKind::Label, text("Done:"), 24, 36, 20, 10, 0},
        {IDC_PROG_TASK_DONE, ControlKind::Label, text("0.00%"), 48, 36, 30, 10, kValue},
        {IDC_PROG_TASK_SPEED_LABEL, ControlKind::Label, text("Speed:"), 106, 36, 26, 10, 0},
        {IDC_PROG_TASK_SPEED, ControlKind::Label, text("0.00x"), 134, 36, 27, 10, kValue},
        {IDC_PROG_TASK_ELAPSED_LABEL, ControlKind::Label, text("Elapsed:"), 191, 36, 28, 10, 0},
        {IDC_PROG_TASK_ELAPSED, ControlKind::Label, text("00:00:00"), 222, 37, 33, 10, kValue},
        {IDC_PROG_TASK_LEFT_LABEL, ControlKind::Label, text("ETA:"), 283, 36, 17, 10, 0},
        {IDC_PROG_TASK_LEFT, ControlKind::Label, text("00:00:00"), 302, 37, 33, 10, kValue},
        {IDC_PROG_GROUP_JOB, ControlKind::GroupBox, text("Overall Progress"), 7, 56, 354, 48, 0},
        {IDC_PROG_BAR_JOB, ControlKind::ProgressBar, {}, 13, 72, 339, 10, kBar},
        {IDC_PROG_JOB_DONE_LABEL, ControlKind::Label, text("Done:"), 24, 88, 20, 10, 0},
        {IDC_PROG_JOB_DONE, ControlKind::Label, text("0.00%"), 48, 88, 30, 10, 0},
        {IDC_PROG_JOB_SPEED_LABEL, ControlKind::Label, text("Speed:"), 106, 88, 26, 10, 0},
        {IDC_PROG_JOB_SPEED, ControlKind::Label, text("0.00x"), 134, 88, 27, 10, 0},
        {IDC_PROG_JOB_ELAPSED_LABEL, ControlKind::Label, text("Elapsed:"), 191, 88, 28, 10, 0},
        {IDC_PROG_JOB_ELAPSED, ControlKind::Label, text("00:00:00"), 222, 89, 33, 10, 0},
        {IDC_PROG_JOB_LEFT_LABEL, ControlKind::Label, text("ETA:"), 283, 88, 17, 10, 0},
        {IDC_PROG_JOB_LEFT, ControlKind::Label, text("00:00:00"), 302, 89, 33, 10, 0},
        {IDC_PROG_SOURCE_LABEL, ControlKind::Label, text("Source:"), 9, 110, 34, 10, 0},
        {IDC_PROG_SOURCE, ControlKind::Label, {}, 62, 110, 298, 10, 0},
        {IDC_PROG_DEST_LABEL, ControlKind::Label, text("Destination:"), 9, 127, 43, 10, 0},
        {IDC_PROG_DEST, ControlKind::Label, {}, 62, 127, 298, 10, 0},
        {IDC_PROG_LOG, ControlKind::ListView, {}, 3, 144, 362, 105, CTL_BORDER},
        {IDC_PROG_CLEAR, ControlKind::PushButton, text("Clear"), 75, 255, 48, 13, 0},
        {IDC_PROG_PAUSE, ControlKind::PushButton, text("Pause"), 159, 255, 48, 13, 0},
        {IDC_PROG_CANCEL, ControlKind::PushButton, text("Cancel"), 243, 255, 48, 13, 0},
    };
    return dlg;
}

} // namespace

const DialogTemplate& ConvProgTemplate()
{
    static const DialogTemplate dlg = MakeConvProgTemplate();
    return dlg;
}
