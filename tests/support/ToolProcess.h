#pragma once

#include <QByteArray>
#include <QStringList>

// Runs a command-line tool (ffmpeg, ffprobe) with fork and exec and waits for
// it; standard output goes into *output, standard error is dropped. True
// when it exits with status 0.
//
// For tests that run under ThreadSanitizer: it follows a forked child, but
// not the vfork-style start QProcess uses, after which it loses track of the
// locks the starting thread takes and reports races that are not there.
bool RunTool(const char* program, const QStringList& arguments, QByteArray* output = nullptr);
