// Loudness of the song as the intro plays it: each voice goes to a sound
// buffer whose full volume is 10 dB below the sample's own level, and the
// voices add up. Whatever notes meet, the sum must stay below full scale.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "tests/assets/song/xm_reader.h"
#include "tests/support/files.h"

namespace songtest {
namespace {

// Full volume in the driver's table is -1000 hundredths of a decibel.
const double VOICE_GAIN = std::pow(10.0, -10.0 / 20.0);

double PeakFraction(const Sample& s) {
    int32_t peak = 0;
    for (int32_t v : s.values) peak = std::max(peak, std::abs(v));
    return peak / (s.SixteenBit() ? 32768.0 : 128.0);
}

// True when a cell can raise a channel's volume above what was last set.
bool SlidesUp(const Cell& c) {
    const bool columnUp = (c.volume >= 0x70 && c.volume <= 0x7F) || (c.volume >= 0x90 && c.volume <= 0x9F);
    const bool effectUp =
        (c.effect == 0xA && (c.param >> 4) != 0) || (c.effect == 0xE && (c.param >> 4) == 0xA);
    const bool globalVolume = c.effect == 0x10 || c.effect == 0x11;  // G, H
    return columnUp || effectUp || globalVolume;
}

// The loudest any note on a channel can sound, as a fraction of full scale
// before the voice gain: sample peak times the volume it is played at.
double LoudestOnChannel(const Module& m, int channel) {
    double loudest = 0;
    double peak = 0;
    for (uint8_t order : m.orders) {
        const Pattern& pattern = m.patterns[order];
        for (int row = 0; row < pattern.rows; ++row) {
            const Cell& c = pattern.cells[static_cast<size_t>(row * m.channels + channel)];
            if (SlidesUp(c)) return 1.0;
            int volume = -1;
            if (c.instrument > 0 && c.instrument <= m.instruments.size()) {
                const Sample& s = m.instruments[c.instrument - 1].samples.at(0);
                peak = PeakFraction(s);
                volume = s.volume;
            }
            if (c.volume >= 0x10 && c.volume <= 0x50) volume = c.volume - 0x10;
            if (c.effect == 0xC) volume = std::min<int>(c.param, 64);
            if (volume >= 0) loudest = std::max(loudest, peak * volume / 64.0);
        }
    }
    return loudest;
}

class SongLevels : public ::testing::Test {
  protected:
    void SetUp() override {
        bytes = ReadFileBytes(SONG_XM_PATH);
        ASSERT_TRUE(ReadModule(bytes.data(), bytes.size(), song));
    }
    std::vector<uint8_t> bytes;
    Module song;
};

TEST_F(SongLevels, FourVoicesAtTheirLoudestStayBelowFullScale) {
    double sum = 0;
    for (int ch = 0; ch < song.channels; ++ch) {
        const double loudest = LoudestOnChannel(song, ch);
        EXPECT_GT(loudest, 0.2) << "channel " << ch << " is too quiet to be heard";
        sum += loudest * VOICE_GAIN;
    }
    // Even with every channel's loudest note at its peak at once, 1 dB of headroom remains.
    EXPECT_LT(sum, std::pow(10.0, -1.0 / 20.0));
}

TEST_F(SongLevels, SamplePeaksAreModerate) {
    for (const Instrument& instrument : song.instruments) {
        const double peak = PeakFraction(instrument.samples.at(0));
        EXPECT_LE(peak, 0.8) << instrument.name;
        EXPECT_GE(peak, 0.4) << instrument.name;
    }
}

TEST_F(SongLevels, OneShotsFadeToSilenceAtTheirEnd) {
    for (const Instrument& instrument : song.instruments) {
        const Sample& s = instrument.samples.at(0);
        if (s.Looped()) continue;
        // The last value is zero, so a voice that runs out does not click.
        EXPECT_EQ(s.values.back(), 0) << instrument.name;
        EXPECT_LE(std::abs(s.values[s.values.size() - 2]), s.SixteenBit() ? 64 : 1) << instrument.name;
    }
}

}  // namespace
}  // namespace songtest
