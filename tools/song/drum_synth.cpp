// Drum and cymbal samples: swept sines, filtered noise and clanging squares.
#include <algorithm>
#include <cstdlib>

#include "tools/song/fixed_math.h"
#include "tools/song/sample_synth.h"

namespace song {
namespace {

constexpr uint32_t KICK_RATE = 16726;
constexpr uint32_t CYMBAL_RATE = 33452;
constexpr int8_t RELATIVE_NOTE_KICK = 12;
constexpr int8_t RELATIVE_NOTE_CYMBAL = 24;

// Noise scaled to Q30 (the source gives 16 bits).
int64_t NoiseQ30(NoiseSource& noise) { return int64_t{noise.Next()} << 15; }

// Six detuned square waves, the classic metallic ring of an analogue hat.
class MetalRing {
  public:
    explicit MetalRing(uint32_t rate) {
        static constexpr int64_t MILLI_HERTZ[6] = {2051000, 3127000, 4163000, 5417000, 6793000, 8311000};
        for (int i = 0; i < 6; ++i) steps[i] = PhaseStep(MILLI_HERTZ[i], rate);
    }
    int64_t Next() {
        int64_t sum = 0;
        for (int i = 0; i < 6; ++i) {
            phases[i] += steps[i];
            sum += (phases[i] & 0x80000000u) != 0 ? -Q30_ONE : Q30_ONE;
        }
        return sum / 6;
    }

