// Test seams of the Win32 stand-in: tests replace waiting, message boxes and
// beeps, and make windows without a display. Null restores the real behaviour.
#pragma once

#include "platform/win32/windows.h"

using SleepHook = void (*)(DWORD milliseconds);
void SetSleepHookForTesting(SleepHook hook);

using MessageBoxHook = int (*)(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
void SetMessageBoxHookForTesting(MessageBoxHook hook);

using MessageBeepHook = void (*)(UINT type);
void SetMessageBeepHookForTesting(MessageBeepHook hook);

using CreateThreadHook = HANDLE (*)(LPTHREAD_START_ROUTINE start, LPVOID parameter);
void SetCreateThreadHookForTesting(CreateThreadHook hook);

// Windows made while this is on have no SDL window and need no display.
void SetHeadlessWindowsForTesting(bool headless);
