#include "app/window_proc.h"

#include <gtest/gtest.h>

#include "app/program_objects.h"
#include "image/picture_surface.h"
#include "image/text_pages.h"
#include "image/text_panel.h"
#include "music/music_thread.h"
#include "platform/win32/testing.h"
#include "presentation/render_frame.h"
#include "tests/support/fake_direct_draw.h"

namespace {

int sleeps = 0;
DWORD sleptMs = 0;
int stopAfterSleeps = -1;  // the music "stops" after this many polls; -1: never

void CountingSleep(DWORD ms) {
    ++sleeps;
    sleptMs += ms;
    if (sleeps == stopAfterSleeps) {
        MusicControl.store(Stopped);
    }
}

class WindowProcTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetHeadlessWindowsForTesting(true);
        SetSleepHookForTesting(CountingSleep);
        WNDCLASSEXA windowClass{};
        windowClass.lpfnWndProc = WindowProc;
        windowClass.lpszClassName = "WindowProcTestClass";
        RegisterClassExA(&windowClass);
        window = CreateWindowExA(0, "WindowProcTestClass", "t", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 nullptr, nullptr);
        mainframe.hWnd = window;
        sleeps = 0;
        sleptMs = 0;
        stopAfterSleeps = -1;
        renderEnabled = 1;
        pictureSurface = &picture;
        panelSurface = &panel;
        Drain();
    }
    void TearDown() override {
        SetSleepHookForTesting(nullptr);
        if (IsWindow(window)) {
            DestroyWindow(window);
        }
        Drain();
        mainframe.hWnd = nullptr;
        pictureSurface = nullptr;
        panelSurface = nullptr;
        MusicControl.store(Running);
    }
    static void Drain() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    int PostedCloses() {
        int closes = 0;
        MSG msg;
        while (PeekMessageA(&msg, window, 0, 0, PM_REMOVE)) {
            closes += msg.message == WM_CLOSE ? 1 : 0;
        }
        return closes;
    }

    HWND window = nullptr;
    fake::World& world = fake::Reset();
    fake::Surface& picture = world.Make<fake::Surface>("picture", 520, 406);
    fake::Surface& panel = world.Make<fake::Surface>("panel", 320, 221);
};

TEST_F(WindowProcTest, EscapeWaitsAtMostOneSecondForMusicThatNeverStops) {
    MusicControl.store(Running);
    EXPECT_EQ(WindowProc(window, WM_KEYDOWN, VK_ESCAPE, 0), 0);
    EXPECT_EQ(sleeps, 100);
    EXPECT_EQ(sleptMs, 1000u);
    EXPECT_EQ(MusicControl.load(), StopRequested);
    EXPECT_EQ(renderEnabled, 0);
    EXPECT_EQ(pictureSurface, nullptr);
    EXPECT_EQ(panelSurface, nullptr);
    EXPECT_TRUE(picture.IsFreed());
    EXPECT_TRUE(panel.IsFreed());
    EXPECT_EQ(world.faults, std::vector<std::string>{});  // once each
    EXPECT_EQ(PostedCloses(), 1);
}

TEST_F(WindowProcTest, EscapeStopsWaitingOnceTheMusicHasStopped) {
    MusicControl.store(Running);
    stopAfterSleeps = 3;
    WindowProc(window, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(sleeps, 3);
    EXPECT_EQ(MusicControl.load(), Stopped);
}

TEST_F(WindowProcTest, SecondEscapeDoesNotWaitAndClosesAgain) {
    MusicControl.store(Running);
    stopAfterSleeps = 1;
    WindowProc(window, WM_KEYDOWN, VK_ESCAPE, 0);
    sleeps = 0;
    WindowProc(window, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(sleeps, 0);
    EXPECT_EQ(MusicControl.load(), Stopped);
    EXPECT_EQ(PostedCloses(), 2);
}

TEST_F(WindowProcTest, OtherKeysChangeNothing) {
    for (WPARAM key : {WPARAM{'A'}, WPARAM{VK_SPACE}, WPARAM{VK_RETURN}, WPARAM{VK_F1}}) {
        EXPECT_EQ(WindowProc(window, WM_KEYDOWN, key, 0), 0);
    }
    EXPECT_EQ(sleeps, 0);
    EXPECT_EQ(renderEnabled, 1);
    EXPECT_EQ(pictureSurface, &picture);
    EXPECT_EQ(PostedCloses(), 0);
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(WindowProcTest, AnyTimerStartsTheNextPageAndKillsThePageTimer) {
    SetTimer(window, PAGE_TIMER_ID, 1, nullptr);
    pageComplete = 1;
    lineIndex = 16;
    blurCountdown = 0;
    EXPECT_EQ(WindowProc(window, WM_TIMER, 42, 0), 0);
    EXPECT_EQ(blurCountdown, 40);
    EXPECT_EQ(lineIndex, -1);
    EXPECT_EQ(pageComplete, 0);
    EXPECT_FALSE(KillTimer(window, PAGE_TIMER_ID));  // already gone
}

TEST_F(WindowProcTest, CreateResetsThePageAndTheSpin) {
    lineIndex = 9;
    blurCountdown = 3;
    pageComplete = 1;
    rotationAngle = 100.0f;
    pathCounter = 77;
    EXPECT_EQ(WindowProc(window, WM_CREATE, 0, 0), 0);
    EXPECT_EQ(lineIndex, 0);
    EXPECT_EQ(blurCountdown, 40);
    EXPECT_EQ(pageComplete, 0);
    EXPECT_EQ(rotationAngle, 0.0f);
    EXPECT_EQ(pathCounter, 0);
}

TEST_F(WindowProcTest, CursorMessageKeepsTheCursorHidden) {
    EXPECT_EQ(WindowProc(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), 1), TRUE);
}

TEST_F(WindowProcTest, DestroyPostsQuit) {
    WindowProc(window, WM_DESTROY, 0, 0);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, window, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
}

}  // namespace
