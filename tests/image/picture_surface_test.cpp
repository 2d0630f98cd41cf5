// The picture surface: size, rectangle, packed pixels at the surface's own
// pitch, the ambient level, and every way it can fail.
#include "image/picture_surface.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "tests/image/gif_writer.h"
#include "tests/support/fake_direct_draw.h"
#include "tests/support/installed_resource.h"
#include "tests/support/intro_requests.h"

namespace {

// The channel packing written out by hand, independent of PackColor.
uint16_t Pack565(const Colour& c) {
    return static_cast<uint16_t>(((c[0] >> 3) << 11) | ((c[1] >> 2) << 5) | (c[2] >> 3));
}
uint16_t Pack555(const Colour& c) {
    return static_cast<uint16_t>(((c[0] >> 3) << 10) | ((c[1] >> 3) << 5) | (c[2] >> 3));
}

class PictureSurfaceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        display.directDraw = &directDraw;
        display.pixelFormat = DescribePixelFormat(0xF800, 0x07E0, 0x001F);
        pictureSurface = nullptr;
        pictureRect = RECT{0, 0, 0, 0};
        ambientLevel = 0;
    }
    void TearDown() override { display.directDraw = nullptr; }

    void InstallPicture(const std::vector<uint8_t>& bytes) { resource.emplace(115, bytes); }

    // A giflib-written picture of the given size with random colours.
    void InstallRandomPicture(int width, int height, int colours) {
        const GifStreamSpec layout = RandomGif(width, height, colours, 77u);
        colourTable = layout.globalColours;
        pixels = layout.frames[0].pixels;
        InstallPicture(WriteGifWithGiflib(layout));
    }

    fake::Surface& Made() { return *directDraw.surfaces.at(0); }

    fake::World& world = fake::Reset();
    fake::DirectDraw4& directDraw = world.Make<fake::DirectDraw4>();
    DisplayDevice display;
    std::optional<InstalledResource> resource;
    std::vector<Colour> colourTable;
    std::vector<uint8_t> pixels;
};

TEST_F(PictureSurfaceTest, SurfaceHasThePicturesSizeAndPackedPixels) {
    InstallRandomPicture(21, 13, 64);
    ASSERT_EQ(CreatePictureSurface(display, &pictureSurface, "#115", &pictureRect), 1);
    ASSERT_EQ(directDraw.requests.size(), 1u);
    const DDSURFACEDESC2 expected = OffScreenDesc(21, 13);
    EXPECT_EQ(std::memcmp(&directDraw.requests[0], &expected, sizeof expected), 0);
    EXPECT_EQ(pictureSurface, &Made());
    EXPECT_EQ(pictureRect.left, 0);
    EXPECT_EQ(pictureRect.top, 0);
    EXPECT_EQ(pictureRect.right, 21);
    EXPECT_EQ(pictureRect.bottom, 13);
    EXPECT_EQ(Made().lastLockFlags, DDLOCK_WAIT);
    EXPECT_FALSE(Made().locked);
    for (int y = 0; y < 13; ++y) {
        for (int x = 0; x < 21; ++x) {
            ASSERT_EQ(Made().Pixel(x, y), Pack565(colourTable[pixels[static_cast<size_t>(y * 21 + x)]]))
                << x << "," << y;
        }
    }
}

TEST_F(PictureSurfaceTest, RowsFollowTheReportedPitch) {
    directDraw.extraPitch = 14;
    InstallRandomPicture(9, 7, 256);
    ASSERT_EQ(CreatePictureSurface(display, &pictureSurface, "#115", &pictureRect), 1);
    EXPECT_EQ(Made().pitch, 9 * 2 + 14);
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 9; ++x) {
            ASSERT_EQ(Made().Pixel(x, y), Pack565(colourTable[pixels[static_cast<size_t>(y * 9 + x)]]));
        }
    }
    EXPECT_FALSE(Made().PaddingTouched());
}

TEST_F(PictureSurfaceTest, FiveFiveFiveDisplayAndNoRectangle) {
    display.pixelFormat = DescribePixelFormat(0x7C00, 0x03E0, 0x001F);
    InstallRandomPicture(6, 4, 8);
    ASSERT_EQ(CreatePictureSurface(display, &pictureSurface, "#115", nullptr), 1);
    for (int i = 0; i < 24; ++i) {
        ASSERT_EQ(Made().Pixel(i % 6, i / 6), Pack555(colourTable[pixels[static_cast<size_t>(i)]]));
    }
}

