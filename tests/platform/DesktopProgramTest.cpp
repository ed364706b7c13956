#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include "DesktopEntry.h"
#include "DesktopInteraction.h"
#include "DesktopProgram.h"

namespace {

class DesktopProgramTest : public testing::Test
{
protected:
    QString Path(const QString& name) const { return m_dir.path() + QLatin1Char('/') + name; }

    QString Script(const QString& name, const QByteArray& body) const
    {
        QFile file(Path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n" + body + "\n");
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return file.fileName();
    }

    static QByteArray ReadAll(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
};

TEST_F(DesktopProgramTest, ExitStatusAndOutputComeBack)
{
    const DesktopProgramResult ok = RunDesktopProgram(Script("ok", "echo \"$1\""), {"hello"}, 60000);
    EXPECT_TRUE(ok.bStarted);
    EXPECT_TRUE(ok.bFinished);
    EXPECT_EQ(ok.nExitCode, 0);
    EXPECT_EQ(ok.output, QByteArray("hello\n"));

    const DesktopProgramResult failed = RunDesktopProgram(Script("failed", "exit 4"), {}, 60000);
    EXPECT_TRUE(failed.bFinished);
    EXPECT_EQ(failed.nExitCode, 4);

    const DesktopProgramResult missing = RunDesktopProgram(Path("missing"), {}, 60000);
    EXPECT_FALSE(missing.bStarted);
    EXPECT_FALSE(missing.bFinished);
}

TEST_F(DesktopProgramTest, WaitIsBoundedAndEventsAreHandledMeanwhile)
{
    int nTicks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&nTicks] { ++nTicks; });
    ticker.start(10);
    QElapsedTimer clock;
    clock.start();
    const DesktopProgramResult slow = RunDesktopProgram(Script("slow", "exec sleep 600"), {}, 300);
    EXPECT_GE(clock.elapsed(), 290);
    EXPECT_TRUE(slow.bStarted);
    EXPECT_FALSE(slow.bFinished);
    EXPECT_GT(nTicks, 0);
}

TEST_F(DesktopProgramTest, OpenerExitStatusDecidesTheOpen)
{
    struct Case
    {
        const char* name;
        QByteArray body;
        bool bOpened;
    };
    const QList<Case> cases = {
        {"opened", "echo \"$1\" > \"$0.arg\"", true},
        {"nothing can open it", "echo \"$1\" > \"$0.arg\"; exit 4", false},
        {"file not found", "echo \"$1\" > \"$0.arg\"; exit 2", false},
        {"still running what it opened", "echo \"$1\" > \"$0.arg\"; exec sleep 600", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString opener = Script(QString::fromLatin1(c.name), c.body);
        DesktopInteraction desktop(opener, 300);
        EXPECT_EQ(desktop.OpenWithDefault(QStringLiteral("https://marlune.example/")), c.bOpened);
        EXPECT_EQ(ReadAll(opener + QStringLiteral(".arg")), QByteArray("https://marlune.example/\n"));
        // An existing file goes to the opener as its path.
        EXPECT_EQ(desktop.OpenWithDefault(opener), c.bOpened);
        EXPECT_EQ(ReadAll(opener + QStringLiteral(".arg")), opener.toUtf8() + "\n");
    }
    DesktopInteraction noOpener(Path("missing"), 300);
    EXPECT_FALSE(noOpener.OpenWithDefault(QStringLiteral("https://marlune.example/")));
}

TEST_F(DesktopProgramTest, WebPageHandlerStartsTheEntryForHtml)
{
    const QString applications = QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
    ASSERT_TRUE(QDir().mkpath(applications));
    const QString browser = Script("fake-browser", "echo \"$@\" > \"$0.args\"");
    QFile entry(applications + QStringLiteral("/fake-browser.desktop"));
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    entry.write("[Desktop Entry]\nType=Application\nName=Fake\nExec=" + browser.toUtf8()
                + " --new-tab %u --private\n[Desktop Action Other]\nExec=other %u\n");
    entry.close();

    EXPECT_EQ(DesktopEntryCommand(QStringLiteral("fake-browser.desktop"), QStringLiteral("https://a.example/")),
              (QStringList{browser, QStringLiteral("--new-tab"), QStringLiteral("https://a.example/")}));
    EXPECT_TRUE(DesktopEntryCommand(QStringLiteral("none.desktop"), QStringLiteral("x")).isEmpty());
    EXPECT_TRUE(DesktopEntryCommand(QStringLiteral("../fake-browser.desktop"), QStringLiteral("x")).isEmpty());

    DesktopInteraction desktop;
    EXPECT_FALSE(desktop.OpenWithWebPageHandler(QStringLiteral("https://a.example/")))
        << "nothing is registered for web pages yet";

    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    ASSERT_TRUE(QDir().mkpath(config));
    QFile mimeApps(config + QStringLiteral("/mimeapps.list"));
    ASSERT_TRUE(mimeApps.open(QIODevice::WriteOnly));
    mimeApps.write("[Default Applications]\ntext/html=fake-browser.desktop\n");
    mimeApps.close();

    EXPECT_TRUE(desktop.OpenWithWebPageHandler(QStringLiteral("https://a.example/")));
    // Started detached: its line is complete once it ends with a newline.
    QDeadlineTimer deadline(60000);
    while (!ReadAll(browser + QStringLiteral(".args")).endsWith('\n') && !deadline.hasExpired())
        QThread::msleep(5);
    EXPECT_EQ(ReadAll(browser + QStringLiteral(".args")), QByteArray("--new-tab https://a.example/\n"));
}

} // namespace
