// BltFast inside, at and past the edges, with and without the colour key;
// Flip swapping memory while the objects stay.
#include <gtest/gtest.h>

#include <vector>

#include "platform/ddraw/ddraw.h"
#include "platform/ddraw/testing.h"
#include "platform/present/presenter.h"
#include "tests/support/intro_requests.h"

namespace {

HWND const WINDOW = reinterpret_cast<HWND>(static_cast<uintptr_t>(0xB17));

class BlitTest : public ::testing::Test {
  protected:
    void SetUp() override {
        directDraw = CreateDirectDraw4();
        ASSERT_NE(directDraw, nullptr);
        destination = Make(16, 12);
        source = Make(8, 6);
        FillSurface(destination, [](int, int) { return uint16_t{0x1111}; });
        // Every source pixel different: value = 0x100 + y * 8 + x.
        FillSurface(source, [](int x, int y) { return static_cast<uint16_t>(0x100 + y * 8 + x); });
    }
    void TearDown() override {
        source->Release();
        destination->Release();
        directDraw->Release();
    }

    IDirectDrawSurface4* Make(DWORD width, DWORD height) {
        DDSURFACEDESC2 desc = OffScreenDesc(width, height);
        IDirectDrawSurface4* surface = nullptr;
        EXPECT_EQ(directDraw->CreateSurface(&desc, &surface, nullptr), DD_OK);
        return surface;
    }

    template <class Pattern>
    static void FillSurface(IDirectDrawSurface4* surface, Pattern pattern) {
        DDSURFACEDESC2 desc = SizedDesc();
        ASSERT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
        auto* pixels = static_cast<uint16_t*>(desc.lpSurface);
        for (DWORD y = 0; y < desc.dwHeight; ++y) {
            for (DWORD x = 0; x < desc.dwWidth; ++x) {
                pixels[y * desc.lPitch / 2 + x] = pattern(static_cast<int>(x), static_cast<int>(y));
            }
        }
        surface->Unlock(nullptr);
    }

    static std::vector<uint16_t> Read(IDirectDrawSurface4* surface) {
        DDSURFACEDESC2 desc = SizedDesc();
        EXPECT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
        const auto* pixels = static_cast<const uint16_t*>(desc.lpSurface);
        std::vector<uint16_t> copy(pixels, pixels + desc.dwWidth * desc.dwHeight);
        surface->Unlock(nullptr);
        return copy;
    }

    IDirectDraw4* directDraw = nullptr;
    IDirectDrawSurface4* destination = nullptr;
    IDirectDrawSurface4* source = nullptr;
};

TEST_F(BlitTest, CopiesTheSourceRectangleToItsPlaceAndNothingElse) {
    RECT rect{2, 1, 5, 4};  // 3 x 3 from (2, 1)
    ASSERT_EQ(destination->BltFast(6, 7, source, &rect, DDBLTFAST_WAIT), DD_OK);
    const std::vector<uint16_t> pixels = Read(destination);
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 16; ++x) {
            const bool inside = x >= 6 && x < 9 && y >= 7 && y < 10;
            const uint16_t expected =
                inside ? static_cast<uint16_t>(0x100 + (y - 7 + 1) * 8 + (x - 6 + 2)) : 0x1111;
            ASSERT_EQ(pixels[y * 16 + x], expected) << x << "," << y;
        }
    }
}

TEST_F(BlitTest, ANullRectangleIsTheWholeSourceAndMayTouchTheEdges) {
    ASSERT_EQ(destination->BltFast(8, 6, source, nullptr, DDBLTFAST_WAIT), DD_OK);
    const std::vector<uint16_t> pixels = Read(destination);
    EXPECT_EQ(pixels[6 * 16 + 8], 0x100);
    EXPECT_EQ(pixels[11 * 16 + 15], 0x100 + 5 * 8 + 7);  // bottom-right corner of both
    EXPECT_EQ(pixels[5 * 16 + 15], 0x1111);
}

