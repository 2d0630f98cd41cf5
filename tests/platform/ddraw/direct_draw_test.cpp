// The DirectDraw stand-in: entries, cooperative level, display mode, surface
// creation, attachment, locking and reference counts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/ddraw/ddraw.h"
#include "platform/ddraw/testing.h"
#include "tests/support/intro_requests.h"

namespace {

HWND const WINDOW = reinterpret_cast<HWND>(static_cast<uintptr_t>(0xD15));

struct Enumerated {
    int calls = 0;
    bool nullGuid = false;
    std::string description;
};

BOOL Record(GUID* guid, LPSTR description, LPSTR, LPVOID context, HMONITOR) {
    auto* seen = static_cast<Enumerated*>(context);
    ++seen->calls;
    seen->nullGuid = guid == nullptr;
    seen->description = description;
    return TRUE;
}

class DirectDrawTest : public ::testing::Test {
  protected:
    void SetUp() override {
        directDraw = CreateDirectDraw4();
        ASSERT_NE(directDraw, nullptr);
    }
    void TearDown() override {
        if (directDraw != nullptr) {
            directDraw->Release();
        }
    }
    IDirectDraw4* directDraw = nullptr;
};

TEST(DirectDrawEntries, EnumeratesThePrimaryDriverOnceWithANullGuid) {
    Enumerated seen;
    EXPECT_EQ(DirectDrawEnumerateExA(Record, &seen, 7), DD_OK);
    EXPECT_EQ(seen.calls, 1);
    EXPECT_TRUE(seen.nullGuid);
    EXPECT_FALSE(seen.description.empty());
}

TEST(DirectDrawEntries, CreatesOnlyTheDefaultDriver) {
    IDirectDraw* first = nullptr;
    GUID other{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
    EXPECT_EQ(DirectDrawCreate(&other, &first, nullptr), DDERR_INVALIDDIRECTDRAWGUID);
    EXPECT_EQ(first, nullptr);
    ASSERT_EQ(DirectDrawCreate(nullptr, &first, nullptr), DD_OK);
    void* found = nullptr;
    EXPECT_EQ(first->QueryInterface(IID_IDirectDrawSurface4, &found), E_NOINTERFACE);
    ASSERT_EQ(first->QueryInterface(IID_IDirectDraw4, &found), S_OK);
    // The first interface goes; the new one lives on by its own reference.
    EXPECT_EQ(first->Release(), 0u);
    auto* directDraw = static_cast<IDirectDraw4*>(found);
    EXPECT_EQ(directDraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
    EXPECT_EQ(directDraw->Release(), 0u);
}

TEST_F(DirectDrawTest, CooperativeLevelsAndDisplayModes) {
    EXPECT_EQ(directDraw->SetCooperativeLevel(WINDOW, DDSCL_FULLSCREEN), DDERR_INVALIDPARAMS);
    EXPECT_EQ(directDraw->SetCooperativeLevel(nullptr, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE),
              DDERR_INVALIDPARAMS);
    EXPECT_EQ(directDraw->SetCooperativeLevel(WINDOW, DDSCL_NORMAL | DDSCL_EXCLUSIVE), DDERR_INVALIDPARAMS);
    EXPECT_EQ(directDraw->SetDisplayMode(640, 480, 16, 0, 0), DDERR_NOEXCLUSIVEMODE);
    EXPECT_EQ(directDraw->SetCooperativeLevel(WINDOW, 0x811), DD_OK);
    EXPECT_EQ(directDraw->SetDisplayMode(640, 480, 32, 0, 0), DDERR_INVALIDMODE);
    EXPECT_EQ(directDraw->SetDisplayMode(640, 480, 16, 0, 0), DD_OK);
    EXPECT_EQ(directDraw->SetCooperativeLevel(WINDOW, DDSCL_NORMAL), DD_OK);
}

TEST_F(DirectDrawTest, FlippingPrimaryNeedsExclusiveModeAndTakesTheModeSize) {
    IDirectDrawSurface4* primary = nullptr;
    DDSURFACEDESC2 desc = PrimaryDesc();
    EXPECT_EQ(directDraw->CreateSurface(&desc, &primary, nullptr), DDERR_NOEXCLUSIVEMODE);
    ASSERT_EQ(directDraw->SetCooperativeLevel(WINDOW, 0x811), DD_OK);
    ASSERT_EQ(directDraw->SetDisplayMode(320, 200, 16, 0, 0), DD_OK);
    ASSERT_EQ(directDraw->CreateSurface(&desc, &primary, nullptr), DD_OK);
    DDSURFACEDESC2 got = SizedDesc();
    ASSERT_EQ(primary->GetSurfaceDesc(&got), DD_OK);
    EXPECT_EQ(got.dwWidth, 320u);
    EXPECT_EQ(got.dwHeight, 200u);
    EXPECT_EQ(got.lPitch, 640);
    EXPECT_EQ(got.dwBackBufferCount, 1u);
    DDPIXELFORMAT format{};
    EXPECT_EQ(primary->GetPixelFormat(&format), DDERR_INVALIDPARAMS);  // size not set
    format.dwSize = sizeof(DDPIXELFORMAT);
    ASSERT_EQ(primary->GetPixelFormat(&format), DD_OK);
    EXPECT_EQ(format.dwFlags, DDPF_RGB);
    EXPECT_EQ(format.dwRGBBitCount, 16u);
    EXPECT_EQ(format.dwRBitMask, 0xF800u);
    EXPECT_EQ(format.dwGBitMask, 0x07E0u);
    EXPECT_EQ(format.dwBBitMask, 0x001Fu);
    primary->Release();
}

TEST(DirectDrawFormats, TheTestSeamGivesFiveFiveFive) {
    SetScreenFormat555ForTesting(true);
    IDirectDraw4* directDraw = CreateDirectDraw4();
    SetScreenFormat555ForTesting(false);
    ASSERT_NE(directDraw, nullptr);
    IDirectDrawSurface4* surface = nullptr;
    DDSURFACEDESC2 desc = OffScreenDesc(8, 8);
    ASSERT_EQ(directDraw->CreateSurface(&desc, &surface, nullptr), DD_OK);
    DDPIXELFORMAT format{};
    format.dwSize = sizeof(DDPIXELFORMAT);
    ASSERT_EQ(surface->GetPixelFormat(&format), DD_OK);
    EXPECT_EQ(format.dwRBitMask, 0x7C00u);
    EXPECT_EQ(format.dwGBitMask, 0x03E0u);
    EXPECT_EQ(format.dwBBitMask, 0x001Fu);
    surface->Release();
    directDraw->Release();
}

TEST_F(DirectDrawTest, ReferenceCountsOfTheFlippingChain) {
    ASSERT_EQ(directDraw->SetCooperativeLevel(WINDOW, 0x811), DD_OK);
    IDirectDrawSurface4* primary = nullptr;
    DDSURFACEDESC2 desc = PrimaryDesc();
    ASSERT_EQ(directDraw->CreateSurface(&desc, &primary, nullptr), DD_OK);
    DDSCAPS2 caps{DDSCAPS_BACKBUFFER, 0, 0, 0};
    IDirectDrawSurface4* back = nullptr;
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
    IDirectDrawSurface4* again = nullptr;
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &again), DD_OK);
    EXPECT_EQ(again, back);
    // The primary's own reference plus the two handed out.
    EXPECT_EQ(back->AddRef(), 4u);
    EXPECT_EQ(back->Release(), 3u);
    EXPECT_EQ(again->Release(), 2u);
    EXPECT_EQ(back->Release(), 1u);
    DDSCAPS2 zCaps{DDSCAPS_ZBUFFER, 0, 0, 0};
    IDirectDrawSurface4* none = nullptr;
    EXPECT_EQ(primary->GetAttachedSurface(&zCaps, &none), DDERR_NOTFOUND);
    // The primary frees its back buffer with itself (leak checkers see it).
    EXPECT_EQ(primary->Release(), 0u);
}

TEST_F(DirectDrawTest, ZBuffersArePureSixteenBitDepthOfTheSameSize) {
    ASSERT_EQ(directDraw->SetCooperativeLevel(WINDOW, 0x811), DD_OK);
    IDirectDrawSurface4* primary = nullptr;
    DDSURFACEDESC2 desc = PrimaryDesc();
    ASSERT_EQ(directDraw->CreateSurface(&desc, &primary, nullptr), DD_OK);
    IDirectDrawSurface4* back = nullptr;
    DDSCAPS2 caps{DDSCAPS_BACKBUFFER, 0, 0, 0};
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);

