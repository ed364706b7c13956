#pragma once

#include <QString>

struct SourceDetails;
class WMAFile2;

// Why marlune-convert cannot convert the file, or an empty string when it
// can; fills the details the file list would show for it. Anything but a
// regular file is refused before it is opened, so a FIFO never blocks the
// run.
QString CheckSource(WMAFile2& decoder, const QString& path, SourceDetails& details);
