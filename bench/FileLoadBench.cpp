// Loads 1000 short WMA files into the main window's list through the real
// loader (offscreen) and probes the same files with libavformat alone (open,
// read the stream information, close), in the same run.
//
//   file_load_bench [count]
#include <chrono>
#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

extern "C" {
#include <libavformat/avformat.h>
}

#include "ReportCtrl.h"
#include "WMAFile2.h"
#include "UserInteraction.h"
#include "ZARVDlg.h"

namespace {

class AnsweringInteraction : public UserInteraction
{
public:
    QStringList files;
    int MessageBox(QWidget*, const QString& text, const QString&, unsigned) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return IDOK;
    }
    QStringList GetOpenFileNames(QWidget*, const QString&, const QString&, const QString&,
                                 const QString&) override
    {
        return files;
    }
    QString GetExistingDirectory(QWidget*, const QString&, const QString&) override { return {}; }
    int ExecDialog(QDialog*) override { return 0; }
    bool OpenWithWebPageHandler(const QString&) override { return false; }
    bool OpenWithDefault(const QString&) override { return false; }
    bool ShowFileProperties(const QString&) override { return false; }
};

double ProbeSeconds(const QStringList& files)
{
    QElapsedTimer timer;
    timer.start();
    for (const QString& path : files) {
        AVFormatContext* format = nullptr;
        const QByteArray name = QFile::encodeName(path);
        if (avformat_open_input(&format, name.constData(), nullptr, nullptr) == 0) {
            avformat_find_stream_info(format, nullptr);
            avformat_close_input(&format);
        }
    }
    return timer.nsecsElapsed() / 1e9;
}

// The decoder component's part of the loader alone: open, details, close.
double DecoderSeconds(const QStringList& files)
{
    std::unique_ptr<WMAFile2> decoder;
    CreateWMAFile2(decoder);
    QElapsedTimer timer;
    timer.start();
    for (const QString& path : files) {
        uint32_t value = 0;
        int32_t duration = 0;
        decoder->Open(path);
        decoder->get_Channels(&value);
        decoder->get_SampleRate(&value);
        decoder->get_SampleCount(&value);
        decoder->get_Duration(&duration);
        decoder->Close();
    }
    return timer.nsecsElapsed() / 1e9;
}

double LoadSeconds(CZARVDlg& dlg, AnsweringInteraction& seam, const QStringList& files)
{
    seam.files = files;
    QElapsedTimer timer;
    timer.start();
    dlg.OnAddFiles();
    while (dlg.IsLoaderRunning() || dlg.m_bLoading != 0)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    return timer.nsecsElapsed() / 1e9;
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
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;

    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source.wma"));
    if (QProcess::execute(QStringLiteral("ffmpeg"),
                          {"-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=440:duration=2",
                           "-ac", "2", "-ar", "44100", "-c:a", "wmav2", "-b:a", "128k", source})
        != 0) {
        std::fprintf(stderr, "ffmpeg failed\n");
        return 1;
    }
    QStringList files;
    for (int i = 0; i < count; ++i) {
        const QString copy = dir.filePath(QString::asprintf("file%04d.wma", i));
        QFile::copy(source, copy);
        files.append(copy);
    }

    AnsweringInteraction seam;
    InstallInteraction(&seam);
    CZARVDlg dlg;
    if (!dlg.Initialise())
        return 1;

    // Warm the file cache and both code paths once.
    ProbeSeconds(files);
    LoadSeconds(dlg, seam, files.mid(0, 20));
    dlg.m_lstFiles->DeleteItems(ROW_ALL);

    double bestProbe = 1e9;
    double bestLoad = 1e9;
    double bestDecoder = 1e9;
    for (int round = 0; round < 3; ++round) {
        bestProbe = std::min(bestProbe, ProbeSeconds(files));
        bestDecoder = std::min(bestDecoder, DecoderSeconds(files));
        dlg.m_lstFiles->DeleteItems(ROW_ALL);
        bestLoad = std::min(bestLoad, LoadSeconds(dlg, seam, files));
    }
    std::printf("files: %d\n", count);
    std::printf("bare libavformat probe: %.3f s (%.3f ms per file)\n", bestProbe, bestProbe * 1000 / count);
    std::printf("decoder component only: %.3f s (%.3f ms per file)\n", bestDecoder, bestDecoder * 1000 / count);
    std::printf("loader into the list:   %.3f s (%.3f ms per file)\n", bestLoad, bestLoad * 1000 / count);
    std::printf("ratio: %.2f (target: at most 1.5)\n", bestLoad / bestProbe);
    dlg.Close();
    InstallInteraction(nullptr);
    return 0;
}
