// The layers of the intro's background picture, each a colour function of a
// point (x right, y down, in pixels of the 520 x 406 picture).
#pragma once

#include "tools/picture/picture_math.h"

namespace trelk::tools {

inline constexpr int PICTURE_WIDTH = 520;
inline constexpr int PICTURE_HEIGHT = 406;
inline constexpr double HORIZON_Y = 312.0;

// Sky, striped sun, far ridge and the city above the horizon; the water
// below it, mirroring them.
Color Backdrop(double x, double y);

// Signed distance in pixels from the VORLIX lettering (negative inside).
double LogoDistance(double x, double y);

// Lays the lettering, its outline, drop shadow and glint over `under`.
Color LogoOver(const Color& under, double x, double y);

}  // namespace trelk::tools
