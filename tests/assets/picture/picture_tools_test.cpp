// The picture generator's parts: deterministic maths, the median-cut
// palette, dithering, the GIF encoder, and the whole run against the
// committed file.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "tests/assets/generator_output.h"
#include "tests/image/gif_writer.h"
#include "tools/picture/gif_encoder.h"
#include "tools/picture/palette_dither.h"
#include "tools/picture/picture_math.h"

namespace trelk::test {
namespace {

using tools::Palette;
using tools::Rgb8;

TEST(PictureMath, SineMatchesTheLibraryAcrossManyTurns) {
    for (double x = -40.0; x <= 40.0; x += 0.0173) {
        EXPECT_NEAR(tools::Sine(x), std::sin(x), 2e-7) << x;
    }
    EXPECT_NEAR(tools::Sine(3.14159265358979323846 / 6), 0.5, 1e-12);
    EXPECT_EQ(tools::Sine(0.0), 0.0);
}

TEST(PictureMath, NoiseStaysInRangeAndIsContinuous) {
    for (int i = -50; i < 50; ++i) {
        const double h = tools::Hash01(i, 3 * i, 7);
        EXPECT_GE(h, 0.0);
        EXPECT_LT(h, 1.0);
    }
    EXPECT_NE(tools::Hash01(1, 2, 3), tools::Hash01(2, 1, 3));
    EXPECT_NE(tools::Hash01(1, 2, 3), tools::Hash01(1, 2, 4));
    // At lattice points the noise is the hash; across a lattice line it does not jump.
    EXPECT_EQ(tools::ValueNoise(4.0, 9.0, 5), tools::Hash01(4, 9, 5));
    EXPECT_NEAR(tools::ValueNoise(4.999999, 2.5, 5), tools::ValueNoise(5.0, 2.5, 5), 1e-5);
}

TEST(PictureMath, SmoothstepRunsEitherWay) {
    EXPECT_EQ(tools::Smoothstep(0.0, 10.0, -1.0), 0.0);
    EXPECT_EQ(tools::Smoothstep(0.0, 10.0, 5.0), 0.5);
    EXPECT_EQ(tools::Smoothstep(0.0, 10.0, 11.0), 1.0);
    EXPECT_EQ(tools::Smoothstep(10.0, 0.0, 0.0), 1.0);
    EXPECT_EQ(tools::Smoothstep(10.0, 0.0, 10.0), 0.0);
}

std::vector<Rgb8> Flat(Rgb8 colour, std::size_t count) { return std::vector<Rgb8>(count, colour); }

TEST(MedianCut, KeepsFewColoursExactlyAndWhiteLast) {
    std::vector<Rgb8> pixels = Flat({10, 20, 30}, 50);
    const auto more = Flat({200, 100, 50}, 30);
    pixels.insert(pixels.end(), more.begin(), more.end());
    pixels.push_back({255, 255, 255});
    const Palette palette = tools::MedianCutPalette(pixels);
    EXPECT_EQ(palette[255], (Rgb8{255, 255, 255}));
    EXPECT_EQ(palette[253], (Rgb8{10, 20, 30}));  // darker first
    EXPECT_EQ(palette[254], (Rgb8{200, 100, 50}));
    EXPECT_EQ(palette[0], (Rgb8{0, 0, 0}));  // unused entries stay black
}

TEST(MedianCut, SpreadsEntriesOverAGradient) {
    std::vector<Rgb8> pixels;
    for (int i = 0; i < 4096; ++i)
        pixels.push_back({static_cast<std::uint8_t>(i / 16), static_cast<std::uint8_t>(i % 256), 128});
    const Palette palette = tools::MedianCutPalette(pixels);
    std::set<std::tuple<int, int, int>> distinct;
    for (const Rgb8& c : palette) distinct.insert({c.r, c.g, c.b});
    EXPECT_EQ(distinct.size(), 256u);
    // White appears once only, as the last entry.
    for (int i = 0; i < 255; ++i) EXPECT_FALSE(palette[i] == (Rgb8{255, 255, 255})) << i;
}

TEST(Dithering, ExactColoursMapStraightToTheirEntries) {
    Palette palette{};
    palette[7] = {90, 60, 200};
    palette[255] = {255, 255, 255};
    const auto indices = tools::Dither(Flat({90, 60, 200}, 64), 8, palette);
    for (auto index : indices) EXPECT_EQ(index, 7);
    EXPECT_EQ(tools::NearestEntry(palette, 250, 250, 250), 255);
}

TEST(Dithering, MixesTwoEntriesToKeepTheAverage) {
    Palette palette{};               // black everywhere...
    palette[255] = {255, 255, 255};  // ...and white
    const int width = 64, height = 64;
    const auto indices = tools::Dither(Flat({64, 64, 64}, width * height), width, palette);
    int white = 0;
    for (auto index : indices) white += index == 255;
    // A quarter grey: close to a quarter of the pixels white.
    EXPECT_NEAR(white / double(width * height), 64.0 / 255.0, 0.01);
}

TEST(GifEncoder, RoundTripsThroughGiflib) {
    Palette palette{};
    for (int i = 0; i < 256; ++i)
        palette[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i), 7};
    const int width = 37, height = 11;
    std::vector<std::uint8_t> indices;
    for (int i = 0; i < width * height; ++i) indices.push_back(static_cast<std::uint8_t>((i * 31) % 256));
    std::string error;
    const auto bytes = tools::EncodeGif(indices, width, height, palette, 3, error);
    ASSERT_FALSE(bytes.empty()) << error;
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF89a");
    const ReferenceImage read = ReadGifWithGiflib(bytes);
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(read.background, 3);
    EXPECT_EQ(read.imageCount, 1);
    EXPECT_EQ(read.palette[200][1], 55);
    EXPECT_EQ(read.pixels, indices);
}

TEST(GifEncoder, RefusesPixelsThatDoNotFillTheImage) {
    std::string error;
    EXPECT_TRUE(tools::EncodeGif(std::vector<std::uint8_t>(10), 4, 3, Palette{}, 0, error).empty());
    EXPECT_FALSE(error.empty());
}

TEST(PictureGenerator, ReproducesTheCommittedPicture) {
    const auto run = RunGenerator(GEN_PICTURE, "picture.gif");
    ASSERT_EQ(run.exitCode, 0);
    const auto committed = ReadFileBytes(PICTURE_ASSET);
    ASSERT_FALSE(committed.empty());
    EXPECT_TRUE(run.output == committed) << "regenerate assets/picture.gif with gen_picture";
}

}  // namespace
}  // namespace trelk::test
