// Platform-internal: where windows meet a screen. Natively that is SDL (the
// win32/sdl_*.cpp files); in a web page there is none (web/): its windows are
// off screen and the page shows the frames. The window code, the message
// queue and the message box reach the screen only through these.
#pragma once

#include "platform/win32/windows.h"

struct SDL_Window;

// The screen side of a new window of `className`, hidden until shown; null
// when none can be made (the reason said on standard error, and
// VideoUnavailable() set when no display could be reached at all).
SDL_Window* CreateScreenWindow(LPCSTR className, LPCSTR title, bool* presentsWithGpu);
// Shows it: filling its monitor (full screen) or as a window.
void ShowScreenWindow(SDL_Window* window, bool fullScreen);
void DestroyScreenWindow(SDL_Window* window);
// The cursor over this thread's window as its mode wants it (SetCursor).
void ApplyScreenCursor();

// Turns pending input into messages for this thread's windows.
void PumpScreenInput();
// Waits up to timeoutMs for input from the screen; false at once when the
// calling thread should wait on its own queue instead.
bool WaitForScreenInput(int timeoutMs);
// Ends a WaitForScreenInput early (any thread).
void WakeScreenInput();

// A message box on the screen; false when there is no screen to show it on.
bool ShowScreenMessageBox(UINT type, const char* title, const char* text, HWND owner);
