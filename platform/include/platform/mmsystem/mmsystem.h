// The multimedia-timer subset: timeGetTime and the periodic timer.
#pragma once

#include "platform/win32/windows.h"

using MMRESULT = UINT;
constexpr MMRESULT TIMERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT TIMERR_NOCANDO = 97;
constexpr UINT TIME_ONESHOT = 0x0000;
constexpr UINT TIME_PERIODIC = 0x0001;

struct TIMECAPS {
    UINT wPeriodMin;
    UINT wPeriodMax;
};

// Milliseconds since the program started (not since the machine started), so
// that clock arithmetic in 32-bit floats keeps its precision. Any thread.
DWORD timeGetTime();

using LPTIMECALLBACK = void (*)(UINT timerId, UINT message, DWORD_PTR user, DWORD_PTR reserved1,
                                DWORD_PTR reserved2);

// The periods a timer accepts: 1 to 65535 ms.
MMRESULT timeGetDevCaps(TIMECAPS* caps, UINT size);
// Each timeEndPeriod must match an earlier timeBeginPeriod of the same period.
MMRESULT timeBeginPeriod(UINT period);
MMRESULT timeEndPeriod(UINT period);
// Calls back every delay ms on one timer thread; callbacks never overlap and
// late ones catch up. Returns 0 on failure.
UINT timeSetEvent(UINT delay, UINT resolution, LPTIMECALLBACK callback, DWORD_PTR user, UINT flags);
// No callback starts after this returns; a running one is not waited for.
MMRESULT timeKillEvent(UINT timerId);
