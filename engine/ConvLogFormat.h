#pragma once

#include <QString>
#include <QTime>

// How a conversion's log and figures are written, shared by every view of a
// running job (the progress window, the command-line converter), so the same
// line reads the same everywhere.

// The next log line number. The numbering belongs to the process: it goes on
// across jobs and is never reset. Any thread.
unsigned NextLogLineNumber();

// "%03d " (with its trailing blank): "001 ", "002 ", ... "1000 ".
QString LogNumberText(unsigned number);

// The local time of day as "%02d:%02d:%02d".
QString LogTimeText(const QTime& time);

// Seconds as a clock "%02d:%02d:%02d" (hours may pass 99); the seconds are
// truncated, negative ones count as 0.
QString ClockText(double seconds);

// A percentage as "%5.2lf%%", e.g. " 7.50%", "100.00%".
QString PercentText(double percent);

// Speed against real time as " %5.2fx", e.g. "  1.25x".
QString SpeedText(double speed);
