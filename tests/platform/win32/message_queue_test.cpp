#include <atomic>
#include <thread>

#include "tests/platform/win32/win32_fixture.h"

namespace {

using MessageQueueTest = Win32Test;

TEST_F(MessageQueueTest, WindowFilterSeesOnlyThatWindowsMessages) {
    HWND a = MakeWindow();
    HWND b = MakeWindow();
    PostMessageA(b, WM_KEYDOWN, 'B', 0);
    PostMessageA(a, WM_KEYDOWN, 'A', 0);

    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, a, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.hwnd, a);
    EXPECT_EQ(msg.wParam, WPARAM{'A'});
    // PM_NOREMOVE left it: a filtered get returns the same message.
    ASSERT_EQ(GetMessageA(&msg, a, 0, 0), 1);
    EXPECT_EQ(msg.wParam, WPARAM{'A'});
    ASSERT_EQ(GetMessageA(&msg, b, 0, 0), 1);
    EXPECT_EQ(msg.wParam, WPARAM{'B'});
    EXPECT_FALSE(PeekMessageA(&msg, a, 0, 0, PM_NOREMOVE));
}

TEST_F(MessageQueueTest, MessageRangeFilters) {
    HWND a = MakeWindow();
    PostMessageA(a, WM_KEYDOWN, 1, 0);
    PostMessageA(a, WM_CLOSE, 0, 0);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, a, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_CLOSE);
    ASSERT_TRUE(PeekMessageA(&msg, a, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_KEYDOWN);
}

TEST_F(MessageQueueTest, QuitPassesTheWindowFilterAfterPostedMessages) {
    HWND a = MakeWindow();
    PostMessageA(a, WM_KEYDOWN, 'X', 0);
    PostQuitMessage(7);

    MSG msg{};
    ASSERT_EQ(GetMessageA(&msg, a, 0, 0), 1);  // posted messages come first
    EXPECT_EQ(msg.message, WM_KEYDOWN);
    ASSERT_TRUE(PeekMessageA(&msg, a, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
    ASSERT_TRUE(PeekMessageA(&msg, a, 0, 0, PM_NOREMOVE));  // still there
    EXPECT_EQ(GetMessageA(&msg, a, 0, 0), 0);
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, WPARAM{7});
    EXPECT_FALSE(PeekMessageA(&msg, a, 0, 0, PM_NOREMOVE));  // taken
}

TEST_F(MessageQueueTest, TimerMessageIsMadeAtRetrievalAndDoesNotPileUp) {
    HWND a = MakeWindow();
    ASSERT_EQ(SetTimer(a, 1999, 30, nullptr), UINT_PTR{1999});
    MSG msg{};
    EXPECT_FALSE(PeekMessageA(&msg, a, 0, 0, PM_REMOVE));  // not due yet

    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // three periods pass
    ASSERT_TRUE(PeekMessageA(&msg, a, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_TIMER);
    EXPECT_EQ(msg.wParam, WPARAM{1999});
    EXPECT_EQ(msg.hwnd, a);
    EXPECT_FALSE(PeekMessageA(&msg, a, 0, 0, PM_REMOVE));  // one tick, not three
}

TEST_F(MessageQueueTest, KilledTimerSendsNothing) {
    HWND a = MakeWindow();
    SetTimer(a, 5, 1, nullptr);
    EXPECT_TRUE(KillTimer(a, 5));
    EXPECT_FALSE(KillTimer(a, 5));
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    MSG msg{};
    EXPECT_FALSE(PeekMessageA(&msg, a, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueueTest, PostedMessageFromAnotherThreadReachesTheWindowsThread) {
    HWND a = MakeWindow();
    std::thread poster([a] { PostMessageA(a, WM_KEYDOWN, VK_ESCAPE, 0); });
    poster.join();
    MSG msg{};
    ASSERT_EQ(GetMessageA(&msg, a, 0, 0), 1);
    EXPECT_EQ(msg.wParam, WPARAM{VK_ESCAPE});
}

TEST_F(MessageQueueTest, GetMessageWaitsForAMessagePostedLater) {
    HWND a = MakeWindow();
    std::thread poster([a] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        PostMessageA(a, WM_CLOSE, 0, 0);
    });
    MSG msg{};
    EXPECT_EQ(GetMessageA(&msg, a, 0, 0), 1);
    EXPECT_EQ(msg.message, WM_CLOSE);
    poster.join();
}

TEST_F(MessageQueueTest, DispatchCallsTheProcedureOfTheMessagesWindow) {
    HWND a = MakeWindow();
    Recorded().clear();
    MSG msg{a, WM_KEYDOWN, 'Q', 0, 0, {}};
    DispatchMessageA(&msg);
    ASSERT_EQ(Recorded().size(), 1u);
    EXPECT_EQ(Recorded()[0].message, WM_KEYDOWN);
    EXPECT_EQ(Recorded()[0].wParam, WPARAM{'Q'});
}

TEST_F(MessageQueueTest, PostingToADestroyedWindowFails) {
    HWND a = MakeWindow();
    DestroyWindow(a);
    EXPECT_FALSE(PostMessageA(a, WM_CLOSE, 0, 0));
    MSG msg{};
    EXPECT_EQ(GetMessageA(&msg, a, 0, 0), -1);
}

}  // namespace
