#include "tools/picture/picture_math.h"

#include <cmath>

namespace trelk::tools {
namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double TWO_PI = 2.0 * PI;

double Fade(double t) { return t * t * (3.0 - 2.0 * t); }

}  // namespace

double Sine(double x) {
    // Bring x into [-pi, pi], then fold into [-pi/2, pi/2] where the series
    // converges fast.
    double r = x - std::floor(x / TWO_PI + 0.5) * TWO_PI;
    if (r > PI / 2) r = PI - r;
    if (r < -PI / 2) r = -PI - r;
    const double r2 = r * r;
    // Taylor terms up to r^13, summed from the smallest.
    double sum = 1.0 / 6227020800.0;
    sum = sum * -r2 + 1.0 / 39916800.0;
    sum = sum * -r2 + 1.0 / 362880.0;
    sum = sum * -r2 + 1.0 / 5040.0;
    sum = sum * -r2 + 1.0 / 120.0;
    sum = sum * -r2 + 1.0 / 6.0;
    sum = sum * -r2 + 1.0;
    return r * sum;
}

double Hash01(std::int32_t x, std::int32_t y, std::uint32_t seed) {
    std::uint32_t h = seed * 0x9E3779B9u;
    h ^= static_cast<std::uint32_t>(x) * 0x85EBCA6Bu;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<std::uint32_t>(y) * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return static_cast<double>(h >> 8) / 16777216.0;
}

double ValueNoise(double x, double y, std::uint32_t seed) {
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const auto ix = static_cast<std::int32_t>(fx);
    const auto iy = static_cast<std::int32_t>(fy);
    const double tx = Fade(x - fx);
    const double ty = Fade(y - fy);
    const double top = Hash01(ix, iy, seed) + (Hash01(ix + 1, iy, seed) - Hash01(ix, iy, seed)) * tx;
    const double bottom =
        Hash01(ix, iy + 1, seed) + (Hash01(ix + 1, iy + 1, seed) - Hash01(ix, iy + 1, seed)) * tx;
    return top + (bottom - top) * ty;
}

Color Ramp(const Color* stops, int count, double t) {
    const double at = Clamp01(t) * (count - 1);
    int i = static_cast<int>(at);
    if (i >= count - 1) i = count - 2;
    return Mix(stops[i], stops[i + 1], at - i);
}

}  // namespace trelk::tools
