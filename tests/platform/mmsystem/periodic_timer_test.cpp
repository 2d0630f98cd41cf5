// The multimedia timer's promises: one callback at a time, catching up when
// late, nothing after a kill, and a kill that never waits.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "platform/mmsystem/mmsystem.h"
#include "platform/mmsystem/testing.h"
#include "tests/support/wait_for.h"

namespace {

using namespace std::chrono_literals;

struct Counter {
    std::atomic<int> calls{0};
    std::atomic<int> running{0};
    std::atomic<int> overlaps{0};
    std::atomic<int> blockFirstMs{0};
    std::atomic<bool> hold{false};
    std::atomic<bool> inside{false};
};

// A killed timer's callback may still be on its way in after the kill (it is
// not waited for), so counters live to the end of the program.
Counter& NewCounter() {
    static std::vector<std::unique_ptr<Counter>> counters;
    counters.push_back(std::make_unique<Counter>());
    return *counters.back();
}

void Count(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    auto* counter = reinterpret_cast<Counter*>(user);
    if (counter->running.fetch_add(1) != 0) {
        counter->overlaps.fetch_add(1);
    }
    int call = counter->calls.fetch_add(1);
    if (call == 0 && counter->blockFirstMs.load() > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(counter->blockFirstMs.load()));
    }
    counter->inside.store(true);
    while (counter->hold.load()) {
        std::this_thread::sleep_for(1ms);
    }
    counter->running.fetch_sub(1);
}

TEST(TimerCaps, PeriodsFromOneTo65535) {
    TIMECAPS caps{};
    ASSERT_EQ(timeGetDevCaps(&caps, sizeof(caps)), TIMERR_NOERROR);
    EXPECT_EQ(caps.wPeriodMin, 1u);
    EXPECT_EQ(caps.wPeriodMax, 65535u);
    EXPECT_EQ(timeGetDevCaps(&caps, 4), TIMERR_NOCANDO);
    EXPECT_EQ(timeGetDevCaps(nullptr, sizeof(caps)), TIMERR_NOCANDO);
}

TEST(TimerPeriod, EveryEndMatchesABegin) {
    EXPECT_EQ(timeBeginPeriod(0), TIMERR_NOCANDO);
    EXPECT_EQ(timeBeginPeriod(65536), TIMERR_NOCANDO);
    EXPECT_EQ(timeEndPeriod(3), TIMERR_NOCANDO);
    EXPECT_EQ(timeBeginPeriod(3), TIMERR_NOERROR);
    EXPECT_EQ(timeBeginPeriod(3), TIMERR_NOERROR);
    EXPECT_EQ(timeEndPeriod(3), TIMERR_NOERROR);
    EXPECT_EQ(timeEndPeriod(3), TIMERR_NOERROR);
    EXPECT_EQ(timeEndPeriod(3), TIMERR_NOCANDO);
}

