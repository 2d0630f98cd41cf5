// Platform-internal: the SDL window behind a window handle, for the other
// stand-ins (DirectDraw presents into it, DirectDraw's cooperative level
// switches its full-screen state). Never included by the program.
#pragma once

#include "platform/win32/windows.h"

struct SDL_Window;

// Null when the handle names no live window or the window has no SDL window
// (windows made by tests without a display).
SDL_Window* SdlWindowOf(HWND window);

// Asks for the window to fill the screen (or to stop filling it) without
// waiting to see the change; the window is sized to the screen already.
void SetWindowFillsScreen(SDL_Window* window, bool fills);
