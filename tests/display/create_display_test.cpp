// The display chain: what each step asks for, where a failure stops it, what
// the log shows, and what ReleaseDisplay then gives back; plus the real
// stand-in's chain and its log.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "display/display_device.h"
#include "tests/support/fake_direct3d.h"
#include "tests/support/fake_direct_draw.h"
#include "tests/support/files.h"

namespace {

using Lines = std::vector<std::string>;

HWND const WINDOW = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x60D));
constexpr HRESULT FAILURE = static_cast<HRESULT>(0x8876F00D);

const Lines PIXEL_FORMAT_565 = {"redbit:5  greenbit:6  bluebit 5", "reddiv:8.00  greendiv:4.00  bluediv 8.00",
                                "r:0  g:0  b:31  MASK:31"};

class CreateDisplay : public ::testing::Test {
  protected:
    void SetUp() override { ClearDebugLog(); }
    void TearDown() override { EXPECT_EQ(world.faults, Lines{}); }
    HRESULT Create() {
        display.hWnd = WINDOW;
        return display.CreateDisplay(640, 480, 16);
    }
    // Builds the chain, checks the result and the last log line, then
    // releases it and returns the releases made by ReleaseDisplay.
    Lines RunAndRelease(HRESULT expected, const std::string& lastLine) {
        EXPECT_EQ(Create(), expected);
        const Lines log = DebugLogLines();
        EXPECT_FALSE(log.empty());
        if (!log.empty()) {
            EXPECT_EQ(log.back(), lastLine);
        }
        world.releases.clear();
        display.ReleaseDisplay();
        EXPECT_EQ(world.LiveNames(), Lines{}) << "everything made was released";
        EXPECT_EQ(display.device, nullptr);
        EXPECT_EQ(display.directDraw, nullptr);
        EXPECT_EQ(display.width, 0);
        EXPECT_EQ(DebugLogLines().back(), "de-referencing DirectX");
        return world.releases;
    }
    fake::DirectDraw4& DirectDraw() { return world.Get<fake::DirectDraw4>("directDraw"); }

    fake::World& world = fake::Reset();
    fake::Seams seams;
    DisplayDevice display;
};

struct FailingStep {
    const char* call;
    const char* lastLine;
    Lines released;
};

class FailingAt : public CreateDisplay, public ::testing::WithParamInterface<FailingStep> {};

TEST_P(FailingAt, StopsWithTheCodeAndReleasesWhatExists) {
    const FailingStep& step = GetParam();
    world.Fail(step.call, FAILURE);
    EXPECT_EQ(RunAndRelease(FAILURE, step.lastLine), step.released);
}

const Lines CHAIN = {"direct3D", "zBuffer", "backBuffer", "primary", "directDraw"};
// From the render target on, the program holds a second reference to the back buffer.
const Lines DEVICE_CHAIN = {"device",     "direct3D", "zBuffer",   "backBuffer",
                            "backBuffer", "primary",  "directDraw"};

INSTANTIATE_TEST_SUITE_P(
    EveryStep, FailingAt,
    ::testing::Values(FailingStep{"DirectDrawCreate", "Drivers enumerated", {}},
                      FailingStep{"QueryInterface IDirectDraw4", "DirectDrawCreated", {}},
                      FailingStep{"SetCooperativeLevel", "DDraw interface found", {"directDraw"}},
                      FailingStep{"SetDisplayMode", "Cooperative level set", {"directDraw"}},
                      FailingStep{"CreateSurface primary", "Displaymode Set", {"directDraw"}},
                      FailingStep{"GetAttachedSurface", "Primary Surface Created", {"primary", "directDraw"}},
                      FailingStep{"QueryInterface IDirect3D3",
                                  "Backbuffer attached",
                                  {"backBuffer", "primary", "directDraw"}},
                      FailingStep{"EnumZBufferFormats RGB",
                                  "attempting software z-buffer",
                                  {"direct3D", "backBuffer", "primary", "directDraw"}},
                      FailingStep{"CreateSurface zBuffer",
                                  "Using software z-buffer",
                                  {"direct3D", "backBuffer", "primary", "directDraw"}},
                      FailingStep{"AddAttachedSurface", "Z-Buffer created", CHAIN},
                      FailingStep{"CreateDevice RGB", "Z-Buffer attached", CHAIN},
                      FailingStep{"SetRenderTarget", "RGB", DEVICE_CHAIN},
                      FailingStep{"CreateViewport", "r:0  g:0  b:31  MASK:31", DEVICE_CHAIN},
                      FailingStep{"SetViewport2",
                                  "r:0  g:0  b:31  MASK:31",
                                  {"viewport", "device", "direct3D", "zBuffer", "backBuffer", "backBuffer",
                                   "primary", "directDraw"}},
                      FailingStep{"SetCurrentViewport",
                                  "r:0  g:0  b:31  MASK:31",
                                  {"viewport", "device", "direct3D", "zBuffer", "backBuffer", "backBuffer",
                                   "primary", "directDraw"}}));

