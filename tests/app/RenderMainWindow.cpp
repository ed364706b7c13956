// Renders the main window with a loaded list, with the row menu open and
// with the column menu open, to PNG files for a look.
//   render_main_window <output folder>
#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QTemporaryDir>

#include "AudioFixtures.h"
#include "MainWindowTestSupport.h"
#include "ReportCtrl.h"
#include "ZARVDlg.h"

namespace {

// The window with a menu drawn where it pops up.
QPixmap Compose(CZARVDlg& dlg, QWidget* popup)
{
    QPixmap image = dlg.grab();
    if (popup) {
        QPainter painter(&image);
        painter.drawPixmap(dlg.mapFromGlobal(popup->pos()), popup->grab());
    }
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", home.path().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(out);

    QTemporaryDir dir;
    QStringList paths;
    const struct { const char* name; double seconds; int rate; int channels; } files[] = {
        {"Morning Raga.wma", 205.5, 44100, 2}, {"interview.wma", 62.0, 22050, 1},
        {"Bell Study.wma", 12.0, 32000, 2},    {"Night Train.wma", 3.5, 44100, 2},
    };
    for (const auto& f : files) {
        AudioFixtures::Signal signal;
        signal.seconds = f.seconds;
        signal.sampleRate = f.rate;
        signal.channels = f.channels;
        paths << AudioFixtures::MakeWma(dir.path(), QString::fromLatin1(f.name), signal);
    }
    QFile broken(dir.filePath(QStringLiteral("broken.wma")));
    broken.open(QIODevice::WriteOnly);
    broken.write("not audio");
    broken.close();
    paths << broken.fileName();

    ScriptedInteraction seam;
    ScopedInteraction scoped(&seam);
    CZARVDlg dlg;
    if (!dlg.Initialise())
        return 1;
    dlg.showNormal();
    dlg.resize(1100, 520);
    MainWindowTest::LoadFiles(dlg, seam, paths);
    dlg.m_lstFiles->SetItemStates(1, ROW_SELECTED | ROW_FOCUSED);
    QCoreApplication::processEvents();
    dlg.grab().save(out + QStringLiteral("/main-window.png"));

    const QRect row = dlg.m_lstFiles->visualRect(dlg.m_lstFiles->model()->index(1, 0));
    dlg.ShowRowMenu(1, dlg.m_lstFiles->viewport()->mapToGlobal(row.center() + QPoint(40, 0)));
    QCoreApplication::processEvents();
    Compose(dlg, QApplication::activePopupWidget()).save(out + QStringLiteral("/row-menu.png"));
    if (QWidget* popup = QApplication::activePopupWidget())
        popup->close();

    std::unique_ptr<QMenu> columns = dlg.m_lstFiles->BuildColumnMenu();
    QHeaderView* header = dlg.m_lstFiles->header();
    columns->popup(header->mapToGlobal(QPoint(header->sectionViewportPosition(4) + 20, header->height() / 2)));
    QCoreApplication::processEvents();
    Compose(dlg, columns.get()).save(out + QStringLiteral("/column-menu.png"));
    columns->close();

    dlg.Close();
    std::printf("written to %s\n", qPrintable(out));
    return 0;
}
