// Loud failure for calls, flags and states the DirectDraw and Direct3D
// stand-ins do not handle. Platform-internal.
#pragma once

#include "platform/win32/windows.h"

// Prints "unsupported: <what>" to standard error the first time `what` is seen
// and returns `code`, so that callers can write `return ReportUnsupported(...)`.
// `what` must be a string literal (it is remembered by address). Any thread.
HRESULT ReportUnsupported(const char* what, HRESULT code);
