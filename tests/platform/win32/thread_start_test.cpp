// A system with no thread to give: CreateThread and timeSetEvent answer with
// their failure values instead of ending the process, and work again once
// threads can be had.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/mmsystem/mmsystem.h"
#include "platform/win32/testing.h"
#include "platform/win32/windows.h"

namespace {

std::atomic<int> threadRuns{0};
std::atomic<int> timerEvents{0};

DWORD CountRun(LPVOID) {
    ++threadRuns;
    return 0;
}

void CountEvent(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) { ++timerEvents; }

bool WaitUntil(const std::atomic<int>& counter) {
    for (int i = 0; i < 2000 && counter.load() == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return counter.load() != 0;
}

TEST(ThreadStart, WithoutThreadsCreateThreadAndTimeSetEventFailAndRecoverAfterwards) {
    SetThreadStartFailureForTesting(true);
    EXPECT_EQ(CreateThread(nullptr, 0, CountRun, nullptr, 0, nullptr), nullptr);
    EXPECT_EQ(timeSetEvent(2, 1, CountEvent, 0, TIME_PERIODIC), 0u);
    SetThreadStartFailureForTesting(false);

    HANDLE thread = CreateThread(nullptr, 0, CountRun, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    CloseHandle(thread);
    const UINT timer = timeSetEvent(2, 1, CountEvent, 0, TIME_PERIODIC);
    ASSERT_NE(timer, 0u);
    EXPECT_TRUE(WaitUntil(threadRuns));
    EXPECT_TRUE(WaitUntil(timerEvents));
    EXPECT_EQ(timeKillEvent(timer), TIMERR_NOERROR);
}

}  // namespace