// Whichever call fails, ReleaseDisplay gives back everything made, once each,
// and nothing is used after its last release.
TEST_F(CreateDisplay, AFailureAtAnyCallLeavesNothingBehind) {
    ASSERT_EQ(Create(), 0);
    display.ReleaseDisplay();
    const Lines calls = world.log;
    for (size_t n = 0; n < calls.size(); ++n) {
        fake::Reset().FailCallNumber(n, FAILURE);
        DisplayDevice failing;
        failing.hWnd = WINDOW;
        failing.CreateDisplay(640, 480, 16);
        failing.ReleaseDisplay();
        EXPECT_EQ(world.LiveNames(), Lines{}) << "failing " << calls[n];
        EXPECT_EQ(world.faults, Lines{}) << "failing " << calls[n];
    }
}

TEST_F(CreateDisplay, AsksForTheIntrosModeSurfacesAndZBuffer) {
    ASSERT_EQ(Create(), 0);
    EXPECT_EQ(world.createdWith.back(), "null");
    EXPECT_EQ(DirectDraw().cooperativeWindow, WINDOW);
    EXPECT_EQ(DirectDraw().cooperativeFlags, 0x811u);
    const DDSURFACEDESC2& primary = *DirectDraw().Request(DDSCAPS_PRIMARYSURFACE);
    EXPECT_EQ(primary.dwSize, 124u);
    EXPECT_EQ(primary.dwFlags, 0x21u);
    EXPECT_EQ(primary.dwBackBufferCount, 1u);
    EXPECT_EQ(primary.ddsCaps.dwCaps, 0x2218u);
    const DDSURFACEDESC2& zBuffer = *DirectDraw().Request(DDSCAPS_ZBUFFER);
    EXPECT_EQ(zBuffer.dwFlags, 0x1007u);
    EXPECT_EQ(zBuffer.ddsCaps.dwCaps, 0x20800u);  // software: system memory
    EXPECT_EQ(zBuffer.dwWidth, 640u);
    EXPECT_EQ(zBuffer.ddpfPixelFormat.dwZBufferBitDepth, 16u);
    EXPECT_EQ(display.width, 640);
    EXPECT_EQ(display.height, 480);
    EXPECT_EQ(display.bitsPerPixel, 16);
    EXPECT_EQ(display.pixelFormat.greenBits, 6);
}

TEST_F(CreateDisplay, TheViewportHasANegativeClipHeight) {
    ASSERT_EQ(Create(), 0);
    const D3DVIEWPORT2& v = world.Get<fake::Viewport>("viewport").lastViewport;
    EXPECT_EQ(v.dwSize, 44u);
    EXPECT_EQ(v.dwX, 0u);
    EXPECT_EQ(v.dwY, 0u);
    EXPECT_EQ(v.dwWidth, 640u);
    EXPECT_EQ(v.dwHeight, 480u);
    EXPECT_EQ(v.dvClipX, -1.0f);
    EXPECT_EQ(v.dvClipY, -0.75f);
    EXPECT_EQ(v.dvClipWidth, 2.0f);
    EXPECT_EQ(v.dvClipHeight, -1.5f);
    EXPECT_EQ(v.dvMinZ, 0.0f);
    EXPECT_EQ(v.dvMaxZ, 1.0f);
}

TEST_F(CreateDisplay, AViewportTheDeviceAlreadyHasIsNoFailure) {
    world.Fail("AddViewport", E_INVALIDARG);
    EXPECT_EQ(Create(), 0);
    EXPECT_NE(std::find(world.log.begin(), world.log.end(), "device.SetCurrentViewport"), world.log.end());
    world.Succeed("AddViewport");
    world.Fail("AddViewport", FAILURE);
    display.viewportHolder.ReleaseViewport();
    EXPECT_EQ(display.viewportHolder.SetUpViewport(0, 0, 640, 480), FAILURE);
}

