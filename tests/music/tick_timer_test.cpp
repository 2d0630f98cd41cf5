#include <gtest/gtest.h>

#include "tests/music/driver_test_support.h"

namespace {

int playerTicks = 0;
uint16_t tempoAfterFirstTick = 0;

void CountingPlayer() {
    ++playerTicks;
    if (playerTicks == 1 && tempoAfterFirstTick != 0) {
        md_bpm = tempoAfterFirstTick;
    }
}

class TimerScheme : public DriverTest {
  protected:
    void SetUp() override {
        DriverTest::SetUp();
        playerTicks = 0;
        tempoAfterFirstTick = 0;
        md_player = CountingPlayer;
        md_bpm = 125;
        ASSERT_EQ(directSoundDriver.PlayStart(), 0);
    }
    void TearDown() override {
        directSoundDriver.PlayStop();
        DriverTest::TearDown();
    }
    // Fires the live timer once; true when a driver event ran.
    bool FireOnce() {
        uint32_t before = outputDriver.timer.eventCounter;
        int ticksBefore = playerTicks;
        timer.Fire(timer.LiveId());
        return outputDriver.timer.eventCounter != before || playerTicks != ticksBefore;
    }
};

TEST_F(TimerScheme, At125BpmTheTimerFiresEvery6MsForAnEventEvery6667Microseconds) {
    ASSERT_NE(timer.LiveId(), 0u);
    EXPECT_EQ(timer.Live().delay, 6u);
    EXPECT_EQ(timer.Live().resolution, 1u);
    EXPECT_EQ(timer.Live().flags, TIME_PERIODIC);
    EXPECT_NEAR(outputDriver.timer.exactPeriod, 20.0f / 3.0f, 1e-4);
    int events = 0;
    int firesSinceEvent = 0;
    for (int fire = 0; fire < 3000; ++fire) {  // 18 s of timer
        ++firesSinceEvent;
        if (FireOnce()) {
            ++events;
            EXPECT_LE(firesSinceEvent, 2) << "events are at most two timer periods apart";
            firesSinceEvent = 0;
        }
    }
    // 18000 ms / (20/3 ms) = 2700 events, 900 player ticks of 20 ms.
    EXPECT_NEAR(events, 2700, 1);
    EXPECT_NEAR(playerTicks, 900, 1);
}

TEST_F(TimerScheme, FirstEventIsAnUpdateAndTheThirdATick) {
    std::vector<uint32_t> counters;
    while (counters.size() < 4) {
        if (FireOnce()) {
            counters.push_back(outputDriver.timer.eventCounter);
            if (counters.size() < 3) {
                EXPECT_EQ(playerTicks, 0);
            }
        }
    }
    EXPECT_EQ(counters, (std::vector<uint32_t>{1, 2, 0, 1}));
    EXPECT_EQ(playerTicks, 1);
}

TEST_F(TimerScheme, TempoChangeReprogramsTheTimerAtTheNextUpdateCarryingTheAccumulator) {
    tempoAfterFirstTick = 150;
    UINT first = timer.LiveId();
    while (playerTicks == 0) {
        FireOnce();
    }
    EXPECT_EQ(timer.LiveId(), first) << "the tick itself does not reprogram";
    // Fire until the update event after the tick.
    float accumulatorBefore = 0;
    while (timer.LiveId() == first) {
        accumulatorBefore = outputDriver.timer.accumulator;
        FireOnce();
    }
    UINT second = timer.LiveId();
    EXPECT_EQ(outputDriver.timer.eventCounter, 1u);
    EXPECT_EQ(timer.Live().delay, 5u);  // 2500 / 450 = 5.56 ms
    EXPECT_EQ(outputDriver.timer.cachedTempo, 150);
    EXPECT_NEAR(outputDriver.timer.exactPeriod, 2500.0f / 450.0f, 1e-4);
    // The event ran on the old period's 6 ms and took off the new exact period.
    EXPECT_NEAR(outputDriver.timer.accumulator, accumulatorBefore + 6.0f - 2500.0f / 450.0f, 1e-4);
    EXPECT_EQ(timer.killed.back(), first);
    // A late call of the replaced timer changes nothing.
    float accumulator = outputDriver.timer.accumulator;
    TimerProc(first, 0, 0, 0, 0);
    EXPECT_EQ(outputDriver.timer.accumulator, accumulator);
    EXPECT_NE(second, first);
}

TEST_F(TimerScheme, AfterPlayStopALateEventTouchesNothing) {
    UINT id = timer.LiveId();
    for (int i = 0; i < 10; ++i) {
        FireOnce();
    }
    directSoundDriver.PlayStop();
    EXPECT_EQ(timer.LiveId(), 0u) << "the timer is killed";
    float accumulator = outputDriver.timer.accumulator;
    int ticks = playerTicks;
    TimerProc(id, 0, 0, 0, 0);
    EXPECT_EQ(outputDriver.timer.accumulator, accumulator);
    EXPECT_EQ(playerTicks, ticks);
}

TEST_F(TimerScheme, TempoZeroStillGivesAPlayableTimer) {
    SetTempo(0);
    EXPECT_GE(timer.Live().delay, 1u);
    SetTempo(255);
    EXPECT_EQ(timer.Live().delay, 3u);
}

TEST_F(TimerScheme, PlayStartResetsTheVoicesInUse) {
    const SoundVoice& even = outputDriver.voices[2];
    const SoundVoice& odd = outputDriver.voices[3];
    EXPECT_EQ(even.panning, 255);
    EXPECT_EQ(odd.panning, 0);
    EXPECT_EQ(even.frequency, 10000u);
    EXPECT_EQ(even.volume, 0);
    EXPECT_EQ(even.buffer, nullptr);
    EXPECT_EQ(even.kick, 0);
}

TEST_F(TimerScheme, PlayStopSilencesVoicesAndReleasesDuplicates) {
    SWORD handle = LoadSample({std::vector<int16_t>(100, 3), true});
    FakeSoundBuffer* software = sound.Buffer(sound.buffers.size() - 1);
    StartVoice(0, handle, 100);
    StartVoice(1, handle, 100);
    auto* duplicate = static_cast<FakeSoundBuffer*>(outputDriver.voices[1].buffer);
    directSoundDriver.PlayStop();
    EXPECT_FALSE(software->playing);
    EXPECT_FALSE(duplicate->playing);
    EXPECT_EQ(duplicate->references, 0);
    EXPECT_EQ(outputDriver.voices[0].buffer, nullptr);
    EXPECT_EQ(outputDriver.voices[1].buffer, nullptr);
}

}  // namespace