  private:
    uint32_t steps[6] = {};
    uint32_t phases[6] = {};
};

XmSample OneShot(const char* name, std::vector<int16_t> data, bool sixteenBit, int8_t relativeNote) {
    XmSample sample;
    sample.name = name;
    sample.data = std::move(data);
    sample.sixteenBit = sixteenBit;
    sample.relativeNote = relativeNote;
    return sample;
}

// Hats and crash share one recipe: ring and noise, high-passed, decaying.
std::vector<int64_t> Cymbal(size_t count, uint32_t halfLife, uint32_t seed, int64_t ringShare) {
    std::vector<int64_t> out(count);
    NoiseSource noise(seed);
    MetalRing ring(CYMBAL_RATE);
    OnePole firstCut(Q30_ONE / 3);
    OnePole secondCut(Q30_ONE / 3);
    const int64_t decay = HalvingFactorQ30(halfLife);
    int64_t amplitude = Q30_ONE;
    for (size_t n = 0; n < count; ++n) {
        const int64_t raw = MulQ30(ring.Next(), ringShare) + MulQ30(NoiseQ30(noise), Q30_ONE - ringShare);
        const int64_t bright = secondCut.HighPass(firstCut.HighPass(raw));
        const int64_t attack = n < 24 ? Q30_ONE * static_cast<int64_t>(n + 1) / 25 : Q30_ONE;
        out[n] = MulQ30(MulQ30(bright, amplitude), attack);
        amplitude = MulQ30(amplitude, decay);
    }
    return out;
}

}  // namespace

std::vector<int16_t> Quantise(const std::vector<int64_t>& signal, int peakPermille, bool sixteenBit) {
    int64_t largest = 1;
    for (int64_t v : signal) largest = std::max(largest, v < 0 ? -v : v);
    const int64_t fullScale = sixteenBit ? 32767 : 127;
    const int64_t target = fullScale * peakPermille;  // in thousandths
    std::vector<int16_t> out(signal.size());
    for (size_t i = 0; i < signal.size(); ++i) {
        // v * target / (largest * 1000), rounded half away from zero; v * target stays below 2^63.
        const int64_t numerator = (signal[i] >> 8) * target;
        const int64_t denominator = std::max<int64_t>(largest >> 8, 1) * 1000;
        const int64_t half = denominator / 2;
        const int64_t value =
            numerator >= 0 ? (numerator + half) / denominator : (numerator - half) / denominator;
        out[i] = static_cast<int16_t>(std::clamp<int64_t>(value, -fullScale, fullScale));
    }
    return out;
}

void FadeTail(std::vector<int64_t>& signal, size_t fadeLength) {
    fadeLength = std::min(fadeLength, signal.size());
    const size_t begin = signal.size() - fadeLength;
    for (size_t i = 0; i < fadeLength; ++i) {
        const auto remaining = static_cast<int64_t>(fadeLength - i - 1);
        signal[begin + i] = signal[begin + i] * remaining / static_cast<int64_t>(fadeLength);
    }
}

XmSample SynthKick() {
    constexpr size_t COUNT = 6000;  // 0.36 s
    std::vector<int64_t> out(COUNT);
    NoiseSource noise(0x4B1C4B1Cu);
    OnePole clickTone(Q30_ONE / 4);
    const int64_t sweepDecay = HalvingFactorQ30(170);
    const int64_t bodyDecay = HalvingFactorQ30(1500);
    const int64_t clickDecay = HalvingFactorQ30(30);
    int64_t sweep = Q30_ONE;
    int64_t body = Q30_ONE;
    int64_t click = Q30_ONE * 3 / 10;
    uint32_t phase = 0;
    for (size_t n = 0; n < COUNT; ++n) {
        // 46 Hz at rest, 190 Hz at the strike.
        const int64_t milliHertz = 46000 + MulQ30(144000, sweep);
        phase += PhaseStep(milliHertz, KICK_RATE);
        int64_t x = MulQ30(SineQ30(phase), body) + MulQ30(clickTone.LowPass(NoiseQ30(noise)), click);
        // Gentle saturation, x - x^3 / 4 on the 1.2-fold signal, for a rounder thump.
        x = x * 6 / 5;
        x = x - MulQ30(MulQ30(x, x), x) / 4;
        out[n] = x;
        sweep = MulQ30(sweep, sweepDecay);
        body = MulQ30(body, bodyDecay);
        click = MulQ30(click, clickDecay);
    }
    FadeTail(out, 700);
    return OneShot("kick", Quantise(out, DRUM_PEAK_PERMILLE, true), true, RELATIVE_NOTE_KICK);
}

XmSample SynthSnare() {
    constexpr size_t COUNT = 7000;  // 0.21 s
    std::vector<int64_t> out(COUNT);
    NoiseSource noise(0x5A4E5A4Eu);
    OnePole lowCut(Q30_ONE / 9);
    OnePole highCut(Q30_ONE * 3 / 5);
    const int64_t toneDecay = HalvingFactorQ30(520);
    const int64_t noiseDecay = HalvingFactorQ30(1400);
    const uint32_t lowStep = PhaseStep(188000, CYMBAL_RATE);
    const uint32_t highStep = PhaseStep(331000, CYMBAL_RATE);
    int64_t tone = Q30_ONE * 6 / 10;
    int64_t hiss = Q30_ONE * 8 / 10;
    uint32_t lowPhase = 0;
    uint32_t highPhase = 0;
    for (size_t n = 0; n < COUNT; ++n) {
        lowPhase += lowStep;
        highPhase += highStep;
        const int64_t body = SineQ30(lowPhase) + SineQ30(highPhase) / 2;
        const int64_t snap = highCut.LowPass(lowCut.HighPass(NoiseQ30(noise)));
        out[n] = MulQ30(body, tone) + MulQ30(snap, hiss) * 2;
        tone = MulQ30(tone, toneDecay);
        hiss = MulQ30(hiss, noiseDecay);
    }
    FadeTail(out, 600);
    return OneShot("snare", Quantise(out, DRUM_PEAK_PERMILLE, false), false, RELATIVE_NOTE_CYMBAL);
}

XmSample SynthClosedHat() {
    std::vector<int64_t> out = Cymbal(1800, 260, 0x48A7C105u, Q30_ONE * 4 / 10);
    FadeTail(out, 300);
    return OneShot("closed hat", Quantise(out, 560, false), false, RELATIVE_NOTE_CYMBAL);
}

XmSample SynthOpenHat() {
    std::vector<int64_t> out = Cymbal(8000, 1700, 0x0BE4A7u, Q30_ONE * 4 / 10);
    FadeTail(out, 1500);
    return OneShot("open hat", Quantise(out, 520, false), false, RELATIVE_NOTE_CYMBAL);
}

XmSample SynthCrash(size_t sampleCount) {
    // Whatever the length, the crash has fallen about 40 dB by its end.
    const auto halfLife = static_cast<uint32_t>(std::max<size_t>(sampleCount / 7, 1));
    std::vector<int64_t> out = Cymbal(sampleCount, halfLife, 0xC2A5B00Du, Q30_ONE / 4);
    FadeTail(out, sampleCount / 8);
    return OneShot("crash", Quantise(out, 600, false), false, RELATIVE_NOTE_CYMBAL);
}

}  // namespace song
