#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "MainWindowTestSupport.h"
#include "SingleInstance.h"
#include "ZARVDlg.h"

using namespace MainWindowTest;

namespace {

const QString kBinDir = QStringLiteral(MARLUNE_BIN_DIR);

// A process environment with a home and XDG folders of its own.
QProcessEnvironment PrivateEnvironment(const QString& home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QDir().mkpath(home + "/runtime");
    QFile::setPermissions(home + "/runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    env.insert("HOME", home);
    env.insert("XDG_CONFIG_HOME", home + "/.config");
    env.insert("XDG_DATA_HOME", home + "/.local/share");
    env.insert("XDG_CACHE_HOME", home + "/.cache");
    env.insert("XDG_RUNTIME_DIR", home + "/runtime");
    env.insert("XDG_MUSIC_DIR", home + "/Music");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    return env;
}

QStringList ProfileKeysIn(const QString& home)
{
    const QString file = home + "/.config/Quorvane Corporation/Marlune.conf";
    if (!QFile::exists(file))
        return {};
    QSettings settings(file, QSettings::IniFormat);
    return settings.allKeys();
}

struct ProcessRun
{
    int exitCode = -1;
    QString output;
};

ProcessRun RunTestApp(const QString& home, const QStringList& arguments)
{
    QProcess process;
    process.setProcessEnvironment(PrivateEnvironment(home));
    process.start(kBinDir + "/marlune-testapp", arguments);
    EXPECT_TRUE(process.waitForStarted(10000));
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardOutput())};
}

TEST(AppProcess, DecoderThatCannotBeCreatedEndsWithExitCodeOne)
{
    QTemporaryDir home;
    const ProcessRun run = RunTestApp(home.path(), {"--decoder-failure"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.output,
              "BOX [Error !] Error on CreateInstance ActiveX WMAFile2!|Run \"Mendall.exe\" to fix it.\n"
              "BOX [marlune] Error on Initializing ActiveX Controls!|Run \"Mendall.exe\" to fix it.\n");
    EXPECT_TRUE(ProfileKeysIn(home.path()).isEmpty());
    const QFileInfo config(home.path() + "/.config/Marlune/Config.ini");
    EXPECT_TRUE(!config.exists() || config.size() == 0);
}

TEST(AppProcess, NormalCloseEndsWithExitCodeZeroAndSavesTheLayout)
{
    QTemporaryDir home;
    const ProcessRun run = RunTestApp(home.path(), {"--close-after-start"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.output.isEmpty()) << run.output.toStdString();
    const QStringList keys = ProfileKeysIn(home.path());
    EXPECT_TRUE(keys.contains("marlune/FileList/Column")) << keys.join(',').toStdString();
    EXPECT_TRUE(keys.contains("marlune/FileList/SortEx"));
    EXPECT_TRUE(keys.contains("marlune/Position/{08498238-9FCE-4F3C-861C-BE77C5E25FD5}"));
}

TEST(AppProcess, SecondStartEndsAtOnceAndRaisesTheRunningWindow)
{
    ScriptedInteraction seam;
    ScopedInteraction scoped(&seam);
    ClearProfile();
    // This process is the running instance, under the application's name.
    CSingleInstance instance("marlune");
    ASSERT_TRUE(instance.Acquire());
    auto dlg = StartMainWindow();
    ASSERT_TRUE(dlg);
    QObject::connect(&instance, &CSingleInstance::ActivationRequested, dlg.get(), &CZARVDlg::BringForward);
    dlg->showMinimized();
    ASSERT_TRUE(WaitUntil([&] { return dlg->isMinimized(); }));

    QProcess second;
    // The same runtime folder as this process: the test main's private one.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    second.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    second.start(kBinDir + "/marlune");
    ASSERT_TRUE(second.waitForStarted(10000));
    ASSERT_TRUE(WaitUntil([&] { return second.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_LT(timer.elapsed(), 10000);
    EXPECT_TRUE(WaitUntil([&] { return !dlg->isMinimized(); }, 5000));
    EXPECT_TRUE(dlg->isVisible());
    dlg->Close();
    ClearProfile();
}

} // namespace
