// The application as installed, with two switches the tests need and no
// window that waits for a person: message boxes are printed to standard
// output and answered OK.
//   --decoder-failure     the decoder cannot be created
//   --close-after-start   the Exit command as soon as the window runs
#include <cstdio>

#include <QApplication>
#include <QTimer>

#include "AppCommands.h"
#include "UserInteraction.h"
#include "WMAFile2.h"
#include "ZARVApp.h"
#include "ZARVDlg.h"

namespace {

class PrintingInteraction : public UserInteraction
{
public:
    int MessageBox(QWidget*, const QString& text, const QString& caption, unsigned) override
    {
        std::printf("BOX [%s] %s\n", qPrintable(caption), qPrintable(QString(text).replace(QLatin1Char('\n'), QLatin1Char('|'))));
        std::fflush(stdout);
        return IDOK;
    }
    QStringList GetOpenFileNames(QWidget*, const QString&, const QString&, const QString&,
                                 const QString&) override
    {
        return {};
    }
    QString GetExistingDirectory(QWidget*, const QString&, const QString&) override { return {}; }
    int ExecDialog(QDialog*) override { return 0; }
    bool OpenWithDefault(const QString&) override { return false; }
    bool OpenWithWebPageHandler(const QString&) override { return false; }
    bool ShowFileProperties(const QString&) override { return false; }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Runs as the application itself: same single-instance name, same profile.
    QCoreApplication::setApplicationName(QStringLiteral("marlune"));
    PrintingInteraction printing;
    InstallInteraction(&printing);
    const QStringList args = QCoreApplication::arguments();
    if (args.contains(QStringLiteral("--decoder-failure")))
        SetWMAFile2CreationFailure(REGDB_E_CLASSNOTREG);
    if (args.contains(QStringLiteral("--close-after-start"))) {
        QTimer::singleShot(0, &app, [] {
            if (g_pMainDlg)
                g_pMainDlg->OnCommand(ID_APP_EXIT);
        });
    }
    const int code = CZARVApp().Run();
    InstallInteraction(nullptr);
    return code;
}
