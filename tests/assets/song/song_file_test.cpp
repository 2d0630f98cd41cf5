// The committed song against its contract: size, header, channels, order,
// the jump back to position 1, packing, samples, length and loudness.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

#include "tests/assets/song/xm_reader.h"
#include "tests/support/files.h"

namespace songtest {
namespace {

constexpr size_t SONG_BYTES = 140414;
constexpr int JUMP = 0xB;
constexpr int BREAK = 0xD;
constexpr int SET_SPEED = 0xF;

class SongFile : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        bytes = ReadFileBytes(SONG_XM_PATH);
        loaded = ReadModule(bytes.data(), bytes.size(), song);
    }
    static std::vector<uint8_t> bytes;
    static Module song;
    static bool loaded;
};
std::vector<uint8_t> SongFile::bytes;
Module SongFile::song;
bool SongFile::loaded = false;

TEST_F(SongFile, HasTheFixedSizeAndNoBytesBeyondTheModule) {
    ASSERT_TRUE(loaded);
    EXPECT_EQ(bytes.size(), SONG_BYTES);
    // The last sample's data ends exactly at the end of the file: no padding.
    EXPECT_EQ(song.endOffset, bytes.size());
}

TEST_F(SongFile, HeaderIsAnExtendedModuleForFourChannelsRestartingAtOne) {
    ASSERT_TRUE(loaded);
    EXPECT_EQ(song.idText, "Extended Module: ");
    EXPECT_EQ(bytes[37], 0x1A);
    EXPECT_EQ(song.version, 0x0104);
    EXPECT_EQ(song.channels, 4);
    EXPECT_EQ(song.restart, 1);
    EXPECT_EQ(song.flags & 1, 1) << "linear frequency table";
    EXPECT_EQ(song.orders.size(), song.orderCount);
    for (uint8_t order : song.orders) EXPECT_LT(order, song.patterns.size());
}

TEST_F(SongFile, OnlyTheLastOrderedPatternJumpsAndItJumpsToPositionOneOnItsLastRow) {
    ASSERT_TRUE(loaded);
    const uint8_t lastPattern = song.orders.back();
    int jumps = 0;
    for (size_t p = 0; p < song.patterns.size(); ++p) {
        const Pattern& pattern = song.patterns[p];
        for (int row = 0; row < pattern.rows; ++row) {
            for (int ch = 0; ch < song.channels; ++ch) {
                const Cell& cell = pattern.cells[static_cast<size_t>(row * song.channels + ch)];
                EXPECT_NE(cell.effect, BREAK) << "pattern " << p << " row " << row;
                if (cell.effect != JUMP) continue;
                ++jumps;
                EXPECT_EQ(p, lastPattern);
                EXPECT_EQ(row, pattern.rows - 1);
                EXPECT_EQ(cell.param, 1);
            }
        }
    }
    EXPECT_EQ(jumps, 1);
    // The jumping pattern appears only at the end, so earlier positions play through.
    EXPECT_EQ(std::count(song.orders.begin(), song.orders.end(), lastPattern), 1);
}

// Packs cells the way trackers do, written here independently of the generator.
std::vector<uint8_t> TrackerPacking(const std::vector<Cell>& cells) {
    std::vector<uint8_t> out;
    for (const Cell& c : cells) {
        const uint8_t f[5] = {c.note, c.instrument, c.volume, c.effect, c.param};
        int mask = 0;
        for (int i = 0; i < 5; ++i) mask |= f[i] != 0 ? 1 << i : 0;
        if (mask == 0x1F) {
            out.insert(out.end(), f, f + 5);
        } else {
            out.push_back(static_cast<uint8_t>(0x80 | mask));
            for (int i = 0; i < 5; ++i) {
                if ((mask & (1 << i)) != 0) out.push_back(f[i]);
            }
        }
    }
    return out;
}

TEST_F(SongFile, PatternsArePackedAsTrackersPackThem) {
    ASSERT_TRUE(loaded);
    for (const Pattern& pattern : song.patterns) {
        ASSERT_EQ(pattern.rows, 64);
        const std::vector<uint8_t> expected = TrackerPacking(pattern.cells);
        ASSERT_EQ(pattern.packedSize, expected.size());
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(),
                               bytes.begin() + static_cast<long>(pattern.packedOffset)));
        EXPECT_LT(pattern.packedSize, pattern.cells.size() * 3)
            << "packing should save on the five plain bytes a cell";
    }
}

