// Platform-internal: the SDL window behind a window handle, for the other
// stand-ins (DirectDraw presents into it, DirectDraw's cooperative level
// switches its full-screen state). Never included by the program.
#pragma once

#include "platform/present/picture_layout.h"
#include "platform/win32/windows.h"

struct SDL_Window;

// Null when the handle names no live window or the window has no SDL window
// (windows made by tests without a display).
SDL_Window* SdlWindowOf(HWND window);

// DirectDraw's exclusive mode: asks for the window to fill the screen (or to
// stop filling it) without waiting to see the change; the window is sized to
// the screen already. A window the user wants as a window (--windowed, or
// switched with Alt+Enter) stays one.
void SetWindowFillsScreen(SDL_Window* window, bool fills);

// Moves the window between full screen on its monitor and a 640 x 480 window
// centred there (X11 through the window manager, elsewhere through SDL).
void SwitchSdlWindowMode(SDL_Window* window, bool fullScreen);

// The mode the user wants for the window: full screen unless --windowed or
// switched with Alt+Enter.
bool WindowWantsFullScreen(SDL_Window* window);

// True when the window was made for the GPU presenter (see renderer_choice.h).
bool WindowPresentsWithGpu(SDL_Window* window);
// How the window's picture is scaled: as the settings said when it was made.
PictureScaling WindowPictureScaling(SDL_Window* window);

// True once after the window was exposed or resized: everything is redrawn.
bool TakeRepaintRequest(SDL_Window* window);

// Presenting to the window is impossible (its reason already said on standard
// error): the window is closed and the run ends with exit code 1.
void EndRunCannotPresent(HWND window);
