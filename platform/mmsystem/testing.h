// Room mmsystem/: the multimedia timer and timeGetTime, on core/'s clock.
// Includes core/ and include/.
// Test seams of the multimedia timer stand-in. For tests only: the program
// never sees this header.
#pragma once

#include "platform/mmsystem/mmsystem.h"

// A fake millisecond source for timeGetTime; null restores the real one.
using TimeSourceFunction = DWORD (*)();
void SetTimeSourceForTesting(TimeSourceFunction source);

// timeSetEvent and timeKillEvent go to a fake, so that code driven by the
// timer can be stepped by hand without wall time.
class MultimediaTimerForTesting {
  public:
    virtual ~MultimediaTimerForTesting() = default;
    virtual UINT SetEvent(UINT delay, UINT resolution, LPTIMECALLBACK callback, DWORD_PTR user,
                          UINT flags) = 0;
    virtual MMRESULT KillEvent(UINT timerId) = 0;
};

// Null restores the real timer thread. The fake must outlive its use.
void SetMultimediaTimerForTesting(MultimediaTimerForTesting* fake);
