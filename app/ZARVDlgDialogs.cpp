// The Options dialog and the About box, run from the main window.

#include "ZARVDlg.h"

#include "AboutDlg.h"
#include "Option.h"
#include "UserInteraction.h"

void CZARVDlg::OnOptions()
{
    // A Reset takes effect at once, so the summary follows it while the
    // dialog is still open; the command refreshes it again afterwards.
    COption dlg([this] { ShowOutputSummary(); }, this);
    Interaction().ExecDialog(&dlg);
}

void CZARVDlg::OnAbout()
{
    CAboutDlg dlg(this);
    Interaction().ExecDialog(&dlg);
}
