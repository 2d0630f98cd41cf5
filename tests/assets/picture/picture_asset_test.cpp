// The committed picture, read back through giflib: its GIF layout and how it
// sits on the white screen under the text panel and the mesh copies.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "tests/image/gif_writer.h"
#include "tests/support/files.h"

namespace trelk::test {
namespace {

constexpr int WIDTH = 520;
constexpr int HEIGHT = 406;

class Picture : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        decoded = new ReferenceImage(ReadGifWithGiflib(ReadFileBytes(PICTURE_ASSET)));
    }
    static void TearDownTestSuite() { delete decoded; }
    void SetUp() override {
        ASSERT_EQ(decoded->width, WIDTH);
        ASSERT_EQ(decoded->height, HEIGHT);
        ASSERT_EQ(decoded->colourCount, 256);
    }
    static Colour At(int x, int y) { return decoded->palette[decoded->pixels[y * WIDTH + x]]; }
    static double Luma(const Colour& c) { return 0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2]; }
    static double MeanLuma(int x0, int y0, int x1, int y1) {
        double sum = 0.0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) sum += Luma(At(x, y));
        return sum / ((x1 - x0 + 1) * (y1 - y0 + 1));
    }
    static inline ReferenceImage* decoded = nullptr;
};

TEST_F(Picture, IsOneFullScreenImageWithAGlobalTable) {
    EXPECT_EQ(ReadFileText(PICTURE_ASSET).substr(0, 6), "GIF89a");
    EXPECT_EQ(decoded->screenWidth, WIDTH);
    EXPECT_EQ(decoded->screenHeight, HEIGHT);
    EXPECT_EQ(decoded->imageCount, 1);
    EXPECT_EQ(decoded->left, 0);
    EXPECT_EQ(decoded->top, 0);
    EXPECT_FALSE(decoded->interlaced);
    EXPECT_FALSE(decoded->localTable);
}

TEST_F(Picture, UsesTheWholePalette) {
    const std::set<int> used(decoded->pixels.begin(), decoded->pixels.end());
    EXPECT_GE(used.size(), 240u);
    const std::set<Colour> colours(decoded->palette.begin(), decoded->palette.end());
    EXPECT_GE(colours.size(), 240u);
}

TEST_F(Picture, FadesIntoWhiteAtTheTopAndRightEdges) {
    for (int x = 0; x < WIDTH; ++x) EXPECT_GE(Luma(At(x, 0)), 250.0) << "top row, column " << x;
    for (int y = 0; y < HEIGHT; ++y) EXPECT_GE(Luma(At(WIDTH - 1, y)), 250.0) << "right column, row " << y;
    // A gradual fade, not a white border: lighter toward each edge.
    EXPECT_GT(MeanLuma(0, 0, 379, 9), MeanLuma(0, 60, 379, 69));
    EXPECT_GT(MeanLuma(0, 60, 379, 69), MeanLuma(0, 150, 379, 159));
    EXPECT_GT(MeanLuma(500, 260, 509, 405), MeanLuma(440, 260, 449, 405));
    EXPECT_GT(MeanLuma(440, 260, 449, 405), MeanLuma(360, 260, 369, 405));
}

TEST_F(Picture, StaysLightUnderTheTextPanel) {
    // The panel covers the picture's columns 319 to 519, rows 36 to 257.
    std::vector<double> lumas;
    for (int y = 36; y <= 257; ++y)
        for (int x = 319; x < WIDTH; ++x) lumas.push_back(Luma(At(x, y)));
    std::sort(lumas.begin(), lumas.end());
    EXPECT_GE(MeanLuma(319, 36, 519, 257), 200.0);
    EXPECT_GE(lumas[lumas.size() / 20], 150.0) << "the darkest twentieth is too dark for blue text";
}

TEST_F(Picture, LeavesGreenToTheMesh) {
    int greenish = 0;
    for (int y = 0; y < HEIGHT; ++y)
        for (int x = 0; x < WIDTH; ++x) {
            const auto c = At(x, y);
            greenish += c[1] > c[0] + 24 && c[1] > c[2] + 24;
        }
    EXPECT_EQ(greenish, 0);
}

TEST_F(Picture, CarriesTheLetteringBottomLeft) {
    // The chrome letters bring both the picture's darkest outlines and
    // bright highlights into the lower left; the sky has neither.
    int dark = 0, bright = 0;
    for (int y = 318; y < 396; ++y)
        for (int x = 16; x < 350; ++x) {
            const double l = Luma(At(x, y));
            dark += l < 50.0;
            bright += l > 225.0;
        }
    EXPECT_GT(dark, 1500);
    EXPECT_GT(bright, 1500);
    int darkInSky = 0;
    for (int y = 0; y < 140; ++y)
        for (int x = 0; x < WIDTH; ++x) darkInSky += Luma(At(x, y)) < 50.0;
    EXPECT_EQ(darkInSky, 0);
}

}  // namespace
}  // namespace trelk::test
