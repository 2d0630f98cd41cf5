// Test seams of the DirectDraw stand-in. For tests only: the program never
// sees this header.
#pragma once

#include "platform/ddraw/ddraw.h"
#include "platform/present/testing.h"  // UseScalerCodeForTesting

// Point the creation entries at fakes; null restores the stand-in.
using DirectDrawCreateFunction = HRESULT (*)(GUID*, IDirectDraw**, IUnknown*);
using DirectDrawEnumerateExFunction = HRESULT (*)(LPDDENUMCALLBACKEXA, LPVOID, DWORD);
void SetDirectDrawCreateForTesting(DirectDrawCreateFunction function);
void SetDirectDrawEnumerateForTesting(DirectDrawEnumerateExFunction function);

// DirectDraw objects created after this call give their surfaces the 5-5-5
// layout (true) or the screen's usual 5-6-5 layout (false, the default).
void SetScreenFormat555ForTesting(bool rgb555);
