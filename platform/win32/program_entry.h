// The process entry of the stand-in: what the Windows start-up code does before
// and after WinMain. The program's main() calls RunWinMain(WinMain).
#pragma once

#include "platform/win32/windows.h"

using WinMainFunction = int (*)(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

// Without a display, says so in one line on standard error and ends the process
// with code 1; otherwise runs winMain with the executable's module and returns
// its result (1 when the named display could not be opened).
int RunWinMain(WinMainFunction winMain);
