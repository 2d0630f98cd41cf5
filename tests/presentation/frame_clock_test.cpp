#include <gtest/gtest.h>

#include "platform/mmsystem/mmsystem.h"
#include "presentation/frame_clock.h"

namespace {

DWORD fakeNow = 0;
DWORD FakeTime() { return fakeNow; }

class FrameClockTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetTimeSourceForTesting(FakeTime);
        lastTick = 0.0f;
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
    EXPECT_FLOAT_EQ(lastTick, 5.07f);
    fakeNow = 5109;  // 39 ms after that query, although 79 ms after the one before
    EXPECT_EQ(FrameClock(), 0.0);
}

TEST_F(FrameClockTest, AFirstQueryJustAfterTheStartDoesNotTick) {
    fakeNow = 30;
    EXPECT_EQ(FrameClock(), 0.0);
    fakeNow = 41;
    EXPECT_EQ(FrameClock(), 1.0);
}

TEST_F(FrameClockTest, ResolutionHoldsAfterAnHourOfRunning) {
    // Time counts from the program's start, so an hour in 39 and 41 ms still differ.
    fakeNow = 3600000;
    FrameClock();
    fakeNow += 39;
    EXPECT_EQ(FrameClock(), 0.0);
    fakeNow += 2;
    EXPECT_EQ(FrameClock(), 1.0);
}

TEST(TimeGetTimeTest, CountsFromTheProgramsStartNotTheMachines) {
    // A test process is young: the count is far below any machine uptime.
    EXPECT_LT(timeGetTime(), 600000u);
}

}  // namespace
