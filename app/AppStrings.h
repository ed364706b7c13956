#pragma once

#include <QString>

// The string table: command prompts (which also serve as toolbar tooltips)
// and the few other texts loaded by id. An empty string when the id has no
// entry.
QString LoadResString(unsigned nID);
