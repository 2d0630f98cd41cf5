// The process entry of the stand-in: what the Windows start-up code does before
// and after WinMain. The program's main() calls RunWinMain(argc, argv, WinMain).
#pragma once

#include "platform/win32/windows.h"

using WinMainFunction = int (*)(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

// Reads the stand-in's options (help, version and bad usage end the process
// here: exit codes 0 and 64). Without a display, says so in one line on
// standard error and ends the process with code 1; otherwise runs winMain with
// the executable's module and what follows "--" on the command line, and
// returns its result (1 when no window could be shown).
int RunWinMain(int argc, char** argv, WinMainFunction winMain);
