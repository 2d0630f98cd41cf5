// The generator's samples and the whole song: tuning, loops, levels and
// sizes checked against what the ear and the format need, and the program
// reproducing the committed file byte for byte.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <string>
#include <vector>

#include "tests/assets/generator_output.h"
#include "tools/song/fixed_math.h"
#include "tools/song/sample_synth.h"
#include "tools/song/song_builder.h"
#include "tools/song/xm_writer.h"

namespace song {
namespace {

// Magnitude of DFT bin k over data[begin, begin + span).
double BinMagnitude(const std::vector<int16_t>& data, size_t begin, size_t span, size_t k) {
    std::complex<double> sum = 0;
    for (size_t n = 0; n < span; ++n) {
        const double angle =
            -2.0 * std::numbers::pi * static_cast<double>(k * n % span) / static_cast<double>(span);
        sum += static_cast<double>(data[begin + n]) * std::polar(1.0, angle);
    }
    return std::abs(sum);
}

// A pitched sample is in tune when a C-4 in the score sounds C-4 the way
// trackers count it: 8363 Hz / 32. Its loop must then hold a whole number of
// fundamental cycles, that bin must be among the strongest, and nothing below
// it may come close (which would mean the sample sounds an octave lower).
void ExpectTuned(const XmSample& s, double subOctaveShare) {
    ASSERT_EQ(s.loop, LoopType::Forward);
    const double rateAtC4 = 8363.0 * std::pow(2.0, s.relativeNote / 12.0);
    const double cycles = s.loopLength * (8363.0 / 32.0) / rateAtC4;
    ASSERT_NEAR(cycles, std::round(cycles), 1e-9) << s.name;
    const auto fundamental = static_cast<size_t>(std::round(cycles));
    const double strength = BinMagnitude(s.data, s.loopStart, s.loopLength, fundamental);
    double strongest = 0;
    for (size_t k = 1; k <= 2 * fundamental; ++k) {
        const double m = BinMagnitude(s.data, s.loopStart, s.loopLength, k);
        strongest = std::max(strongest, m);
        if (k + 1 < fundamental) {
            EXPECT_LT(m, strength * subOctaveShare) << s.name << " bin " << k;
        }
    }
    EXPECT_GT(strength, 0.5 * strongest) << s.name;
}

TEST(SynthesisedSamples, PitchedSamplesAreInTune) {
    ExpectTuned(SynthBass(), 0.2);
    ExpectTuned(SynthArp(), 0.2);
    ExpectTuned(SynthLead(), 0.2);
    ExpectTuned(SynthPad(), 0.5);  // it carries a quiet sub-octave on purpose
}

TEST(SynthesisedSamples, PadKeepsItsReleaseBehindTheLoopAndFadesIt) {
    const XmSample pad = SynthPad();
    ASSERT_GT(pad.data.size(), pad.loopStart + pad.loopLength);
    EXPECT_TRUE(pad.sixteenBit);
    const size_t tail = pad.loopStart + pad.loopLength;
    auto rms = [&pad](size_t begin) {
        double sum = 0;
        for (size_t i = begin; i < begin + 256; ++i) sum += static_cast<double>(pad.data[i]) * pad.data[i];
        return std::sqrt(sum / 256);
    };
    // The release begins as loud as the loop ends and dies away to near silence.
    EXPECT_GT(rms(tail), 0.8 * rms(tail - 256));
    EXPECT_LT(rms(pad.data.size() - 256), 0.01 * rms(tail - 256));
}

TEST(SynthesisedSamples, CrashTakesAnyLengthAndDecays) {
    for (size_t length : {8363u, 20000u, 54321u}) {
        const XmSample crash = SynthCrash(length);
        ASSERT_EQ(crash.data.size(), length);
        EXPECT_FALSE(crash.sixteenBit);
        double head = 0, end = 0;
        for (size_t i = 0; i < length / 10; ++i) {
            head += std::abs(crash.data[i]);
            end += std::abs(crash.data[length - 1 - i]);
        }
        EXPECT_GT(head, 20 * end) << length;
    }
}

TEST(SynthesisedSamples, QuantisingHitsThePeakAndKeepsTheSign) {
    const std::vector<int64_t> signal = {0, Q30_ONE / 2, -Q30_ONE, Q30_ONE / 4};
    EXPECT_EQ(Quantise(signal, 500, true), (std::vector<int16_t>{0, 8192, -16384, 4096}));
    EXPECT_EQ(Quantise(signal, 1000, false), (std::vector<int16_t>{0, 64, -127, 32}));
    std::vector<int64_t> ramp = {Q30_ONE, Q30_ONE, Q30_ONE, Q30_ONE};
    FadeTail(ramp, 2);
    EXPECT_EQ(ramp, (std::vector<int64_t>{Q30_ONE, Q30_ONE, Q30_ONE / 2, 0}));
}

TEST(WholeSong, CrashLengthIsTheOnlyFreeSizeAndLandsTheFileExactly) {
    XmModule a, b;
    std::vector<uint8_t> bytesA, bytesB;
    ASSERT_TRUE(BuildModule(10000, a) && WriteXm(a, bytesA));
    ASSERT_TRUE(BuildModule(10001, b) && WriteXm(b, bytesB));
    EXPECT_EQ(bytesB.size(), bytesA.size() + 1);
    std::vector<uint8_t> song;
    ASSERT_TRUE(BuildSongFile(song));
    EXPECT_EQ(song.size(), SONG_FILE_BYTES);
    std::vector<uint8_t> again;
    ASSERT_TRUE(BuildSongFile(again));
    EXPECT_EQ(song, again);
}

TEST(WholeSong, GeneratorProgramReproducesTheCommittedFile) {
    const trelk::test::GeneratorRun run = trelk::test::RunGenerator(GEN_SONG_PATH, "song.xm");
    ASSERT_EQ(run.exitCode, 0);
    const std::vector<uint8_t> committed = ReadFileBytes(SONG_XM_PATH);
    ASSERT_EQ(committed.size(), SONG_FILE_BYTES);
    ASSERT_EQ(run.output.size(), committed.size());
    size_t firstDifference = 0;
    while (firstDifference < committed.size() && run.output[firstDifference] == committed[firstDifference]) {
        ++firstDifference;
    }
    EXPECT_EQ(firstDifference, committed.size()) << "first differing byte";
}

}  // namespace
}  // namespace song