    IDirectDrawSurface4* stencil = nullptr;
    DDSURFACEDESC2 stencilDesc = ZBufferDesc(640, 480, DDPF_ZBUFFER | DDPF_STENCILBUFFER);
    EXPECT_EQ(directDraw->CreateSurface(&stencilDesc, &stencil, nullptr), DDERR_INVALIDPIXELFORMAT);
    IDirectDrawSurface4* small = nullptr;
    DDSURFACEDESC2 smallDesc = ZBufferDesc(320, 240);
    ASSERT_EQ(directDraw->CreateSurface(&smallDesc, &small, nullptr), DD_OK);
    EXPECT_EQ(back->AddAttachedSurface(small), DDERR_CANNOTATTACHSURFACE);
    IDirectDrawSurface4* depth = nullptr;
    DDSURFACEDESC2 depthDesc = ZBufferDesc(640, 480);
    ASSERT_EQ(directDraw->CreateSurface(&depthDesc, &depth, nullptr), DD_OK);
    EXPECT_EQ(back->AddAttachedSurface(depth), DD_OK);
    EXPECT_EQ(back->AddAttachedSurface(depth), DDERR_SURFACEALREADYATTACHED);
    // Attaching took a reference: the creator's release leaves it alive.
    EXPECT_EQ(depth->Release(), 1u);
    small->Release();
    back->Release();
    primary->Release();
}

