#include "presentation/render_frame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/program_objects.h"
#include "image/picture_surface.h"
#include "image/text_pages.h"
#include "image/text_panel.h"
#include "platform/mmsystem/testing.h"
#include "platform/win32/testing.h"
#include "presentation/frame_clock.h"
#include "presentation/motion_tables.h"
#include "tests/support/fake_direct3d.h"
#include "tests/support/fake_direct_draw.h"

namespace {

DWORD fakeNow = 0;
DWORD FakeTime() { return fakeNow; }
std::vector<std::string> boxes;
int RecordBox(HWND, LPCSTR text, LPCSTR, UINT) {
    boxes.emplace_back(text);
    return IDOK;
}

class RenderFrameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetTimeSourceForTesting(FakeTime);
        SetMessageBoxHookForTesting(RecordBox);
        boxes.clear();
        fakeNow = 10000;
        lastTick = 0;
        BuildMotionTables(6.0f);
        DisplayDevice& display = mainframe.display;
        display.backBuffer = &back;
        display.primarySurface = &front;
        display.device = &device;
        display.viewportHolder.viewport = &viewport;
        display.pixelFormat = DescribePixelFormat(0xF800, 0x07E0, 0x001F);
        pictureSurface = &picture;
        pictureRect = RECT{0, 0, 520, 406};
        panelSurface = &panel;
        panelRect = RECT{0, 0, 320, 221};
        clearRect = D3DRECT{0, 0, 640, 480};
        pageComplete = 1;  // no reveal step unless a test asks for it
        lineIndex = 16;
        rotationAngle = 0.0f;
        pathCounter = 0;
        frameCounter = 0;
        scene.objectCount = 0;
        scene.device = &device;
        scene.AddObject();
        scene.objects[0].SetScale(0.1f, 0.1f, 0.1f);
    }
    void TearDown() override {
        DisplayDevice& display = mainframe.display;
        display.backBuffer = nullptr;
        display.primarySurface = nullptr;
        display.device = nullptr;
        display.viewportHolder.viewport = nullptr;
        pictureSurface = nullptr;
        panelSurface = nullptr;
        scene.objectCount = 0;
        scene.device = nullptr;
        SetTimeSourceForTesting(nullptr);
        SetMessageBoxHookForTesting(nullptr);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    void NextTick() { fakeNow += 41; }

    // The calls that make up a frame, without the eight copies' own.
    std::vector<std::string> FrameCalls() const {
        std::vector<std::string> calls;
        for (const std::string& call : world.log) {
            if (!call.starts_with("device.SetTransform") && !call.starts_with("device.SetLightState") &&
                call != "device.DrawPrimitive") {
                calls.push_back(call);
            }
        }
        return calls;
    }

    fake::World& world = fake::Reset();
    fake::Surface& back = world.Make<fake::Surface>("backBuffer", 640, 480);
    fake::Surface& front = world.Make<fake::Surface>("primary", 640, 480);
    fake::Surface& picture = world.Make<fake::Surface>("picture", 520, 406);
    fake::Surface& panel = world.Make<fake::Surface>("panel", 320, 221);
    fake::Device& device = world.Make<fake::Device>();
    fake::Viewport& viewport = world.Make<fake::Viewport>();
};

