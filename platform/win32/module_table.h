// Test seams of the module look-up (GetModuleHandleA / GetProcAddress).
#pragma once

#include "platform/win32/windows.h"

// Makes GetProcAddress answer `function` for (module, name); a null function
// makes the entry absent. ClearProcAddressOverrides restores the real table.
void SetProcAddressForTesting(const char* module, const char* name, FARPROC function);
void ClearProcAddressOverrides();
