// A capture: the program runs on the virtual clock with windows that need no
// display, and a capture thread taking part in that clock turns what the
// screen would show at each video frame's moment, and what the sound device
// would have played, into frames and sound for the sink. Platform-internal.
#pragma once

#include <cstdint>

#include "platform/win32/stand_in_settings.h"

using ProgramFunction = int (*)(void* context);

// Runs program(context) under capture and returns its exit code, or 1 when
// the capture could not be written (said on standard error). Main thread.
int RunCapture(const CaptureSettings& settings, ProgramFunction program, void* context);

// True while a capture runs: Flip hands its frames here instead of a window.
bool CaptureActive();
// The front buffer at Flip (main thread): what the screen shows from now on.
void CaptureFramePresented(const uint16_t* pixels, int width, int height, bool rgb555);
