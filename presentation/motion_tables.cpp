#include "presentation/motion_tables.h"

#include <cmath>
#include <cstdint>

float pathX[PATH_LENGTH];
float pathY[PATH_LENGTH];

namespace {

constexpr double DEPTH_WAVE_STEP = 0.19580412545811385;  // 359 degrees / 32, in radians
constexpr double PI = 3.14159265358979323846;

// Sine at compile time: reduce to [-pi, pi], then a Taylor series that is
// exact to double precision there.
constexpr double CompileTimeSine(double x) {
    while (x > PI) {
        x -= 2.0 * PI;
    }
    while (x < -PI) {
        x += 2.0 * PI;
    }
    double term = x;
    double sum = x;
    for (int n = 1; n < 30; ++n) {
        term *= -x * x / ((2.0 * n) * (2.0 * n + 1.0));
        sum += term;
    }
    return sum;
}

constexpr std::array<float, PATH_LENGTH> MakeDepthWave() {
    std::array<float, PATH_LENGTH> table{};
    for (int k = 0; k < PATH_LENGTH; ++k) {
        table[k] = static_cast<float>(5.0 * CompileTimeSine(k * DEPTH_WAVE_STEP) - 5.0);
    }
    return table;
}

}  // namespace

const std::array<float, PATH_LENGTH> depthWave = MakeDepthWave();

void BuildMotionTables(float radius) {
    double angle = 0.0;
    uint8_t k = 0;
    // 256 or 257 steps depending on the rounding of the sum; a 257th step
    // rewrites entry 0 (the index has wrapped) with the same values.
    do {
        pathX[k] = static_cast<float>(radius * std::cos(angle) - 4.0);
        pathY[k] = static_cast<float>(radius * std::sin(angle) - 1.0);
        angle += 0.02454369260617026;
        ++k;
    } while (angle < 6.283185307179586);
}
