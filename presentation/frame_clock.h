// The frame clock: ticks at most once per TICK_SECONDS. Main thread only.
#pragma once

constexpr float TICK_SECONDS = 0.04f;

// Seconds of the last tick, as a 32-bit float of timeGetTime's seconds.
extern float lastTick;

// 1.0 when more than TICK_SECONDS passed since the last tick (which is then
// now), 0.0 otherwise.
double FrameClock();
