#include "UiGlobals.h"

std::atomic<int> g_bListBusy{0};
int g_bVistaOrLater = 0;
