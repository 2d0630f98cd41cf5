// Pitched samples, built additively from band-limited harmonics so that every
// loop closes on itself without a click.
#include <algorithm>

#include "tools/song/fixed_math.h"
#include "tools/song/sample_synth.h"

namespace song {
namespace {

// Phase (2^32 per turn) of sample n of a wave that makes `cycles` turns in
// `span` samples; span must be a power of two so the division is exact.
uint32_t LoopPhase(uint64_t n, uint64_t cycles, uint64_t span) {
    return static_cast<uint32_t>(((n * cycles) % span) * (uint64_t{1} << 32) / span);
}

// Harmonic k of a saw through a two-pole low-pass at harmonic `cutoffQ8`
// (8 fractional bits): (1/k) * c^2 / (c^2 + k^2), in Q30.
int64_t SawHarmonicQ30(int64_t k, int64_t cutoffQ8) {
    const int64_t c2 = cutoffQ8 * cutoffQ8;
    return Q30_ONE * c2 / (k * (c2 + ((k * k) << 16)));
}

// Sum of saw harmonics 1..harmonics at a phase, low-passed at cutoffQ8.
int64_t FilteredSaw(uint32_t phase, int harmonics, int64_t cutoffQ8) {
    int64_t sum = 0;
    for (int64_t k = 1; k <= harmonics; ++k) {
        sum += MulQ30(SineQ30(phase * static_cast<uint32_t>(k)), SawHarmonicQ30(k, cutoffQ8));
    }
    return sum;
}

// Band-limited pulse of width `dutyQ30` (fraction of a cycle): harmonic k has
// amplitude sin(pi k d) / k and is centred on the pulse; softened at `cutoffQ8`.
int64_t FilteredPulse(uint32_t phase, int64_t dutyQ30, int harmonics, int64_t cutoffQ8) {
    // d as a phase: a whole cycle is 2^32, so d * 2^32 = dutyQ30 << 2.
    const auto dutyPhase = static_cast<uint32_t>(dutyQ30 << 2);
    int64_t sum = 0;
    for (int64_t k = 1; k <= harmonics; ++k) {
        const auto kk = static_cast<uint32_t>(k);
        const int64_t amplitude = SineQ30(dutyPhase / 2 * kk);  // sin(pi k d)
        const int64_t shape = CosineQ30((phase - dutyPhase / 2) * kk);
        sum += MulQ30(MulQ30(amplitude, shape), SawHarmonicQ30(k, cutoffQ8));
    }
    return sum;
}

XmSample Looped(const char* name, std::vector<int16_t> data, bool sixteenBit, uint32_t loopStart,
                uint32_t loopLength, int8_t relativeNote) {
    XmSample sample;
    sample.name = name;
    sample.data = std::move(data);
    sample.sixteenBit = sixteenBit;
    sample.loop = LoopType::Forward;
    sample.loopStart = loopStart;
    sample.loopLength = loopLength;
    sample.relativeNote = relativeNote;
    return sample;
}

}  // namespace

XmSample SynthBass() {
    // One cycle is 256 samples; at C-4 the sample plays at 66904 Hz.
    constexpr uint32_t PERIOD = 256;
    constexpr uint32_t ATTACK = 8 * PERIOD;
    constexpr int HARMONICS = 100;
    constexpr int64_t CLOSED = 7 << 8;  // cutoff at the 7th harmonic once settled
    constexpr int64_t OPEN = 40 << 8;
    std::vector<int64_t> out(ATTACK + PERIOD);
    for (uint32_t n = 0; n < out.size(); ++n) {
        // The filter closes along a square-law curve and rests at CLOSED from the loop on.
        const int64_t left = n < ATTACK ? ATTACK - n : 0;
        const int64_t cutoff = CLOSED + (OPEN - CLOSED) * left * left / (int64_t{ATTACK} * ATTACK);
        const uint32_t phase = LoopPhase(n, 1, PERIOD);
        // A touch of extra fundamental keeps the bass round on small speakers.
        out[n] = FilteredSaw(phase, HARMONICS, cutoff) + SineQ30(phase) / 3;
    }
    return Looped("bass", Quantise(out, TONE_PEAK_PERMILLE, true), true, ATTACK, PERIOD, 36);
}

XmSample SynthArp() {
    // Two cycles of a quarter-width pulse, 32 samples each; C-4 plays at 8363 Hz.
    constexpr uint32_t PERIOD = 32;
    std::vector<int64_t> out(2 * PERIOD);
    for (uint32_t n = 0; n < out.size(); ++n) {
        out[n] = FilteredPulse(LoopPhase(n, 1, PERIOD), Q30_ONE / 4, 15, 11 << 8);
    }
    return Looped("arp", Quantise(out, TONE_PEAK_PERMILLE, false), false, 0, 2 * PERIOD, 0);
}

XmSample SynthLead() {
    // 64 cycles of 32 samples; the pulse narrows from 50% to 20% and back.
    constexpr uint32_t PERIOD = 32;
    constexpr uint32_t SPAN = 64 * PERIOD;
    std::vector<int64_t> out(SPAN);
    for (uint32_t n = 0; n < SPAN; ++n) {
        const int64_t distance = n < SPAN / 2 ? n : SPAN - n;  // 0 .. SPAN/2 .. 0
        const int64_t duty = Q30_ONE / 2 - Q30_ONE * 3 / 10 * distance / (SPAN / 2);
        out[n] = FilteredPulse(LoopPhase(n, 1, PERIOD), duty, 15, 9 << 8);
    }
    return Looped("lead", Quantise(out, TONE_PEAK_PERMILLE, true), true, 0, SPAN, 0);
}

XmSample SynthPad() {
    // Three saws making 255, 256 and 257 cycles of 64 samples in the loop: each
    // a few cents apart, so they beat slowly and still meet at the loop's end.
    constexpr uint64_t PERIOD = 64;
    constexpr uint64_t CYCLES = 256;
    constexpr uint64_t SPAN = PERIOD * CYCLES;
    constexpr uint64_t TAIL = 4096;  // a release kept behind the loop end
    constexpr int HARMONICS = 31;
    constexpr int64_t CUTOFF = 6 << 8;
    std::vector<int64_t> out(SPAN + TAIL);
    for (uint64_t n = 0; n < out.size(); ++n) {
        int64_t sum = SineQ30(LoopPhase(n, CYCLES / 2, SPAN)) / 3;  // sub-octave
        for (uint64_t cycles = CYCLES - 1; cycles <= CYCLES + 1; ++cycles) {
            sum += FilteredSaw(LoopPhase(n, cycles, SPAN), HARMONICS, CUTOFF);
        }
        out[n] = sum;
    }
    for (uint64_t i = 0; i < TAIL; ++i) {
        const auto left = static_cast<int64_t>(TAIL - i);
        out[SPAN + i] = out[SPAN + i] * left * left / static_cast<int64_t>(TAIL * TAIL);
    }
    return Looped("pad", Quantise(out, TONE_PEAK_PERMILLE, true), true, 0, SPAN, 12);
}

}  // namespace song
