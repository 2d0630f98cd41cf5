// The display chain: what each step asks for, where a failure stops it, what
// the log shows, and what ReleaseDisplay then gives back; plus the real
// stand-in's chain and its log.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/display_device.h"
#include "tests/display/fake_directx.h"
#include "tests/display/log_lines.h"

namespace {

using Lines = std::vector<std::string>;

HWND const WINDOW = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x60D));
constexpr HRESULT FAILURE = static_cast<HRESULT>(0x8876F00D);

const Lines PIXEL_FORMAT_565 = {"redbit:5  greenbit:6  bluebit 5", "reddiv:8.00  greendiv:4.00  bluediv 8.00",
                                "r:0  g:0  b:31  MASK:31"};

Lines Releases(std::initializer_list<const char*> names) {
    Lines lines;
    for (const char* name : names) {
        lines.push_back(std::string("Release ") + name);
    }
    return lines;
}

class CreateDisplay : public ::testing::Test {
protected:
    void SetUp() override {
        ClearLog();
        fake::Install();
    }
    void TearDown() override { fake::Uninstall(); }
    // Builds the chain, checks the result and the last log line, then
    // releases it and returns the releases made by ReleaseDisplay.
    Lines RunAndRelease(HRESULT expected, const std::string& lastLine) {
        DisplayDevice display;
        display.hWnd = WINDOW;
        EXPECT_EQ(display.CreateDisplay(640, 480, 16), expected);
        const Lines log = LogLines();
        EXPECT_FALSE(log.empty());
        if (!log.empty()) {
            EXPECT_EQ(log.back(), lastLine);
        }
        fake::TheWorld().releases.clear();
        display.ReleaseDisplay();
        EXPECT_EQ(fake::TheWorld().live, 0) << "everything made was released";
        EXPECT_EQ(display.device, nullptr);
        EXPECT_EQ(display.directDraw, nullptr);
        EXPECT_EQ(display.width, 0);
        EXPECT_EQ(LogLines().back(), "de-referencing DirectX");
        return fake::TheWorld().releases;
    }
};

struct FailingStep {
    const char* call;
    const char* lastLine;
    Lines released;
};

class FailingAt : public CreateDisplay, public ::testing::WithParamInterface<FailingStep> {};

TEST_P(FailingAt, StopsWithTheCodeAndReleasesWhatExists) {
    const FailingStep& step = GetParam();
    fake::TheWorld().failures[step.call] = FAILURE;
    if (std::string(step.call) == "EnumZBufferFormats RGB") {
        fake::TheWorld().failures["EnumZBufferFormats HAL"] = DDERR_NODIRECTDRAWHW;
    }
    EXPECT_EQ(RunAndRelease(FAILURE, step.lastLine), step.released);
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, FailingAt,
    ::testing::Values(
        FailingStep{"DirectDrawCreate", "Drivers enumerated", {}},
        FailingStep{"QueryInterface IDirectDraw4", "DirectDrawCreated", {}},
        FailingStep{"SetCooperativeLevel", "DDraw interface found", Releases({"directDraw"})},
        FailingStep{"SetDisplayMode", "Cooperative level set", Releases({"directDraw"})},
        FailingStep{"CreateSurface primary", "Displaymode Set", Releases({"directDraw"})},
        FailingStep{"GetAttachedSurface", "Primary Surface Created", Releases({"primary", "directDraw"})},
        FailingStep{"QueryInterface IDirect3D3", "Backbuffer attached",
                    Releases({"backBuffer", "primary", "directDraw"})},
        FailingStep{"EnumZBufferFormats RGB", "attempting software z-buffer",
                    Releases({"direct3D", "backBuffer", "primary", "directDraw"})},
        FailingStep{"CreateSurface zBuffer", "Using software z-buffer",
                    Releases({"direct3D", "backBuffer", "primary", "directDraw"})},
        FailingStep{"AddAttachedSurface", "Z-Buffer created",
                    Releases({"direct3D", "zBuffer", "backBuffer", "primary", "directDraw"})},
        FailingStep{"CreateDevice RGB", "Z-Buffer attached",
                    Releases({"direct3D", "zBuffer", "backBuffer", "primary", "directDraw"})},
        // From here the program holds a second reference to the back buffer.
        FailingStep{"SetRenderTarget", "RGB",
                    Releases({"device", "direct3D", "zBuffer", "backBuffer", "backBuffer", "primary",
                              "directDraw"})},
        FailingStep{"CreateViewport", "r:0  g:0  b:31  MASK:31",
                    Releases({"device", "direct3D", "zBuffer", "backBuffer", "backBuffer", "primary",
                              "directDraw"})},
        FailingStep{"SetViewport2", "r:0  g:0  b:31  MASK:31",
                    Releases({"viewport", "device", "direct3D", "zBuffer", "backBuffer", "backBuffer", "primary",
                              "directDraw"})},
        FailingStep{"SetCurrentViewport", "r:0  g:0  b:31  MASK:31",
                    Releases({"viewport", "device", "direct3D", "zBuffer", "backBuffer", "backBuffer", "primary",
                              "directDraw"})}));

