#pragma once

#include <atomic>

// Set while the file list is sorted or a cancelled load winds down;
// selection updates and conversion starts are refused while it is set.
extern std::atomic<int> g_bListBusy;

// 1 when the platform offers the modern list look (double buffering,
// themed rows); set once by the main window's initialisation.
extern int g_bVistaOrLater;
