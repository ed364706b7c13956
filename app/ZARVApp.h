#pragma once

// The application object: one running instance per user, the main window
// run until it ends.
class CZARVApp
{
public:
    // Runs the application in the QApplication that exists; returns the
    // process's exit code: 0 after a normal close or when another instance
    // was brought forward instead, 1 when the main window could not start.
    int Run();
};
