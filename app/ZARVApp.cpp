#include "ZARVApp.h"

#include "SingleInstance.h"
#include "UserInteraction.h"
#include "ZARVDlg.h"

int CZARVApp::Run()
{
    // Named after the executable, like the profile key; a later start only
    // brings this one forward.
    CSingleInstance instance(ApplicationName());
    if (!instance.Acquire())
        return 0;

    CZARVDlg dlg;
    QObject::connect(&instance, &CSingleInstance::ActivationRequested, &dlg, &CZARVDlg::BringForward);
    if (!dlg.Initialise())
        return dlg.ExitCode();
    dlg.exec();
    return dlg.ExitCode();
}