TEST_F(RenderFrameTest, OneFrameDrawsInTheFixedOrder) {
    RenderFrame(frameObjects);
    EXPECT_EQ(FrameCalls(),
              (std::vector<std::string>{"viewport.Clear2", "backBuffer.BltFast", "device.BeginScene",
                                        "device.EndScene", "backBuffer.BltFast", "primary.Flip"}));
    EXPECT_EQ(device.Count(fake::DeviceCallKind::DrawPrimitive), 8);
    ASSERT_EQ(viewport.clears.size(), 1u);
    EXPECT_EQ(viewport.clears[0].flags, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
    EXPECT_EQ(viewport.clears[0].colour, 0xFFFFFFFFu);
    EXPECT_EQ(viewport.clears[0].rect.x2, 640);
    ASSERT_EQ(back.blits.size(), 2u);
    EXPECT_EQ(back.blits[0].source, &picture);  // the picture on the bottom edge
    EXPECT_EQ(back.blits[0].x, 0u);
    EXPECT_EQ(back.blits[0].y, 74u);
    EXPECT_EQ(back.blits[0].flags, DDBLTFAST_WAIT);
    EXPECT_EQ(back.blits[1].source, &panel);  // the colour-keyed panel
    EXPECT_EQ(back.blits[1].x, 319u);
    EXPECT_EQ(back.blits[1].y, 110u);
    EXPECT_EQ(back.blits[1].flags, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
    EXPECT_EQ(back.blits[1].rect.bottom, 221);
    EXPECT_EQ(front.flips, std::vector<DWORD>{DDFLIP_WAIT});
    EXPECT_EQ(frameCounter, 1);
    EXPECT_EQ(pathCounter, 1);
}

TEST_F(RenderFrameTest, FirstFramePlacesTheEightCopiesOnTheRingAndTheDepthWave) {
    RenderFrame(frameObjects);
    const std::vector<D3DMATRIX> worlds = device.Worlds();
    ASSERT_EQ(worlds.size(), 8u);
    for (int j = 0; j < 8; ++j) {
        EXPECT_FLOAT_EQ(worlds[j]._41, pathX[32 * j]) << j;
        EXPECT_FLOAT_EQ(worlds[j]._42, pathY[32 * j]) << j;
        EXPECT_FLOAT_EQ(worlds[j]._43, depthWave[1 + j]) << j;
    }
    EXPECT_NEAR(worlds[1]._41, 0.243f, 0.0005);
    EXPECT_NEAR(worlds[1]._42, 3.243f, 0.0005);
}

TEST_F(RenderFrameTest, TwoCallsWithinFortyMillisecondsDrawOneFrame) {
    RenderFrame(frameObjects);
    fakeNow += 39;
    RenderFrame(frameObjects);
    EXPECT_EQ(front.flips.size(), 1u);
    NextTick();
    RenderFrame(frameObjects);
    EXPECT_EQ(front.flips.size(), 2u);
}

TEST_F(RenderFrameTest, AngleRunsInStepsOfTwoAndResetsAt360) {
    for (int frame = 1; frame <= 179; ++frame) {
        RenderFrame(frameObjects);
        ASSERT_FLOAT_EQ(rotationAngle, 2.0f * frame);
        NextTick();
    }
    RenderFrame(frameObjects);
    EXPECT_EQ(rotationAngle, 0.0f);
}

TEST_F(RenderFrameTest, TwoObjectsAdvanceThePathCounterByTwoPerFrame) {
    scene.AddObject();
    scene.objects[1].SetScale(0.1f, 0.1f, 0.1f);
    RenderFrame(frameObjects);
    EXPECT_EQ(pathCounter, 2);
    EXPECT_EQ(frameCounter, 1);
    const std::vector<D3DMATRIX> worlds = device.Worlds();
    ASSERT_EQ(worlds.size(), 16u);
    // The second object's copies take depths one entry further along the wave.
    EXPECT_FLOAT_EQ(worlds[8]._43, depthWave[2]);
    EXPECT_FLOAT_EQ(worlds[0]._43, depthWave[1]);
}

TEST_F(RenderFrameTest, PanelRectangleFollowsTheRevealedLines) {
    lineIndex = -1;
    RenderFrame(frameObjects);
    EXPECT_EQ(back.blits.back().rect.bottom, 0);  // empty: nothing of the panel shows
    NextTick();
    lineIndex = 16;
    RenderFrame(frameObjects);
    EXPECT_EQ(back.blits.back().rect.bottom, 221);
}

TEST_F(RenderFrameTest, RevealStepRunsWhileThePageIsIncomplete) {
    pageComplete = 0;
    lineIndex = 0;
    blurCountdown = 40;
    RenderFrame(frameObjects);
    EXPECT_EQ(blurCountdown, 38);
}

TEST_F(RenderFrameTest, EveryFailingCopyEndsTheSceneAndRaisesTheFatalError) {
    world.Fail("DrawPrimitive", E_FAIL);
    RenderFrame(frameObjects);
    EXPECT_EQ(boxes.size(), 8u);
    EXPECT_EQ(boxes[0], "Render Failure rendering object");
    EXPECT_EQ(device.Count(fake::DeviceCallKind::EndScene), 9);
    EXPECT_EQ(front.flips.size(), 1u);  // the frame still goes on to the flip
}

TEST_F(RenderFrameTest, FailingFlipRaisesItsFatalError) {
    world.Fail("primary.Flip", DDERR_SURFACELOST);
    RenderFrame(frameObjects);
    EXPECT_EQ(boxes, std::vector<std::string>{"Failed to flip surfaces."});
}

TEST_F(RenderFrameTest, MissingSurfacesDrawNothing) {
    pictureSurface = nullptr;
    RenderFrame(frameObjects);
    panelSurface = nullptr;
    pictureSurface = &picture;
    RenderFrame(frameObjects);
    EXPECT_TRUE(viewport.clears.empty());
    EXPECT_TRUE(front.flips.empty());
    EXPECT_EQ(lastTick, 0u);  // the clock is not even asked
}

}  // namespace
