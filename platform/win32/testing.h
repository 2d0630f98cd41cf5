// Test seams of the Win32 stand-in: tests replace waiting, message boxes and
// beeps, refuse threads, make windows without a display and answer
// GetProcAddress themselves. Null (or false) restores the real behaviour.
// For tests only: the program never sees this header.
#pragma once

#include "platform/core/testing.h"  // SetThreadStartFailureForTesting
#include "platform/win32/windows.h"

using SleepHook = void (*)(DWORD milliseconds);
void SetSleepHookForTesting(SleepHook hook);

using MessageBoxHook = int (*)(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
void SetMessageBoxHookForTesting(MessageBoxHook hook);

using MessageBeepHook = void (*)(UINT type);
void SetMessageBeepHookForTesting(MessageBeepHook hook);

// Windows made while this is on have no SDL window and need no display.
void SetHeadlessWindowsForTesting(bool headless);

// Makes GetProcAddress answer `function` for (module, name); a null function
// makes the entry absent. ClearProcAddressOverrides restores the real table.
void SetProcAddressForTesting(const char* module, const char* name, FARPROC function);
void ClearProcAddressOverrides();