TEST_F(PictureSurfaceTest, IndicesBeyondTheColourCountAreBlack) {
    const std::vector<Colour> twoColours = {{255, 255, 255}, {200, 100, 50}};
    InstallPicture(HandMadeGif(4, 1, 2, Packed({4, 0, 1, 2, 3}).SubBlocks(), twoColours));
    ASSERT_EQ(CreatePictureSurface(display, &pictureSurface, "#115", &pictureRect), 1);
    EXPECT_EQ(Made().Pixel(0, 0), 0xFFFF);
    EXPECT_EQ(Made().Pixel(1, 0), Pack565(twoColours[1]));
    EXPECT_EQ(Made().Pixel(2, 0), 0x0000);
    EXPECT_EQ(Made().Pixel(3, 0), 0x0000);
}

TEST_F(PictureSurfaceTest, AmbientLevelLowBitsBecome65000) {
    ambientLevel = 0xABCD1234u;
    InstallRandomPicture(2, 2, 2);
    ASSERT_EQ(CreatePictureSurface(display, &pictureSurface, "#115", &pictureRect), 1);
    EXPECT_EQ(ambientLevel, 0xABCDFDE8u);
}

TEST_F(PictureSurfaceTest, FailuresReturnZeroAndLeaveTheAmbientLevel) {
    // No resource: nothing is created.
    EXPECT_EQ(CreatePictureSurface(display, &pictureSurface, "#115", &pictureRect), 0);
    EXPECT_TRUE(directDraw.requests.empty());
    // Not a GIF.
    InstallPicture({'N', 'O', 'T', 'G', 'I', 'F', 0, 0});
    EXPECT_EQ(CreatePictureSurface(display, &pictureSurface, "#115", &pictureRect), 0);
    // The surface cannot be created; the rectangle is already set.
    InstallRandomPicture(5, 3, 4);
    world.Fail("CreateSurface", DDERR_OUTOFMEMORY);
    EXPECT_EQ(CreatePictureSurface(display, &pictureSurface, "#115", &pictureRect), 0);
    EXPECT_EQ(pictureRect.right, 5);
    EXPECT_EQ(pictureRect.bottom, 3);
    // The surface cannot be locked: it is released, so no frame is composed
    // with an empty picture.
    world.Succeed("CreateSurface");
    world.Fail("Lock", DDERR_SURFACELOST);
    EXPECT_EQ(CreatePictureSurface(display, &pictureSurface, "#115", &pictureRect), 0);
    EXPECT_EQ(Made().lockCount, 1);
    EXPECT_EQ(pictureSurface, nullptr);
    EXPECT_EQ(Made().References(), 0u);
    // A pitch too small for a row is not written to, and released too.
    world.Succeed("Lock");
    directDraw.extraPitch = -2;
    EXPECT_EQ(CreatePictureSurface(display, &pictureSurface, "#115", &pictureRect), 0);
    EXPECT_FALSE(directDraw.surfaces.back()->locked);
    for (uint8_t byte : directDraw.surfaces.back()->Memory()) {
        ASSERT_EQ(byte, fake::Surface::PADDING_BYTE);
    }
    EXPECT_EQ(pictureSurface, nullptr);
    EXPECT_EQ(directDraw.surfaces.back()->References(), 0u);
    EXPECT_EQ(ambientLevel, 0u);
}

TEST(PictureConversion, WhitePacksToAllOnesAndBlackToZero) {
    GifImage image{};
    image.width = 2;
    image.height = 1;
    image.palette[7][0] = image.palette[7][1] = image.palette[7][2] = 255;
    uint8_t indices[2] = {7, 8};
    image.pixels = indices;
    uint16_t out[2] = {1, 1};
    ConvertPicturePixels(image, reinterpret_cast<uint8_t*>(out), 4,
                         DescribePixelFormat(0xF800, 0x07E0, 0x001F));
    EXPECT_EQ(out[0], 0xFFFF);
    EXPECT_EQ(out[1], 0x0000);
    ConvertPicturePixels(image, reinterpret_cast<uint8_t*>(out), 4,
                         DescribePixelFormat(0x7C00, 0x03E0, 0x001F));
    EXPECT_EQ(out[0], 0x7FFF);
}

}  // namespace
