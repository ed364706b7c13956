#pragma once

#include <QString>

#include "WindowMessage.h"

// Messages the engine's threads post to the progress window. Payloads are
// heap objects owned by the message (see WindowMessage.h): the receiver takes
// them with PayloadValue<T>() and they are freed after the handler returns.
// Widgets are touched only on the user-interface thread, so every window
// operation of the runner travels as one of these messages too.

// Progress of the current task and of the whole job, in percent (either may
// exceed 100 when the expected length was short). wParam 0, lParam 0,
// payload ConvProgress. Posted by the encoding stage and the window's start;
// a task's last one is sent.
constexpr UINT WM_CONV_PROGRESS = WM_USER + 100;

// One log line. wParam 0, lParam the severity (LOG_INFO or LOG_ERROR),
// payload QString: the text. Posted by every stage and the runner.
constexpr UINT WM_CONV_LOG = WM_USER + 101;

// Sets a text of the window. wParam the control id (CONV_TEXT_TITLE for the
// window title, IDC_CONV_SOURCE, IDC_CONV_DEST), lParam 0, payload QString:
// the text. Posted by the runner.
constexpr UINT WM_CONV_SETTEXT = WM_USER + 102;

// Starts a window timer. wParam the timer id (CONV_TIMER_ID), lParam the
// period in milliseconds, no payload. Posted by the runner.
constexpr UINT WM_CONV_SETTIMER = WM_USER + 103;

// The job ran every task with the job still running. wParam 0, lParam 0, no
// payload. Posted by the runner.
constexpr UINT WM_CONV_FINISHED = WM_USER + 105;

// The system's reason for the error line posted just before (an output file
// that could not be created or written: permission denied, no space left).
// wParam 0, lParam 0, payload QString. Posted by the encoding stage. The log
// keeps its fixed texts, so the progress window ignores it; the command-line
// converter prints it.
constexpr UINT WM_CONV_SYSTEM_REASON = WM_USER + 106;

// The tags of the current task's source could not be copied into its MP3;
// the audio and the task's outcome are not affected. wParam 0, lParam 0,
// payload QString: what went wrong, naming the file. Posted by the encoding
// stage; a window that shows only the job's log ignores it.
constexpr UINT WM_CONV_TAGS_NOT_COPIED = WM_USER + 107;

// Targets of WM_CONV_SETTEXT and WM_CONV_SETTIMER.
constexpr WPARAM CONV_TEXT_TITLE = 0;
constexpr WPARAM IDC_CONV_SOURCE = 1092;
constexpr WPARAM IDC_CONV_DEST = 1093;
constexpr WPARAM CONV_TIMER_ID = 1;

struct ConvProgress
{
    float fTaskPercent = 0.0f;
    float fJobPercent = 0.0f;
};

using ProgressPayload = ValuePayload<ConvProgress>;
using TextPayload = ValuePayload<QString>;
