// The song as the module library sees it: it loads with the library's XM
// loader, has four channels and its samples as written, and plays through
// its whole order, for at least ninety seconds, before returning to position 1.
#include <vector>

#include "tests/assets/song/mikmod_fixture.h"
#include "tests/assets/song/xm_reader.h"
#include "tests/support/files.h"

namespace songtest {
namespace {

class SongInMikMod : public MikModWithoutSound {
  protected:
    void SetUp() override {
        MikModWithoutSound::SetUp();
        bytes = ReadFileBytes(SONG_XM_PATH);
        ASSERT_FALSE(bytes.empty());
        module = Player_LoadMem(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()),
                                32, 0);
        ASSERT_NE(module, nullptr) << MikMod_strerror(MikMod_errno);
    }
    void TearDown() override {
        if (module != nullptr) Player_Free(module);
    }
    std::vector<uint8_t> bytes;
    MODULE* module = nullptr;
};

TEST_F(SongInMikMod, LoadsAsFourChannelsWithNineSamples) {
    EXPECT_EQ(module->numchn, 4);
    EXPECT_EQ(module->numsmp, 9);
    EXPECT_EQ(module->numins, 9);
    EXPECT_EQ(module->reppos, 1);
    EXPECT_EQ(module->numpos, 13);
}

TEST_F(SongInMikMod, SamplesKeepTheirWidthsAndLoops) {
    Module ours;
    ASSERT_TRUE(ReadModule(bytes.data(), bytes.size(), ours));
    int eightBit = 0, sixteenBit = 0, loopEndsEarly = 0;
    for (int i = 0; i < module->numsmp; ++i) {
        const SAMPLE& s = module->samples[i];
        const Sample& expected = ours.instruments.at(static_cast<size_t>(i)).samples.at(0);
        ((s.inflags & SF_16BITS) != 0 ? sixteenBit : eightBit)++;
        EXPECT_EQ((s.inflags & SF_16BITS) != 0, expected.SixteenBit()) << i;
        EXPECT_EQ(s.length, expected.values.size()) << i;
        EXPECT_EQ((s.flags & SF_LOOP) != 0, expected.Looped()) << i;
        if ((s.flags & SF_LOOP) == 0) continue;
        EXPECT_LT(s.loopstart, s.loopend) << i;
        EXPECT_LE(s.loopend, s.length) << i;
        if (s.loopend < s.length) ++loopEndsEarly;
    }
    EXPECT_GE(eightBit, 1);
    EXPECT_GE(sixteenBit, 1);
    EXPECT_EQ(loopEndsEarly, 1);
}

void NoTick() {}

TEST_F(SongInMikMod, PlaysEveryPositionForNinetySecondsThenReturnsToPositionOne) {
    // Take over the tick so the test drives the player itself, without sound.
    const MikMod_player_t tick = MikMod_RegisterPlayer(NoTick);
    ASSERT_NE(tick, nullptr);
    module->wrap = 0;
    module->loop = 1;
    Player_Start(module);
    std::vector<bool> visited(module->numpos, false);
    double seconds = 0;
    double loopSeconds = -1;
    for (int ticks = 0; ticks < 200000 && loopSeconds < 0; ++ticks) {
        const int before = module->sngpos;
        const double tickSeconds = 2.5 / module->bpm;
        tick();
        if (module->sngpos >= 0 && module->sngpos < module->numpos)
            visited[static_cast<size_t>(module->sngpos)] = true;
        if (module->sngpos < before) {
            loopSeconds = seconds;
            EXPECT_EQ(module->sngpos, 1);
        }
        seconds += tickSeconds;
    }
    Player_Stop();
    MikMod_RegisterPlayer(tick);
    EXPECT_GE(loopSeconds, 90.0);
    EXPECT_EQ(module->bpm, 128);
    for (size_t pos = 0; pos < visited.size(); ++pos) EXPECT_TRUE(visited[pos]) << "position " << pos;
}

}  // namespace
}  // namespace songtest
