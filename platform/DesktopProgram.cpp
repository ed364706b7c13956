#include "DesktopProgram.h"

#include <memory>

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

DesktopProgramResult RunDesktopProgram(const QString& program, const QStringList& arguments,
                                       int nWaitMs)
{
    auto process = std::make_unique<QProcess>();
    process->setProgram(program);
    process->setArguments(arguments);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());

    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(process.get(), &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(process.get(), &QProcess::errorOccurred, &loop, [&loop](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            loop.quit();
    });

    DesktopProgramResult result;
    process->start();
    if (!process->waitForStarted(nWaitMs))
        return result;
    result.bStarted = true;
    deadline.start(nWaitMs);
    if (process->state() != QProcess::NotRunning)
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    if (process->state() != QProcess::NotRunning) {
        // Still running: it belongs to the application from here on and goes
        // when it ends.
        QProcess* running = process.release();
        running->setParent(QCoreApplication::instance());
        QObject::connect(running, &QProcess::finished, running, &QObject::deleteLater);
        return result;
    }
    result.bFinished = process->exitStatus() == QProcess::NormalExit;
    result.nExitCode = result.bFinished ? process->exitCode() : -1;
    result.output = process->readAllStandardOutput();
    return result;
}
