// The one application object: instance, main window, log stream, title and
// class name, and the embedded display device. Main thread only.
#pragma once

#include <cstdint>
#include <cstdio>

#include "display/display_device.h"
#include "platform/win32/windows.h"

constexpr int MAINFRAME_TEXT_SIZE = 22;

class Mainframe {
  public:
    Mainframe();
    ~Mainframe();
    Mainframe(const Mainframe&) = delete;
    Mainframe& operator=(const Mainframe&) = delete;

    // 0 success, 1 window not created, 2 no instance handle.
    int CreateMainWindow();
    // Writes only while logLines is non-zero (it stays 0 for the whole run). Returns 0.
    int Log(const char* message);

    // Declared first so that it is built before the other fields and released
    // after them: its destructor is ReleaseDisplay.
    DisplayDevice display;
    HINSTANCE hInstance = nullptr;
    HWND hWnd = nullptr;
    WNDPROC windowProc = nullptr;
    int32_t windowReady = 0;
    FILE* logFile = nullptr;
    char title[MAINFRAME_TEXT_SIZE] = {};
    char className[MAINFRAME_TEXT_SIZE] = {};
};

// Shows a modal error box captioned with the title after giving the screen
// back, and posts the quit message. The caller decides whether to go on. Returns -1.
int FatalError(Mainframe& frame, const char* message);
