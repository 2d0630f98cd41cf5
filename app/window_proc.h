// The main window's procedure: page state resets, the hidden cursor, and the
// Escape stop sequence. Main thread only.
#pragma once

#include "platform/win32/windows.h"

LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Polls of 10 ms the Escape handler waits at most for the music to stop.
constexpr int MUSIC_STOP_POLLS = 100;
constexpr DWORD MUSIC_STOP_POLL_MS = 10;
