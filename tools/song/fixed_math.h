// Integer-only signal helpers for the song generator.
//
// Everything the generator synthesises goes through these functions so that
// every compiler and every build type writes the same bytes: no libm call,
// no floating point, only 64-bit integer arithmetic with fixed rounding.
#pragma once

#include <cstdint>

namespace song {

// One turn of phase is 2^32; Q30 means 1.0 == 1 << 30.
inline constexpr int64_t Q30_ONE = int64_t{1} << 30;
inline constexpr uint32_t QUARTER_TURN = 0x40000000u;

// Sine of a phase (2^32 per turn) in Q30, from a 4096-entry table built with
// an integer Taylor series and interpolated linearly. Error below 3e-7.
int32_t SineQ30(uint32_t phase);

// Cosine, the sine a quarter turn ahead.
inline int32_t CosineQ30(uint32_t phase) { return SineQ30(phase + QUARTER_TURN); }

// Product of two Q30 values, rounded to nearest.
inline int64_t MulQ30(int64_t a, int64_t b) { return (a * b + (Q30_ONE >> 1)) >> 30; }

// The per-sample factor (Q30) that halves an amplitude every halfLife samples.
// Found by bisection on the integer power, so the result is exact and portable.
int64_t HalvingFactorQ30(uint32_t halfLife);

// Integer power of a Q30 value, by squaring.
int64_t PowQ30(int64_t base, uint32_t exponent);

// Phase step (2^32 per turn) for a frequency given in milli-hertz at a rate in hertz.
uint32_t PhaseStep(int64_t milliHertz, uint32_t sampleRate);

// Deterministic white noise: xorshift32 with a fixed seed per sound.
class NoiseSource {
  public:
    explicit NoiseSource(uint32_t seed) : state(seed == 0 ? 0x9E3779B9u : seed) {}
    // Next value, uniform in [-2^15, 2^15).
    int32_t Next();

  private:
    uint32_t state;
};

// One-pole low-pass in Q30: y += (x - y) * coefficient. A coefficient of
// Q30_ONE passes everything; smaller values darken.
class OnePole {
  public:
    explicit OnePole(int64_t coefficientQ30) : coefficient(coefficientQ30) {}
    int64_t LowPass(int64_t x) {
        state += MulQ30(x - state, coefficient);
        return state;
    }
    // The complement: what the low-pass removed.
    int64_t HighPass(int64_t x) { return x - LowPass(x); }

  private:
    int64_t coefficient;
    int64_t state = 0;
};

}  // namespace song
