// One whole composed frame of the intro, from the clear to the flip, in
// memory through the real stand-in with the embedded assets (no window, no
// music): the frame clock is a fake that ticks 41 ms before every frame.
// Shared by bench_frame and the web build's frame timing (bench/web).
#pragma once

// Sets the intro up once; false when it could not be.
bool SetUpComposedFrames();
// Composes the next frame; returns how long that took, in microseconds.
double ComposeTimedFrameUs();
