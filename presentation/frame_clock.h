// The frame clock: ticks at most once per TICK_MILLISECONDS. Main thread only.
#pragma once

#include "platform/win32/windows.h"

// A tick needs more than this since the last one: 0.04 s, 25 frames a second.
constexpr DWORD TICK_MILLISECONDS = 40;

// timeGetTime of the last tick, in milliseconds.
extern DWORD lastTick;

// 1.0 when more than TICK_MILLISECONDS passed since the last tick (which is
// then now), 0.0 otherwise.
double FrameClock();