TEST_F(BlitTest, ReachingPastAnEdgeDrawsNothing) {
    const std::vector<uint16_t> before = Read(destination);
    EXPECT_EQ(destination->BltFast(9, 0, source, nullptr, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
    EXPECT_EQ(destination->BltFast(0, 7, source, nullptr, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
    EXPECT_EQ(destination->BltFast(0xFFFFFFFFu, 0, source, nullptr, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
    RECT beyondSource{4, 0, 9, 2};
    EXPECT_EQ(destination->BltFast(0, 0, source, &beyondSource, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
    RECT reversed{4, 0, 2, 2};
    EXPECT_EQ(destination->BltFast(0, 0, source, &reversed, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
    EXPECT_EQ(Read(destination), before);
}

TEST_F(BlitTest, AnEmptyRectangleDrawsNothing) {
    const std::vector<uint16_t> before = Read(destination);
    RECT empty{0, 0, 8, 0};  // a panel with no line shown yet
    EXPECT_EQ(destination->BltFast(3, 3, source, &empty, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT),
              DDERR_NOCOLORKEY);
    DDCOLORKEY key{0xFFFF, 0xFFFF};
    ASSERT_EQ(source->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(destination->BltFast(3, 3, source, &empty, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(Read(destination), before);
}

TEST_F(BlitTest, TheSourceKeyLeavesItsColourOut) {
    // A key in the middle of the source: pixel (3, 2) = 0x113.
    DDCOLORKEY key{0x113, 0x113};
    ASSERT_EQ(source->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    ASSERT_EQ(destination->BltFast(0, 0, source, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
    std::vector<uint16_t> pixels = Read(destination);
    EXPECT_EQ(pixels[2 * 16 + 3], 0x1111);
    EXPECT_EQ(pixels[2 * 16 + 4], 0x114);
    // Without the flag the key is not looked at.
    ASSERT_EQ(destination->BltFast(0, 0, source, nullptr, DDBLTFAST_WAIT), DD_OK);
    pixels = Read(destination);
    EXPECT_EQ(pixels[2 * 16 + 3], 0x113);
}

TEST(BlitFormats, FiveFiveFiveKeysCompareOnlyTheColourBits) {
    SetScreenFormat555ForTesting(true);
    IDirectDraw4* directDraw = CreateDirectDraw4();
    SetScreenFormat555ForTesting(false);
    ASSERT_NE(directDraw, nullptr);
    DDSURFACEDESC2 desc = OffScreenDesc(2, 1);
    IDirectDrawSurface4* from = nullptr;
    IDirectDrawSurface4* to = nullptr;
    ASSERT_EQ(directDraw->CreateSurface(&desc, &from, nullptr), DD_OK);
    ASSERT_EQ(directDraw->CreateSurface(&desc, &to, nullptr), DD_OK);
    DDSURFACEDESC2 locked = SizedDesc();
    ASSERT_EQ(from->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    static_cast<uint16_t*>(locked.lpSurface)[0] = 0xFFFF;  // white with the unused top bit set
    static_cast<uint16_t*>(locked.lpSurface)[1] = 0x001F;
    from->Unlock(nullptr);
    DDCOLORKEY white{0x7FFF, 0x7FFF};
    ASSERT_EQ(from->SetColorKey(DDCKEY_SRCBLT, &white), DD_OK);
    ASSERT_EQ(to->BltFast(0, 0, from, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
    ASSERT_EQ(to->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(static_cast<uint16_t*>(locked.lpSurface)[0], 0);
    EXPECT_EQ(static_cast<uint16_t*>(locked.lpSurface)[1], 0x001F);
    to->Unlock(nullptr);
    to->Release();
    from->Release();
    directDraw->Release();
}

TEST_F(BlitTest, LockedSurfacesAreBusy) {
    DDSURFACEDESC2 desc = SizedDesc();
    ASSERT_EQ(source->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(destination->BltFast(0, 0, source, nullptr, DDBLTFAST_WAIT), DDERR_SURFACEBUSY);
    source->Unlock(nullptr);
}

TEST_F(BlitTest, FlipSwapsMemoryAndKeepsTheObjects) {
    ASSERT_EQ(directDraw->SetCooperativeLevel(WINDOW, 0x811), DD_OK);
    ASSERT_EQ(directDraw->SetDisplayMode(16, 12, 16, 0, 0), DD_OK);
    DDSURFACEDESC2 desc = PrimaryDesc();
    IDirectDrawSurface4* primary = nullptr;
    ASSERT_EQ(directDraw->CreateSurface(&desc, &primary, nullptr), DD_OK);
    IDirectDrawSurface4* back = nullptr;
    DDSCAPS2 caps{DDSCAPS_BACKBUFFER, 0, 0, 0};
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
    FillSurface(primary, [](int, int) { return uint16_t{0xAAAA}; });
    FillSurface(back, [](int x, int y) { return static_cast<uint16_t>(y * 16 + x); });

    EXPECT_EQ(back->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    const std::vector<uint16_t> front = Read(primary);
    const std::vector<uint16_t> behind = Read(back);
    EXPECT_EQ(front[5 * 16 + 7], 5 * 16 + 7);
    EXPECT_EQ(behind[5 * 16 + 7], 0xAAAA);
    // Drawing continues in the same back-buffer object.
    IDirectDrawSurface4* stillBack = nullptr;
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &stillBack), DD_OK);
    EXPECT_EQ(stillBack, back);
    stillBack->Release();
    // A locked buffer cannot be flipped.
    DDSURFACEDESC2 locked = SizedDesc();
    ASSERT_EQ(back->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACEBUSY);
    back->Unlock(nullptr);
    back->Release();
    primary->Release();
}

TEST(Presentation, TheConversionCopiesRowsToAnyPitch) {
    const uint16_t frame[6] = {1, 2, 3, 4, 5, 6};  // 3 x 2
    uint16_t out[2 * 5];
    std::fill(std::begin(out), std::end(out), uint16_t{0xEEEE});
    CopyFrameForPresentation(frame, 3, 2, out, 10);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[2], 3);
    EXPECT_EQ(out[3], 0xEEEE);  // padding untouched
    EXPECT_EQ(out[5], 4);
    EXPECT_EQ(out[7], 6);
}

}  // namespace
