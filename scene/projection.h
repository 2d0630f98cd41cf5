// The one projection of the scene, set once at start-up and never changed.
// A camera-space point (x, y, z) becomes (x, y, z - 1, z): after the divide by
// w that is x/z, y/z (90 degrees across both axes) and depth 1 - 1/z, which is
// 0 at z = 1 and approaches 1 as z grows. There is no far plane.
#pragma once

#include "scene/math3d.h"

inline constexpr Matrix4 PROJECTION_MATRIX = {
    1.0f, 0.0f, 0.0f,  0.0f,  //
    0.0f, 1.0f, 0.0f,  0.0f,  //
    0.0f, 0.0f, 1.0f,  1.0f,  //
    0.0f, 0.0f, -1.0f, 0.0f,  //
};
