#include "tests/platform/win32/win32_fixture.h"

namespace {

using WindowTest = Win32Test;

TEST_F(WindowTest, CreateSendsWmCreateBeforeItReturns) {
    HWND window = MakeWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_FALSE(Recorded().empty());
    EXPECT_EQ(Recorded()[0].message, WM_CREATE);
    EXPECT_EQ(Recorded()[0].window, window);
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(WindowTest, UnknownClassMakesNoWindow) {
    EXPECT_EQ(
        CreateWindowExA(0, "NoSuchClass", "x", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
        nullptr);
}

TEST_F(WindowTest, DefaultProcedureClosesByDestroyingAndSendingWmDestroy) {
    HWND window = MakeWindow();
    Recorded().clear();
    PostMessageA(window, WM_CLOSE, 0, 0);
    MSG msg{};
    ASSERT_EQ(GetMessageA(&msg, window, 0, 0), 1);
    DispatchMessageA(&msg);  // the recording procedure passes WM_CLOSE to DefWindowProcA
    EXPECT_FALSE(IsWindow(window));
    ASSERT_EQ(Recorded().size(), 2u);
    EXPECT_EQ(Recorded()[0].message, WM_CLOSE);
    EXPECT_EQ(Recorded()[1].message, WM_DESTROY);
}

TEST_F(WindowTest, DestroyDropsMessagesStillPostedToTheWindow) {
    HWND window = MakeWindow();
    HWND other = MakeWindow();
    PostMessageA(window, WM_KEYDOWN, 1, 0);
    PostMessageA(other, WM_KEYDOWN, 2, 0);
    DestroyWindow(window);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, other);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WindowTest, ForegroundWindowIsTheWindowShownLast) {
    HWND first = MakeWindow();
    HWND second = MakeWindow();
    ShowWindow(first, SW_SHOW);
    ShowWindow(second, SW_SHOW);
    EXPECT_EQ(GetForegroundWindow(), second);
    DestroyWindow(second);
    EXPECT_EQ(GetForegroundWindow(), nullptr);
}

TEST_F(WindowTest, SetCursorWithoutDisplayIsHarmless) { EXPECT_EQ(SetCursor(nullptr), nullptr); }

int sleptMs = 0;
void CountSleep(DWORD ms) { sleptMs += static_cast<int>(ms); }

TEST(ThreadsTest, SleepGoesThroughTheTestHook) {
    SetSleepHookForTesting(CountSleep);
    Sleep(10);
    Sleep(5);
    SetSleepHookForTesting(nullptr);
    EXPECT_EQ(sleptMs, 15);
}

std::atomic<int> threadRuns{0};
DWORD ThreadEntry(LPVOID parameter) {
    threadRuns.fetch_add(*static_cast<int*>(parameter));
    ExitThread(0);
}

TEST(ThreadsTest, CreatedThreadRunsAndEndsThroughExitThread) {
    static int increment = 3;
    HANDLE thread = CreateThread(nullptr, 0, ThreadEntry, &increment, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    for (int i = 0; i < 200 && threadRuns.load() == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(threadRuns.load(), 3);
    CloseHandle(thread);
}

const char* lastCaption = nullptr;
UINT lastType = 0;
int RecordBox(HWND, LPCSTR, LPCSTR caption, UINT type) {
    lastCaption = caption;
    lastType = type;
    return IDOK;
}

TEST(MessageBoxTest, BoxGoesThroughTheTestHook) {
    SetMessageBoxHookForTesting(RecordBox);
    EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", MB_ICONERROR), IDOK);
    SetMessageBoxHookForTesting(nullptr);
    EXPECT_STREQ(lastCaption, "caption");
    EXPECT_EQ(lastType, MB_ICONERROR);
}

}  // namespace