TEST_F(SongFile, SamplesMixWidthsAndLoopsWithOneLoopEndingBeforeItsData) {
    ASSERT_TRUE(loaded);
    ASSERT_EQ(song.instruments.size(), 9u);
    int eightBit = 0, sixteenBit = 0, looped = 0, oneShot = 0, loopEndsEarly = 0;
    for (const Instrument& instrument : song.instruments) {
        ASSERT_EQ(instrument.samples.size(), 1u) << instrument.name;
        const Sample& s = instrument.samples[0];
        ASSERT_GT(s.values.size(), 0u) << instrument.name;
        (s.SixteenBit() ? sixteenBit : eightBit)++;
        if (!s.Looped()) {
            ++oneShot;
            continue;
        }
        ++looped;
        EXPECT_EQ(s.type & 0x3, 1) << "forward loops only";
        EXPECT_EQ(s.loopStartBytes % s.Width(), 0u);
        EXPECT_EQ(s.loopLengthBytes % s.Width(), 0u);
        EXPECT_GT(s.loopLengthBytes, 0u);
        EXPECT_LE(uint64_t{s.loopStartBytes} + s.loopLengthBytes, s.lengthBytes) << instrument.name;
        if (s.loopStartBytes + s.loopLengthBytes < s.lengthBytes) ++loopEndsEarly;
    }
    EXPECT_GE(eightBit, 1);
    EXPECT_GE(sixteenBit, 1);
    EXPECT_GE(looped, 1);
    EXPECT_GE(oneShot, 1);
    EXPECT_EQ(loopEndsEarly, 1);
}

// A loop that wraps with a jump larger than any step inside it clicks.
TEST_F(SongFile, EveryLoopClosesWithoutAClick) {
    ASSERT_TRUE(loaded);
    for (const Instrument& instrument : song.instruments) {
        const Sample& s = instrument.samples[0];
        if (!s.Looped()) continue;
        const size_t start = s.loopStartBytes / s.Width();
        const size_t end = start + s.loopLengthBytes / s.Width();
        int32_t largestStep = 0;
        for (size_t i = start + 1; i < end; ++i)
            largestStep = std::max(largestStep, std::abs(s.values[i] - s.values[i - 1]));
        EXPECT_LE(std::abs(s.values[start] - s.values[end - 1]), largestStep) << instrument.name;
        // Data kept behind the loop end carries on from the loop, so the value
        // there is the one the loop wraps to.
        if (end < s.values.size()) {
            const int32_t tolerance = s.SixteenBit() ? 328 : 2;
            EXPECT_LE(std::abs(s.values[end] - s.values[start]), tolerance) << instrument.name;
        }
    }
}

TEST_F(SongFile, InstrumentsUseEveryDeclaredVolumeEnvelopeConsistently) {
    ASSERT_TRUE(loaded);
    for (const Instrument& instrument : song.instruments) {
        if ((instrument.volumeType & 1) == 0) continue;
        EXPECT_GE(instrument.volumePoints, 2) << instrument.name;
        EXPECT_LE(instrument.volumePoints, 12) << instrument.name;
        for (int i = 0; i < instrument.volumePoints; ++i)
            EXPECT_LE(instrument.volumeValues[i], 64) << instrument.name;
    }
}

// Plays the order through row by row, following speed and tempo changes,
// until the position jump; returns the seconds before the jump is taken.
double SecondsUntilLoop(const Module& m) {
    double seconds = 0;
    int speed = m.speed, tempo = m.tempo;
    for (uint8_t order : m.orders) {
        const Pattern& pattern = m.patterns[order];
        for (int row = 0; row < pattern.rows; ++row) {
            bool jump = false;
            for (int ch = 0; ch < m.channels; ++ch) {
                const Cell& c = pattern.cells[static_cast<size_t>(row * m.channels + ch)];
                if (c.effect == SET_SPEED && c.param > 0) (c.param < 32 ? speed : tempo) = c.param;
                jump = jump || c.effect == JUMP;
            }
            seconds += speed * 2.5 / tempo;
            if (jump) return seconds;
        }
    }
    return seconds;
}

TEST_F(SongFile, PlaysAtLeastNinetySecondsBeforeItLoops) {
    ASSERT_TRUE(loaded);
    EXPECT_GE(SecondsUntilLoop(song), 90.0);
    EXPECT_GE(song.tempo, 100);
    EXPECT_GT(song.speed, 0);
}

TEST_F(SongFile, UsesEveryInstrumentAndNamesNoMissingOne) {
    ASSERT_TRUE(loaded);
    std::set<int> used;
    for (uint8_t order : song.orders) {
        for (const Cell& c : song.patterns[order].cells) {
            if (c.instrument == 0) continue;
            EXPECT_LE(c.instrument, song.instruments.size());
            used.insert(c.instrument);
        }
    }
    EXPECT_EQ(used.size(), song.instruments.size());
}

}  // namespace
}  // namespace songtest