TEST_F(CreateDisplay, AnAddOnDriverIsCreatedByItsGuid) {
    fake::Driver card;
    card.guid = GUID{0xC0DE, 1, 2, {3}};
    card.description = "card";
    world.drivers.push_back(card);
    ASSERT_EQ(Create(), 0);
    EXPECT_EQ(world.createdWith.back(), std::to_string(0xC0DE));
}

TEST_F(CreateDisplay, WithNoDriverTheDefaultDriverIsUsed) {
    world.drivers.clear();
    EXPECT_EQ(Create(), 0);
    EXPECT_EQ(display.chosenDriver, 255);
    EXPECT_EQ(world.createdWith.back(), "null");
}

TEST_F(CreateDisplay, HardwareOfferingOnlyStencilFormatsEndsTheChainAsAFailure) {
    world.hardware = true;
    world.halFormats = {fake::DepthFormat(DDPF_ZBUFFER | DDPF_STENCILBUFFER, 32),
                        fake::DepthFormat(DDPF_ZBUFFER | DDPF_STENCILBUFFER, 16)};
    EXPECT_EQ(RunAndRelease(D3DERR_ZBUFFER_NOTPRESENT, "Using hardware z-buffer"),
              (Lines{"direct3D", "backBuffer", "primary", "directDraw"}));
}

TEST_F(CreateDisplay, HardwareWithAPureDepthFormatMakesAHalDevice) {
    world.hardware = true;
    world.halFormats = {fake::DepthFormat(DDPF_ZBUFFER | DDPF_STENCILBUFFER, 32),
                        fake::DepthFormat(DDPF_ZBUFFER, 24), fake::DepthFormat(DDPF_ZBUFFER, 16)};
    EXPECT_EQ(Create(), 0);
    // The first pure depth format in the driver's order, in video memory.
    const DDSURFACEDESC2& zBuffer = *DirectDraw().Request(DDSCAPS_ZBUFFER);
    EXPECT_EQ(zBuffer.ddpfPixelFormat.dwZBufferBitDepth, 24u);
    EXPECT_EQ(zBuffer.ddsCaps.dwCaps, 0x24000u);
    const Lines log = DebugLogLines();
    EXPECT_NE(std::find(log.begin(), log.end(), "HAL"), log.end());
    EXPECT_EQ(std::find(log.begin(), log.end(), "attempting software z-buffer"), log.end());
}

TEST_F(CreateDisplay, AFiveFiveFiveScreenIsAnalysedFromThePrimary) {
    world.redMask = 0x7C00;
    world.greenMask = 0x03E0;
    ASSERT_EQ(Create(), 0);
    EXPECT_EQ(display.pixelFormat.redShift, 10);
    EXPECT_EQ(display.pixelFormat.greenBits, 5);
    EXPECT_EQ(display.pixelFormat.greenDiv, 8.0f);
}

TEST(CreateDisplayStandIn, TheRealChainWritesTheWholeLog) {
    ClearDebugLog();
    {
        DisplayDevice display;
        display.hWnd = WINDOW;
        ASSERT_EQ(display.CreateDisplay(640, 480, 16), 0);
        EXPECT_NE(display.device, nullptr);
        EXPECT_NE(display.viewportHolder.viewport, nullptr);
        EXPECT_EQ(display.pixelFormat.redShift, 11);
        // The device draws into the back buffer the program keeps.
        D3DRECT all{0, 0, 640, 480};
        EXPECT_EQ(display.viewportHolder.viewport->Clear2(1, &all, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER,
                                                          0xFFFFFFFF, 1.0f, 0),
                  D3D_OK);
        EXPECT_EQ(display.primarySurface->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    }  // the destructor releases everything; leak checkers watch the chain go
    Lines expected = {"Drivers enumerated",
                      "DirectDrawCreated",
                      "DDraw interface found",
                      "Cooperative level set",
                      "Displaymode Set",
                      "Primary Surface Created",
                      "Backbuffer attached",
                      "D3D interface found",
                      "attempting software z-buffer",
                      "Using software z-buffer",
                      "Z-Buffer created",
                      "Z-Buffer attached",
                      "RGB",
                      "Render target set"};
    expected.insert(expected.end(), PIXEL_FORMAT_565.begin(), PIXEL_FORMAT_565.end());
    expected.push_back("de-referencing DirectX");
    EXPECT_EQ(DebugLogLines(), expected);
}

TEST(CreateDisplayStandIn, ReleasingAnEmptyDisplayOnlyLogs) {
    ClearDebugLog();
    DisplayDevice display;
    display.ReleaseDisplay();
    EXPECT_EQ(DebugLogLines(), Lines{"de-referencing DirectX"});
}

}  // namespace
