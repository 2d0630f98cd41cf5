// A whole run of the intro inside the test process, without a display: the
// start-up sequence, some frames, Escape from another thread, the stop.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "app/program_objects.h"
#include "app/win_main.h"
#include "music/music_thread.h"
#include "platform/win32/testing.h"
#include "presentation/render_frame.h"
#include "tests/support/files.h"

namespace {

void PressEscapeAfter(std::chrono::milliseconds delay) {
    HWND window = nullptr;
    while (window == nullptr) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        window = GetForegroundWindow();
    }
    std::this_thread::sleep_for(delay);
    PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
}

TEST(WinMainRunTest, StartsComposesFramesAndStopsOnEscape) {
    SetHeadlessWindowsForTesting(true);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ClearDebugLog();

    std::thread escape(PressEscapeAfter, std::chrono::milliseconds(1500));
    char commandLine[] = "";
    int result = WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOW);
    escape.join();

    EXPECT_EQ(result, 0);
    EXPECT_GT(frameCounter, 20);  // 25 frames a second for 1.5 s
    EXPECT_LE(frameCounter, 40);
    EXPECT_EQ(MusicControl.load(), Stopped);
    EXPECT_EQ(DebugLogText(),
              "Drivers enumerated\n"
              "DirectDrawCreated\n"
              "DDraw interface found\n"
              "Cooperative level set\n"
              "Displaymode Set\n"
              "Primary Surface Created\n"
              "Backbuffer attached\n"
              "D3D interface found\n"
              "attempting software z-buffer\n"
              "Using software z-buffer\n"
              "Z-Buffer created\n"
              "Z-Buffer attached\n"
              "RGB\n"
              "Render target set\n"
              "redbit:5  greenbit:6  bluebit 5\n"
              "reddiv:8.00  greendiv:4.00  bluediv 8.00\n"
              "r:0  g:0  b:31  MASK:31\n"
              "Object 0: DEFAULT   \n");

    // The last frame shown: white above the picture, the picture on the bottom edge.
    IDirectDrawSurface4* front = mainframe.display.primarySurface;
    ASSERT_NE(front, nullptr);
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof desc;
    ASSERT_EQ(front->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    auto pixel = [&desc](int x, int y) {
        return static_cast<const uint16_t*>(desc.lpSurface)[y * desc.lPitch / 2 + x];
    };
    EXPECT_EQ(pixel(600, 5), 0xFFFF);
    EXPECT_EQ(pixel(5, 60), 0xFFFF);
    int pictureDark = 0;
    for (int x = 0; x < 320; x += 4) {
        pictureDark += pixel(x, 478) != 0xFFFF ? 1 : 0;
    }
    EXPECT_GT(pictureDark, 40);
    front->Unlock(nullptr);
}

}  // namespace
