#pragma once

#include "WindowMessage.h"

// Posted to the list's notify window after every sort of the list.
// wParam: column of the first sort key; lParam: 1 ascending, 0 descending.
constexpr UINT WM_LIST_SORTED = WM_APP + 10001;

// Sent to the list's notify window after an in-place edit changed a cell.
// wParam: address of a ReportCell naming the edited cell, valid only during
// the call; lParam: address of the CReportCtrl. The editor is still open while
// the handler runs. The result is ignored.
constexpr UINT WM_LIST_EDITCOMMITTED = WM_APP + 10002;
