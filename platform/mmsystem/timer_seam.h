// Test seam for the periodic timer: timeSetEvent and timeKillEvent go to a
// fake, so code driven by the timer can be stepped by hand without wall time.
#pragma once

#include "platform/mmsystem/mmsystem.h"

class MultimediaTimerForTesting {
public:
    virtual ~MultimediaTimerForTesting() = default;
    virtual UINT SetEvent(UINT delay, UINT resolution, LPTIMECALLBACK callback, DWORD_PTR user, UINT flags) = 0;
    virtual MMRESULT KillEvent(UINT timerId) = 0;
};

// Null restores the real timer thread. The fake must outlive its use.
void SetMultimediaTimerForTesting(MultimediaTimerForTesting* fake);
