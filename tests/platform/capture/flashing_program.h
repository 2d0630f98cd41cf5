// A small program for the capture's tests, run as the intro is: see
// flashing_program.cpp.
#pragma once

#include "platform/win32/windows.h"

// Returns 0 when its window was closed, 2 when the display chain or the sound
// could not be made.
int FlashingMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
