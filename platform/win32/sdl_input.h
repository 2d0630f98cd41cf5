// Platform-internal: SDL's side of the input (win32/sdl_events.cpp,
// win32/sdl_keyboard_map.cpp, win32/sdl_window.cpp). Main thread.
#pragma once

#include <cstdint>

#include "platform/win32/window_registry.h"

// The live window whose SDL window has this SDL id, or null.
WindowRecord* FindWindowBySdlId(uint32_t sdlWindowId);
// Switches between full screen and a window (Alt+Enter).
void ToggleWindowMode(WindowRecord* record);
// True once the display's connection is known to be lost (the run is then
// being closed); SDL must not be pumped or waited on any more.
bool SdlDisplayGone();
// On Wayland, waits up to timeoutMs for the compositor to send something or
// for WakeWaylandWait, without letting SDL read the connection, and returns
// true; elsewhere returns false at once.
bool WaitOnWaylandConnection(int timeoutMs);
// Ends a WaitOnWaylandConnection early (any thread).
void WakeWaylandWait();
// Virtual-key code for an SDL key code, or 0 when the key has none.
int VirtualKeyFromSdl(int32_t sdlKey);
