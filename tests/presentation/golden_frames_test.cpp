// Golden frames: frames 1, 2 and 100 of the intro composed in memory through
// the real stand-in, with the embedded assets and a fake clock (no window,
// no music). TRELK_REFRESH_GOLDEN=1 rewrites the PNGs after a deliberate change.
#include <gtest/gtest.h>

#include "app/program_objects.h"
#include "app/win_main.h"
#include "platform/mmsystem/testing.h"
#include "platform/win32/testing.h"
#include "presentation/render_frame.h"
#include "tests/support/golden_image.h"

namespace {

DWORD fakeNow = 0;
DWORD FakeTime() { return fakeNow; }

RgbImage FrontBuffer() {
    IDirectDrawSurface4* front = mainframe.display.primarySurface;
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof desc;
    EXPECT_EQ(front->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    RgbImage image = ImageFrom16Bit(static_cast<const uint16_t*>(desc.lpSurface), 640, 480, desc.lPitch / 2,
                                    0xF800, 0x07E0, 0x001F);
    front->Unlock(nullptr);
    return image;
}

std::string Golden(const char* name) { return std::string(TRELK_GOLDEN_DIR) + "/" + name; }

TEST(GoldenFramesTest, FramesOneTwoAndHundredMatchTheirGoldenImages) {
    SetHeadlessWindowsForTesting(true);
    SetTimeSourceForTesting(FakeTime);
    PrepareMainframe(GetModuleHandleA(nullptr));
    ASSERT_EQ(mainframe.CreateMainWindow(), 0);
    ASSERT_GE(mainframe.display.CreateDisplay(640, 480, 16), 0);
    ASSERT_EQ(SetUpPresentation(), 0);

    fakeNow = 1000;
    for (int frame = 1; frame <= 100; ++frame) {
        RenderFrame(frameObjects);
        ASSERT_EQ(frameCounter, frame);
        if (frame == 1 || frame == 2 || frame == 100) {
            std::string name = "frame" + std::to_string(frame) + ".png";
            EXPECT_EQ(CompareWithGolden(Golden(name.c_str()), FrontBuffer()), "") << name;
        }
        fakeNow += 41;
    }
    SetTimeSourceForTesting(nullptr);
}

}  // namespace
