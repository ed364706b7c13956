#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What became of a desktop helper program: an opener, a MIME query.
struct DesktopProgramResult
{
    bool bStarted = false;
    // False when the program still ran as the wait ended. It is left to run:
    // an opener may stay for as long as what it opened.
    bool bFinished = false;
    int nExitCode = -1;
    QByteArray output;
};

// Runs a program and waits at most nWaitMs for it to end. Meanwhile the
// calling thread's events are handled, except user input, so windows keep
// painting but take no clicks that could start another wait.
DesktopProgramResult RunDesktopProgram(const QString& program, const QStringList& arguments,
                                       int nWaitMs);
