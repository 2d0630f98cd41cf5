// The generator's building blocks against independent references: the
// integer sine against the library sine, decay factors against their
// definition, pattern packing and delta encoding against hand-made bytes,
// and the score notation against the notes it should produce.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "tools/song/fixed_math.h"
#include "tools/song/song_notation.h"
#include "tools/song/xm_writer.h"

namespace song {
namespace {

double FromQ30(int64_t v) { return static_cast<double>(v) / static_cast<double>(Q30_ONE); }

TEST(FixedMath, SineMatchesTheLibrarySineOverAWholeTurn) {
    double worst = 0;
    for (uint64_t phase = 0; phase < (uint64_t{1} << 32); phase += 0x00C0FFEEu) {
        const double expected = std::sin(2.0 * std::numbers::pi * static_cast<double>(phase) / 4294967296.0);
        worst = std::max(worst, std::fabs(FromQ30(SineQ30(static_cast<uint32_t>(phase))) - expected));
    }
    // Linear interpolation over 4096 entries is off by at most (2 pi / 4096)^2 / 8.
    EXPECT_LT(worst, 3e-7);
    EXPECT_EQ(SineQ30(0), 0);
    EXPECT_NEAR(FromQ30(SineQ30(QUARTER_TURN)), 1.0, 1e-9);
    EXPECT_NEAR(FromQ30(CosineQ30(0x80000000u)), -1.0, 1e-9);
}

TEST(FixedMath, HalvingFactorHalvesAfterItsHalfLife) {
    for (uint32_t halfLife : {1u, 30u, 520u, 6000u}) {
        const int64_t factor = HalvingFactorQ30(halfLife);
        EXPECT_NEAR(FromQ30(PowQ30(factor, halfLife)), 0.5, 1e-5) << halfLife;
        EXPECT_NEAR(FromQ30(factor), std::pow(0.5, 1.0 / halfLife), 1e-8) << halfLife;
    }
    EXPECT_EQ(HalvingFactorQ30(0), 0);
}

TEST(FixedMath, PhaseStepAndNoiseAreWhatTheySay) {
    // 1 kHz at 48 kHz: a 48th of a turn per sample; 261.3 Hz at 8363 Hz: a 32nd.
    EXPECT_NEAR(PhaseStep(1000000, 48000) / 4294967296.0, 1.0 / 48, 1e-9);
    EXPECT_NEAR(PhaseStep(8363000, 8363 * 32) / 4294967296.0, 1.0 / 32, 1e-9);
    NoiseSource a(7), b(7);
    int64_t sum = 0;
    int32_t low = 0, high = 0;
    for (int i = 0; i < 100000; ++i) {
        const int32_t v = a.Next();
        ASSERT_EQ(v, b.Next());
        sum += v;
        low = std::min(low, v);
        high = std::max(high, v);
    }
    EXPECT_LT(std::llabs(sum / 100000), 300) << "noise should be centred";
    EXPECT_GE(low, -32768);
    EXPECT_LE(high, 32767);
    EXPECT_LT(low, -32000);
    EXPECT_GT(high, 32000);
}

TEST(XmWriting, CellsPackAsFlagsOrFiveBytes) {
    XmPattern pattern(1, 3);
    pattern.At(0, 0) = {49, 1, 0x50, 0x0, 0x37};  // no effect number: packed
    pattern.At(0, 1) = {};                        // empty: one flag byte
    pattern.At(0, 2) = {61, 2, 0x40, 0xB, 0x01};  // every field: five plain bytes
    const std::vector<uint8_t> expected = {0x80 | 0x17, 49, 1, 0x50, 0x37, 0x80, 61, 2, 0x40, 0xB, 0x01};
    EXPECT_EQ(PackPattern(pattern), expected);
}

TEST(XmWriting, DeltaEncodingWrapsAtTheSampleWidth) {
    XmSample eight;
    eight.data = {0, 127, -128, -1, 5};
    EXPECT_EQ(DeltaEncode(eight), (std::vector<uint8_t>{0x00, 0x7F, 0x01, 0x7F, 0x06}));
    XmSample sixteen;
    sixteen.sixteenBit = true;
    sixteen.data = {0x1234, -32768, 32767};
    EXPECT_EQ(DeltaEncode(sixteen), (std::vector<uint8_t>{0x34, 0x12, 0xCC, 0x6D, 0xFF, 0xFF}));
}

TEST(XmWriting, RefusesModulesTheFormatCannotHold) {
    XmModule module;
    module.patterns.emplace_back(64, 4);
    module.orders = {0};
    std::vector<uint8_t> out;
    ASSERT_TRUE(WriteXm(module, out));
    EXPECT_EQ(out.size(), 336u + 9u + 64u * 4u);
    const std::vector<uint8_t> before = out;
    module.orders = {1};  // no such pattern
    EXPECT_FALSE(WriteXm(module, out));
    EXPECT_EQ(out, before);
    module.orders = {0};
    XmInstrument bad;
    bad.sample.data = {200};  // out of 8-bit range
    module.instruments = {bad};
    EXPECT_FALSE(WriteXm(module, out));
    bad.sample = XmSample{};
    bad.sample.data = {0, 0};
    bad.sample.loop = LoopType::Forward;
    bad.sample.loopStart = 1;
    bad.sample.loopLength = 2;  // runs past the data
    module.instruments = {bad};
    EXPECT_FALSE(WriteXm(module, out));
}

TEST(Notation, NotesAndChordsParse) {
    EXPECT_EQ(ParseNote("C-0"), 1);
    EXPECT_EQ(ParseNote("C-4"), 49);
    EXPECT_EQ(ParseNote("C#4"), 50);
    EXPECT_EQ(ParseNote("A-2"), 34);
    EXPECT_EQ(ParseNote("B-7"), 96);
    for (const char* bad : {"", "C4", "H-4", "C-8", "C+4", "C-44", "c-4"})
        EXPECT_EQ(ParseNote(bad), 0) << bad;
    Chord chord;
    ASSERT_TRUE(ParseChord("Am", chord));
    EXPECT_EQ(chord.root, 9);
    EXPECT_TRUE(chord.minor);
    ASSERT_TRUE(ParseChord("Bb", chord));
    EXPECT_EQ(chord.root, 10);
    EXPECT_FALSE(chord.minor);
    ASSERT_TRUE(ParseChord("Cb", chord));
    EXPECT_EQ(chord.root, 11);
    for (const char* bad : {"", "X", "Amm", "A7", "m"}) EXPECT_FALSE(ParseChord(bad, chord)) << bad;
}

TEST(Notation, MelodyPlacesNotesRestsReleasesAndVibrato) {
    XmPattern pattern(16, 4);
    const MelodyStyle style{7, 9, 40, true};
    ASSERT_TRUE(WriteMelody(pattern, 3, 0, "E-5:8 r:2 off:2 X:2 G#4:2", style));
    EXPECT_EQ(pattern.At(0, 3).note, ParseNote("E-5"));
    EXPECT_EQ(pattern.At(0, 3).instrument, 7);
    EXPECT_EQ(pattern.At(0, 3).volume, 0x10 + 40);
    for (int row = 1; row < 8; ++row) {
        EXPECT_EQ(pattern.At(row, 3).note, 0);
        EXPECT_EQ(pattern.At(row, 3).effect, row >= 3 ? FX_VIBRATO : 0) << row;
    }
    EXPECT_EQ(pattern.At(8, 3).note, 0);
    EXPECT_EQ(pattern.At(10, 3).note, NOTE_KEY_OFF);
    EXPECT_EQ(pattern.At(12, 3).instrument, 9);
    EXPECT_EQ(pattern.At(14, 3).note, ParseNote("G#4"));
    EXPECT_EQ(pattern.At(14, 3).effect, 0) << "short notes get no vibrato";
    // Malformed or too long lines are refused.
    EXPECT_FALSE(WriteMelody(pattern, 3, 0, "E-5:17", style));
    EXPECT_FALSE(WriteMelody(pattern, 3, 8, "E-5:4 E-5:5", style));
    EXPECT_FALSE(WriteMelody(pattern, 3, 0, "E-5", style));
    EXPECT_FALSE(WriteMelody(pattern, 3, 0, "E-5:x", style));
    EXPECT_FALSE(WriteMelody(pattern, 3, 0, "Q-5:2", style));
    EXPECT_FALSE(WriteMelody(pattern, 4, 0, "E-5:2", style));
}

TEST(Notation, DrumRollRisesFromQuietToFull) {
    XmPattern pattern(16, 1);
    const DrumKit kit{1, 2, 3, 4};
    ASSERT_TRUE(WriteDrums(pattern, 0, 0, "k.hgrrrrrrrrrrrr", kit));
    EXPECT_EQ(pattern.At(0, 0).instrument, 1);
    EXPECT_EQ(pattern.At(1, 0).note, 0);
    EXPECT_EQ(pattern.At(2, 0).instrument, 3);
    EXPECT_LT(pattern.At(3, 0).volume, pattern.At(0, 0).volume) << "ghost notes are quiet";
    EXPECT_EQ(pattern.At(4, 0).volume, 0x10 + 14);
    EXPECT_EQ(pattern.At(15, 0).volume, 0x10 + 64);
    for (int row = 5; row < 16; ++row) EXPECT_GT(pattern.At(row, 0).volume, pattern.At(row - 1, 0).volume);
    EXPECT_FALSE(WriteDrums(pattern, 0, 1, "k...............", kit)) << "past the last row";
    EXPECT_FALSE(WriteDrums(pattern, 0, 0, "z", kit));
}

TEST(Notation, BassAndArpeggioFollowTheChord) {
    XmPattern pattern(4, 2);
    Chord c;
    ASSERT_TRUE(ParseChord("C", c));
    ASSERT_TRUE(WriteBass(pattern, 0, 0, "ROTS", c, 5));
    EXPECT_EQ(pattern.At(0, 0).note, ParseNote("C-3"));
    EXPECT_EQ(pattern.At(1, 0).note, ParseNote("C-4"));
    EXPECT_EQ(pattern.At(2, 0).note, ParseNote("E-3"));
    EXPECT_EQ(pattern.At(3, 0).note, ParseNote("A#3"));
    Chord em;
    ASSERT_TRUE(ParseChord("Em", em));
    ASSERT_TRUE(WriteBass(pattern, 0, 0, "RFT^", em, 5));
    EXPECT_EQ(pattern.At(0, 0).note, ParseNote("E-2"));
    EXPECT_EQ(pattern.At(1, 0).note, ParseNote("B-2"));
    EXPECT_EQ(pattern.At(2, 0).note, ParseNote("G-2"));
    EXPECT_EQ(pattern.At(3, 0).note, NOTE_KEY_OFF);
    Chord am;
    ASSERT_TRUE(ParseChord("Am", am));
    ASSERT_TRUE(WriteArp(pattern, 1, 0, "x-.x", am, 6, 30));
    EXPECT_EQ(pattern.At(0, 1).note, ParseNote("A-4"));
    EXPECT_EQ(pattern.At(0, 1).param, 0x37);
    EXPECT_EQ(pattern.At(1, 1).param, 0x37);
    EXPECT_EQ(pattern.At(1, 1).note, 0);
    EXPECT_EQ(pattern.At(2, 1).param, 0);
    ASSERT_TRUE(WriteArp(pattern, 1, 0, "x", c, 6, 30));
    EXPECT_EQ(pattern.At(0, 1).note, ParseNote("C-5"));
    EXPECT_EQ(pattern.At(0, 1).param, 0x47);
}

}  // namespace
}  // namespace song