TEST_F(DirectDrawTest, LockGivesThePitchAndTheRectanglesCorner) {
    IDirectDrawSurface4* surface = nullptr;
    DDSURFACEDESC2 desc = OffScreenDesc(520, 406);
    ASSERT_EQ(directDraw->CreateSurface(&desc, &surface, nullptr), DD_OK);
    DDSURFACEDESC2 whole = SizedDesc();
    ASSERT_EQ(surface->Lock(nullptr, &whole, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(whole.lPitch, 1040);
    EXPECT_EQ(whole.dwWidth, 520u);
    EXPECT_EQ(whole.dwHeight, 406u);
    DDSURFACEDESC2 twice = SizedDesc();
    EXPECT_EQ(surface->Lock(nullptr, &twice, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
    ASSERT_EQ(surface->Unlock(nullptr), DD_OK);
    EXPECT_EQ(surface->Unlock(nullptr), DDERR_NOTLOCKED);

    RECT rect{10, 20, 30, 40};
    DDSURFACEDESC2 part = SizedDesc();
    ASSERT_EQ(surface->Lock(&rect, &part, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(static_cast<uint8_t*>(part.lpSurface),
              static_cast<uint8_t*>(whole.lpSurface) + 20 * 1040 + 10 * 2);
    surface->Unlock(&rect);
    RECT outside{500, 400, 521, 406};
    EXPECT_EQ(surface->Lock(&outside, &part, DDLOCK_WAIT, nullptr), DDERR_INVALIDRECT);
    surface->Release();
}

TEST_F(DirectDrawTest, SurfaceDescriptionsAndColourKeys) {
    IDirectDrawSurface4* surface = nullptr;
    DDSURFACEDESC2 desc = OffScreenDesc(320, 221);
    desc.dwSize = 99;
    EXPECT_EQ(directDraw->CreateSurface(&desc, &surface, nullptr), DDERR_INVALIDPARAMS);
    desc.dwSize = DDSURFACEDESC2_SIZE_WIN32;
    ASSERT_EQ(directDraw->CreateSurface(&desc, &surface, nullptr), DD_OK);
    DDCOLORKEY key{0xFFFF, 0xFFFF};
    ASSERT_EQ(surface->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(surface->SetColorKey(0x1 | DDCKEY_SRCBLT, &key), DDERR_INVALIDPARAMS);  // colour ranges
    DDSURFACEDESC2 got = SizedDesc();
    ASSERT_EQ(surface->GetSurfaceDesc(&got), DD_OK);
    EXPECT_EQ(got.dwWidth, 320u);
    EXPECT_EQ(got.dwHeight, 221u);
    EXPECT_EQ(got.lPitch, 640);
    EXPECT_NE(got.ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY, 0u);
    EXPECT_NE(got.dwFlags & DDSD_CKSRCBLT, 0u);
    EXPECT_EQ(got.ddckCKSrcBlt.dwColorSpaceLowValue, 0xFFFFu);
    EXPECT_EQ(surface->IsLost(), DD_OK);
    EXPECT_EQ(surface->Release(), 0u);
}

}  // namespace
