#include "presentation/frame_clock.h"

#include "platform/mmsystem/mmsystem.h"

float lastTick = 0.0f;

double FrameClock() {
    // timeGetTime counts from the program's start, so the float keeps
    // sub-millisecond resolution for days rather than coarsening with uptime.
    double t = static_cast<double>(timeGetTime());
    float seconds = static_cast<float>(t * static_cast<double>(0.001f));
    if (seconds - lastTick > TICK_SECONDS) {
        lastTick = seconds;
        return 1.0;
    }
    return 0.0;
}