TEST_F(CreateDisplay, AsksForTheIntrosModeSurfacesAndZBuffer) {
    DisplayDevice display;
    display.hWnd = WINDOW;
    ASSERT_EQ(display.CreateDisplay(640, 480, 16), 0);
    const fake::World& world = fake::TheWorld();
    EXPECT_EQ(world.createdWith.back(), "null");
    EXPECT_EQ(world.cooperativeWindow, WINDOW);
    EXPECT_EQ(world.cooperativeFlags, 0x811u);
    EXPECT_EQ(world.primaryDesc.dwSize, 124u);
    EXPECT_EQ(world.primaryDesc.dwFlags, 0x21u);
    EXPECT_EQ(world.primaryDesc.dwBackBufferCount, 1u);
    EXPECT_EQ(world.primaryDesc.ddsCaps.dwCaps, 0x2218u);
    EXPECT_EQ(world.zBufferDesc.dwFlags, 0x1007u);
    EXPECT_EQ(world.zBufferDesc.ddsCaps.dwCaps, 0x20800u);  // software: system memory
    EXPECT_EQ(world.zBufferDesc.dwWidth, 640u);
    EXPECT_EQ(world.zBufferDesc.ddpfPixelFormat.dwZBufferBitDepth, 16u);
    EXPECT_EQ(display.width, 640);
    EXPECT_EQ(display.height, 480);
    EXPECT_EQ(display.bitsPerPixel, 16);
    EXPECT_EQ(display.pixelFormat.greenBits, 6);
}

TEST_F(CreateDisplay, TheViewportHasANegativeClipHeight) {
    DisplayDevice display;
    display.hWnd = WINDOW;
    ASSERT_EQ(display.CreateDisplay(640, 480, 16), 0);
    const D3DVIEWPORT2& v = fake::TheWorld().viewport;
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
    fake::TheWorld().failures["AddViewport"] = E_INVALIDARG;
    DisplayDevice display;
    display.hWnd = WINDOW;
    EXPECT_EQ(display.CreateDisplay(640, 480, 16), 0);
    const std::vector<std::string>& calls = fake::TheWorld().calls;
    EXPECT_NE(std::find(calls.begin(), calls.end(), "SetCurrentViewport"), calls.end());
    fake::TheWorld().failures["AddViewport"] = FAILURE;
    display.viewportHolder.ReleaseViewport();
    EXPECT_EQ(display.viewportHolder.SetUpViewport(0, 0, 640, 480), FAILURE);
}

TEST_F(CreateDisplay, AnAddOnDriverIsCreatedByItsGuid) {
    fake::Driver card;
    card.guid = GUID{0xC0DE, 1, 2, {3}};
    card.description = "card";
    fake::TheWorld().drivers.push_back(card);
    DisplayDevice display;
    display.hWnd = WINDOW;
    ASSERT_EQ(display.CreateDisplay(640, 480, 16), 0);
    EXPECT_EQ(fake::TheWorld().createdWith.back(), std::to_string(0xC0DE));
}

