// Integer-only sine table, decay factors and noise for the song generator.
#include "tools/song/fixed_math.h"

#include <array>
#include <cstddef>

namespace song {
namespace {

constexpr int TABLE_BITS = 12;
constexpr int TABLE_SIZE = 1 << TABLE_BITS;
constexpr int FRACTION_BITS = 32 - TABLE_BITS;
// pi / 2 in Q30 (1.5707963267948966 * 2^30, rounded).
constexpr int64_t HALF_PI_Q30 = 1686629713;

// sin(x) for x in [0, pi/2] given in Q30, by the Taylor series to x^13 in
// Horner form; the truncation error is below 1e-9.
int64_t TaylorSineQ30(int64_t x) {
    const int64_t x2 = MulQ30(x, x);
    int64_t term = Q30_ONE;
    for (int64_t n = 13; n >= 3; n -= 2) {
        term = Q30_ONE - MulQ30(x2, term) / (n * (n - 1));
    }
    return MulQ30(x, term);
}

// The table holds one full turn plus a guard entry for interpolation.
std::array<int32_t, TABLE_SIZE + 1> BuildTable() {
    std::array<int32_t, TABLE_SIZE + 1> table{};
    constexpr int quarter = TABLE_SIZE / 4;
    for (int i = 0; i <= quarter; ++i) {
        const int64_t x = HALF_PI_Q30 * i / quarter;
        const auto value = static_cast<int32_t>(TaylorSineQ30(x));
        table[static_cast<std::size_t>(i)] = value;
        table[static_cast<std::size_t>(2 * quarter - i)] = value;
        table[static_cast<std::size_t>(2 * quarter + i)] = -value;
        table[static_cast<std::size_t>((4 * quarter - i) % TABLE_SIZE)] = -value;
    }
    table[2 * quarter] = 0;
    table[TABLE_SIZE] = table[0];
    return table;
}

const std::array<int32_t, TABLE_SIZE + 1>& SineTable() {
    static const std::array<int32_t, TABLE_SIZE + 1> table = BuildTable();
    return table;
}

}  // namespace

int32_t SineQ30(uint32_t phase) {
    const auto& table = SineTable();
    const uint32_t index = phase >> FRACTION_BITS;
    const int64_t fraction = phase & ((1u << FRACTION_BITS) - 1);
    const int64_t a = table[index];
    const int64_t b = table[index + 1];
    return static_cast<int32_t>(a + (((b - a) * fraction) >> FRACTION_BITS));
}

int64_t PowQ30(int64_t base, uint32_t exponent) {
    int64_t result = Q30_ONE;
    while (exponent != 0) {
        if ((exponent & 1u) != 0) result = MulQ30(result, base);
        base = MulQ30(base, base);
        exponent >>= 1;
    }
    return result;
}

int64_t HalvingFactorQ30(uint32_t halfLife) {
    if (halfLife == 0) return 0;
    int64_t low = 0;
    int64_t high = Q30_ONE;
    while (high - low > 1) {
        const int64_t middle = (low + high) / 2;
        if (PowQ30(middle, halfLife) > Q30_ONE / 2) {
            high = middle;
        } else {
            low = middle;
        }
    }
    return high;
}

uint32_t PhaseStep(int64_t milliHertz, uint32_t sampleRate) {
    // 2^32 * f / rate with f in milli-hertz; f stays far below 2^31 mHz.
    const int64_t step = (milliHertz << 32) / (int64_t{sampleRate} * 1000);
    return static_cast<uint32_t>(step);
}

int32_t NoiseSource::Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<int32_t>(state >> 16) - 32768;
}

}  // namespace song
