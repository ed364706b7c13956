#pragma once

#include <QString>

struct CAppSettings;

// The output summary of status pane 2, for example
// "  MP3:  CBR 128 kbps; Automatic Frequency; Automatic Channel;".
QString OutputSummaryText(const CAppSettings& settings);