TEST(TimerEvent, RefusesWhatNoTimerCanDo) {
    Counter& counter = NewCounter();
    EXPECT_EQ(timeSetEvent(0, 1, Count, reinterpret_cast<DWORD_PTR>(&counter), TIME_PERIODIC), 0u);
    EXPECT_EQ(timeSetEvent(5, 1, nullptr, 0, TIME_PERIODIC), 0u);
    EXPECT_EQ(timeKillEvent(0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(timeKillEvent(987654), MMSYSERR_INVALPARAM);
}

TEST(TimerEvent, PeriodicCallbacksNeverOverlapAndStopAtTheKill) {
    Counter& counter = NewCounter();
    UINT id = timeSetEvent(2, 1, Count, reinterpret_cast<DWORD_PTR>(&counter), TIME_PERIODIC);
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(WaitFor([&] { return counter.calls.load() >= 20; }));
    ASSERT_EQ(timeKillEvent(id), TIMERR_NOERROR);
    ASSERT_TRUE(WaitFor([&] { return counter.running.load() == 0; }));
    int calls = counter.calls.load();
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(counter.calls.load(), calls) << "no callback starts after the kill";
    EXPECT_EQ(counter.overlaps.load(), 0);
    EXPECT_EQ(timeKillEvent(id), MMSYSERR_INVALPARAM) << "already gone";
}

TEST(TimerEvent, OneShotFiresOnce) {
    Counter& counter = NewCounter();
    UINT id = timeSetEvent(3, 1, Count, reinterpret_cast<DWORD_PTR>(&counter), TIME_ONESHOT);
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(WaitFor([&] { return counter.calls.load() == 1; }));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(counter.calls.load(), 1);
}

TEST(TimerEvent, LateCallbacksCatchUpBackToBack) {
    Counter& counter = NewCounter();
    counter.blockFirstMs.store(60);
    auto start = std::chrono::steady_clock::now();
    UINT id = timeSetEvent(5, 1, Count, reinterpret_cast<DWORD_PTR>(&counter), TIME_PERIODIC);
    ASSERT_NE(id, 0u);
    // The first call blocks for 60 ms; the dozen periods it swallowed follow at once.
    ASSERT_TRUE(WaitFor([&] { return counter.calls.load() >= 12; }));
    auto elapsed = std::chrono::steady_clock::now() - start;
    timeKillEvent(id);
    WaitFor([&] { return counter.running.load() == 0; });
    EXPECT_LT(elapsed, 400ms) << "not one period after the other";
}

TEST(TimerEvent, KillNeverWaitsForARunningCallback) {
    Counter& counter = NewCounter();
    counter.hold.store(true);
    UINT id = timeSetEvent(1, 1, Count, reinterpret_cast<DWORD_PTR>(&counter), TIME_PERIODIC);
    ASSERT_TRUE(WaitFor([&] { return counter.inside.load(); }));
    EXPECT_EQ(timeKillEvent(id), TIMERR_NOERROR);  // returns while the callback is held
    EXPECT_EQ(counter.running.load(), 1);
    counter.hold.store(false);
    ASSERT_TRUE(WaitFor([&] { return counter.running.load() == 0; }));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(counter.calls.load(), 1);
}

TEST(TimerEvent, SeveralTimersShareTheOneThread) {
    Counter& a = NewCounter();
    Counter& b = NewCounter();
    UINT first = timeSetEvent(2, 1, Count, reinterpret_cast<DWORD_PTR>(&a), TIME_PERIODIC);
    UINT second = timeSetEvent(3, 1, Count, reinterpret_cast<DWORD_PTR>(&b), TIME_PERIODIC);
    ASSERT_NE(first, second);
    ASSERT_TRUE(WaitFor([&] { return a.calls.load() >= 10 && b.calls.load() >= 10; }));
    timeKillEvent(first);
    timeKillEvent(second);
    WaitFor([&] { return a.running.load() == 0 && b.running.load() == 0; });
}

// The timer thread sleeps until the earliest event is due while new events
// arrive: the list of events grows (and moves in memory) under a waiting
// thread, which must not be left holding the old place. AddressSanitizer
// reports it when it does.
TEST(TimerEvent, EventsAddedWhileTheThreadWaitsLeaveItSound) {
    Counter& idle = NewCounter();
    std::vector<UINT> ids;
    for (int i = 0; i < 40; ++i) {
        ids.push_back(timeSetEvent(60000, 1, Count, reinterpret_cast<DWORD_PTR>(&idle), TIME_PERIODIC));
        std::this_thread::sleep_for(2ms);  // the thread goes back to waiting on the earliest
    }
    Counter& soon = NewCounter();
    UINT quick = timeSetEvent(2, 1, Count, reinterpret_cast<DWORD_PTR>(&soon), TIME_PERIODIC);
    EXPECT_TRUE(WaitFor([&] { return soon.calls.load() >= 3; }));
    timeKillEvent(quick);
    for (UINT id : ids) {
        EXPECT_EQ(timeKillEvent(id), TIMERR_NOERROR);
    }
    EXPECT_EQ(idle.calls.load(), 0);
}

class RecordingTimer final : public MultimediaTimerForTesting {
  public:
    UINT SetEvent(UINT delay, UINT, LPTIMECALLBACK, DWORD_PTR, UINT) override {
        lastDelay = delay;
        return 77;
    }
    MMRESULT KillEvent(UINT timerId) override {
        lastKilled = timerId;
        return TIMERR_NOERROR;
    }
    UINT lastDelay = 0;
    UINT lastKilled = 0;
};

TEST(TimerSeam, FakeReceivesSetAndKill) {
    RecordingTimer fake;
    SetMultimediaTimerForTesting(&fake);
    EXPECT_EQ(timeSetEvent(6, 1, Count, 0, TIME_PERIODIC), 77u);
    EXPECT_EQ(timeKillEvent(77), TIMERR_NOERROR);
    SetMultimediaTimerForTesting(nullptr);
    EXPECT_EQ(fake.lastDelay, 6u);
    EXPECT_EQ(fake.lastKilled, 77u);
}

}  // namespace
