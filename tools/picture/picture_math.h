// Small numeric helpers for the picture generator. Everything here uses
// only +, -, *, / and floor, which IEEE arithmetic rounds the same on every
// machine, so the generated picture is bit-for-bit reproducible: no libm
// sine or exponential whose last bits vary between C libraries.
#pragma once

#include <cstdint>

namespace trelk::tools {

struct Color {
    double r, g, b;  // 0 to 255
};

inline Color Mix(const Color& a, const Color& b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

inline Color Scale(const Color& c, double k) { return {c.r * k, c.g * k, c.b * k}; }

inline double Clamp01(double x) { return x < 0.0 ? 0.0 : (x > 1.0 ? 1.0 : x); }

// 0 below e0, 1 above e1, a smooth cubic between; e0 > e1 runs the other way.
inline double Smoothstep(double e0, double e1, double x) {
    const double t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0 - 2.0 * t);
}

inline double Luminance(const Color& c) { return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b; }

// sin(x) from a reduced argument and an odd polynomial; error below 1e-7.
double Sine(double x);

// A repeatable hash of two integers and a seed, scaled to [0, 1).
double Hash01(std::int32_t x, std::int32_t y, std::uint32_t seed);

// Smoothly interpolated value noise in [0, 1), period 1 in each axis.
double ValueNoise(double x, double y, std::uint32_t seed);

// Colour ramp through `count` stops spread evenly over t in [0, 1].
Color Ramp(const Color* stops, int count, double t);

}  // namespace trelk::tools
