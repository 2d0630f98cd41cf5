#include <gtest/gtest.h>

#include <cstring>

#include "app/program_objects.h"
#include "app/window_proc.h"
#include "platform/win32/testing.h"
#include "tests/support/fake_direct_draw.h"
#include "tests/support/files.h"

namespace {

struct BoxCall {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};
BoxCall lastBox;

int RecordBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    fake::TheWorld().Note("box");
    lastBox = {owner, text, caption, type};
    return IDOK;
}

class FatalErrorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetMessageBoxHookForTesting(RecordBox);
        std::strcpy(mainframe.title, "Vorlix - Trelk Intro");
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    void TearDown() override {
        SetMessageBoxHookForTesting(nullptr);
        mainframe.display.directDraw = nullptr;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    fake::World& world = fake::Reset();
};

TEST_F(FatalErrorTest, ShowsTheBoxCaptionedWithTheTitleAndPostsQuit) {
    EXPECT_EQ(FatalError(mainframe, "Failed to load mesh."), -1);
    EXPECT_EQ(lastBox.text, "Failed to load mesh.");
    EXPECT_EQ(lastBox.caption, "Vorlix - Trelk Intro");
    EXPECT_EQ(lastBox.type, MB_ICONERROR);
    EXPECT_EQ(world.log, std::vector<std::string>{"box"});  // no display yet: no cooperative level
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
}

TEST_F(FatalErrorTest, GivesTheScreenBackBeforeTheBox) {
    mainframe.display.directDraw = &world.Make<fake::DirectDraw4>();
    FatalError(mainframe, "Failed to flip surfaces.");
    EXPECT_EQ(world.log, (std::vector<std::string>{"directDraw.SetCooperativeLevel 8", "box"}));
}

TEST_F(FatalErrorTest, TheMessageNeverReachesTheLogFile) {
    ClearDebugLog();
    FatalError(mainframe, "Render Failure rendering object");
    EXPECT_EQ(DebugLogText(), "");
}

TEST(CreateMainWindowTest, WithoutAnInstanceItMakesNoWindow) {
    Mainframe frame;
    EXPECT_EQ(frame.CreateMainWindow(), 2);
    EXPECT_EQ(frame.hWnd, nullptr);
    EXPECT_EQ(frame.windowReady, 0);
}

LRESULT QuietProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(CreateMainWindowTest, MakesShowsAndHandsTheWindowToTheDisplay) {
    SetHeadlessWindowsForTesting(true);
    ClearDebugLog();
    Mainframe frame;
    frame.hInstance = GetModuleHandleA(nullptr);
    frame.windowProc = QuietProc;
    std::strcpy(frame.className, "MainframeTestClass");
    std::strcpy(frame.title, "Vorlix - Trelk Intro");
    ASSERT_EQ(frame.CreateMainWindow(), 0);
    EXPECT_TRUE(IsWindow(frame.hWnd));
    EXPECT_EQ(frame.windowReady, 1);
    EXPECT_EQ(frame.display.hWnd, frame.hWnd);
    EXPECT_EQ(GetForegroundWindow(), frame.hWnd);
    EXPECT_EQ(DebugLogText(), "");  // window creation messages go to the gated log
    DestroyWindow(frame.hWnd);
}

}  // namespace
