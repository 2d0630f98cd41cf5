// The motion of the mesh copies as table look-ups: one turn of a circle in x-y
// (built at start-up) and a constant depth wave. Main thread only.
#pragma once

#include <array>

constexpr int PATH_LENGTH = 256;

extern float pathX[PATH_LENGTH];
extern float pathY[PATH_LENGTH];
// Entry k = 5 sin(k * 359 deg / 32) - 5: between -10 and 0, repeating about every 32 entries.
extern const std::array<float, PATH_LENGTH> depthWave;

// Fills pathX and pathY for a circle of the given radius about (-4, -1),
// counter-clockwise from (-4 + radius, -1). The angle grows by adding
// 2 pi / 256 each step rather than being computed per entry, so the entries
// carry the rounding of that sum.
void BuildMotionTables(float radius);