TEST_F(CreateDisplay, WithNoDriverTheDefaultDriverIsUsed) {
    fake::TheWorld().drivers.clear();
    DisplayDevice display;
    display.hWnd = WINDOW;
    EXPECT_EQ(display.CreateDisplay(640, 480, 16), 0);
    EXPECT_EQ(display.chosenDriver, 255);
    EXPECT_EQ(fake::TheWorld().createdWith.back(), "null");
}

TEST_F(CreateDisplay, HardwareOfferingOnlyStencilFormatsEndsTheChainAsAFailure) {
    fake::TheWorld().failures.erase("EnumZBufferFormats HAL");
    fake::TheWorld().halFormats = {fake::DepthFormat(DDPF_ZBUFFER | DDPF_STENCILBUFFER, 32),
                                   fake::DepthFormat(DDPF_ZBUFFER | DDPF_STENCILBUFFER, 16)};
    EXPECT_EQ(RunAndRelease(D3DERR_ZBUFFER_NOTPRESENT, "Using hardware z-buffer"),
              Releases({"direct3D", "backBuffer", "primary", "directDraw"}));
}

TEST_F(CreateDisplay, HardwareWithAPureDepthFormatMakesAHalDevice) {
    fake::TheWorld().failures.erase("EnumZBufferFormats HAL");
    fake::TheWorld().halFormats = {fake::DepthFormat(DDPF_ZBUFFER | DDPF_STENCILBUFFER, 32),
                                   fake::DepthFormat(DDPF_ZBUFFER, 24), fake::DepthFormat(DDPF_ZBUFFER, 16)};
    DisplayDevice display;
    display.hWnd = WINDOW;
    EXPECT_EQ(display.CreateDisplay(640, 480, 16), 0);
    // The first pure depth format in the driver's order, in video memory.
    EXPECT_EQ(fake::TheWorld().zBufferDesc.ddpfPixelFormat.dwZBufferBitDepth, 24u);
    EXPECT_EQ(fake::TheWorld().zBufferDesc.ddsCaps.dwCaps, 0x24000u);
    const Lines log = LogLines();
    EXPECT_NE(std::find(log.begin(), log.end(), "HAL"), log.end());
    EXPECT_EQ(std::find(log.begin(), log.end(), "attempting software z-buffer"), log.end());
}

TEST_F(CreateDisplay, AFiveFiveFiveScreenIsAnalysedFromThePrimary) {
    fake::TheWorld().primaryRedMask = 0x7C00;
    fake::TheWorld().primaryGreenMask = 0x03E0;
    DisplayDevice display;
    display.hWnd = WINDOW;
    ASSERT_EQ(display.CreateDisplay(640, 480, 16), 0);
    EXPECT_EQ(display.pixelFormat.redShift, 10);
    EXPECT_EQ(display.pixelFormat.greenBits, 5);
    EXPECT_EQ(display.pixelFormat.greenDiv, 8.0f);
}

TEST(CreateDisplayStandIn, TheRealChainWritesTheWholeLog) {
    ClearLog();
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
    Lines expected = {"Drivers enumerated",   "DirectDrawCreated",     "DDraw interface found",
                      "Cooperative level set", "Displaymode Set",       "Primary Surface Created",
                      "Backbuffer attached",  "D3D interface found",   "attempting software z-buffer",
                      "Using software z-buffer", "Z-Buffer created",  "Z-Buffer attached",
                      "RGB",                  "Render target set"};
    expected.insert(expected.end(), PIXEL_FORMAT_565.begin(), PIXEL_FORMAT_565.end());
    expected.push_back("de-referencing DirectX");
    EXPECT_EQ(LogLines(), expected);
}

TEST(CreateDisplayStandIn, ReleasingAnEmptyDisplayOnlyLogs) {
    ClearLog();
    DisplayDevice display;
    display.ReleaseDisplay();
    EXPECT_EQ(LogLines(), Lines{"de-referencing DirectX"});
}

}  // namespace
