#include "presentation/frame_clock.h"

#include <gtest/gtest.h>

#include "platform/mmsystem/mmsystem.h"
#include "platform/mmsystem/testing.h"

namespace {

DWORD fakeNow = 0;
DWORD FakeTime() { return fakeNow; }

class FrameClockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetTimeSourceForTesting(FakeTime);
        lastTick = 0;
    }
    void TearDown() override { SetTimeSourceForTesting(nullptr); }
};

TEST_F(FrameClockTest, TicksOnlyMoreThanFortyMillisecondsAfterTheLastTick) {
    fakeNow = 1000;
    EXPECT_EQ(FrameClock(), 1.0);
    fakeNow = 1039;
    EXPECT_EQ(FrameClock(), 0.0);
    fakeNow = 1041;
    EXPECT_EQ(FrameClock(), 1.0);
}

TEST_F(FrameClockTest, TheTickTimeIsTheQueryTimeNotTheLastTickPlusAPeriod) {
    fakeNow = 5000;
    FrameClock();
    fakeNow = 5070;
    EXPECT_EQ(FrameClock(), 1.0);
    EXPECT_EQ(lastTick, 5070u);
    fakeNow = 5109;  // 39 ms after that query, although 79 ms after the one before
    EXPECT_EQ(FrameClock(), 0.0);
}

TEST_F(FrameClockTest, AFirstQueryJustAfterTheStartDoesNotTick) {
    fakeNow = 30;
    EXPECT_EQ(FrameClock(), 0.0);
    fakeNow = 41;
    EXPECT_EQ(FrameClock(), 1.0);
}

// Ticks of the clock polled every millisecond for ten seconds from `start`.
int TicksInTenSecondsFrom(DWORD start) {
    lastTick = 0;
    int ticks = 0;
    for (DWORD ms = 0; ms < 10000; ++ms) {
        fakeNow = start + ms;
        ticks += FrameClock() == 1.0 ? 1 : 0;
    }
    return ticks;
}

TEST_F(FrameClockTest, KeepsItsCadenceAfterAHundredHoursAndAcrossTheCountersWrap) {
    const int fresh = TicksInTenSecondsFrom(1000);
    EXPECT_EQ(fresh, 10000 / 41 + 1);  // one tick every 41 ms, the first at once
    EXPECT_EQ(TicksInTenSecondsFrom(100u * 3600u * 1000u), fresh);
    EXPECT_EQ(TicksInTenSecondsFrom(0xFFFFFFFFu - 5000u), fresh);  // 49.7 days
}

TEST(TimeGetTimeTest, CountsFromTheProgramsStartNotTheMachines) {
    // A test process is young: the count is far below any machine uptime.
    EXPECT_LT(timeGetTime(), 600000u);
}

}  // namespace
