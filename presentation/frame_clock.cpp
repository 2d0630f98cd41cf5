#include "presentation/frame_clock.h"

#include "platform/mmsystem/mmsystem.h"

DWORD lastTick = 0;

double FrameClock() {
    // Whole milliseconds, compared as elapsed time: seconds in a float would
    // coarsen as the run goes on (a step of 31 ms after 100 hours) and slow
    // the frames down, and the unsigned difference survives the counter's wrap.
    const DWORD now = timeGetTime();
    if (now - lastTick > TICK_MILLISECONDS) {
        lastTick = now;
        return 1.0;
    }
    return 0.0;
}
