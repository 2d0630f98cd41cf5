// The committed font strip: TGA layout, palette, and 49 well-formed cells.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "tests/assets/generator_output.h"

namespace trelk::test {
namespace {

constexpr int WIDTH = 784;
constexpr int HEIGHT = 13;
constexpr std::size_t PALETTE_AT = 18;
constexpr std::size_t PIXELS_AT = 786;
constexpr std::size_t FOOTER_AT = 10978;
constexpr char ORDER[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789'-.+?!():*&@/";

int U16At(const std::vector<std::uint8_t>& b, std::size_t at) { return b[at] | b[at + 1] << 8; }

class FontStrip : public ::testing::Test {
  protected:
    void SetUp() override {
        bytes = ReadFileBytes(FONT_ASSET);
        ASSERT_EQ(bytes.size(), 11004u);
    }
    int Pixel(int cell, int row, int x) const { return bytes[PIXELS_AT + row * WIDTH + cell * 16 + x]; }
    std::array<int, 3> Rgb(int index) const {
        const std::size_t at = PALETTE_AT + 3 * index;
        return {bytes[at + 2], bytes[at + 1], bytes[at]};
    }
    int Luma(int index) const {
        const auto c = Rgb(index);
        return (299 * c[0] + 587 * c[1] + 114 * c[2]) / 1000;
    }
    std::vector<std::uint8_t> bytes;
};

TEST_F(FontStrip, HeaderDescribesAColourMappedStrip) {
    EXPECT_EQ(bytes[0], 0);  // no image ID
    EXPECT_EQ(bytes[1], 1);  // colour map
    EXPECT_EQ(bytes[2], 1);  // uncompressed, colour-mapped
    EXPECT_EQ(U16At(bytes, 3), 0);
    EXPECT_EQ(U16At(bytes, 5), 256);
    EXPECT_EQ(bytes[7], 24);
    EXPECT_EQ(U16At(bytes, 8), 0);
    EXPECT_EQ(U16At(bytes, 10), 0);
    EXPECT_EQ(U16At(bytes, 12), WIDTH);
    EXPECT_EQ(U16At(bytes, 14), HEIGHT);
    EXPECT_EQ(bytes[16], 8);
    EXPECT_EQ(bytes[17], 0x08);
}

TEST_F(FontStrip, EndsWithTheVersionTwoFooter) {
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(bytes[FOOTER_AT + i], 0) << i;
    const std::string signature(bytes.begin() + FOOTER_AT + 8, bytes.end());
    EXPECT_EQ(signature, std::string("TRUEVISION-XFILE.", 18));
}

TEST_F(FontStrip, EntryTwoFiftyFiveIsTheOnlyPureWhite) {
    int firstWhite = -1;
    for (int i = 0; i < 256 && firstWhite < 0; ++i) {
        if (Rgb(i) == std::array<int, 3>{255, 255, 255}) firstWhite = i;
    }
    // The panel's colour key is the first white entry: it must be the background.
    EXPECT_EQ(firstWhite, 255);
}

TEST_F(FontStrip, PixelsUseOnlyInkEntriesAndTheBackground) {
    std::set<int> used;
    for (std::size_t i = PIXELS_AT; i < FOOTER_AT; ++i) {
        ASSERT_GE(bytes[i], 215) << "pixel " << i - PIXELS_AT;
        used.insert(bytes[i]);
    }
    // Edges are anti-aliased: many ink shades appear, not a single colour.
    EXPECT_GE(used.size(), 30u);
}

TEST_F(FontStrip, EveryCellKeepsItsSpacingAndHasInk) {
    for (int cell = 0; cell < 49; ++cell) {
        int ink = 0;
        for (int row = 0; row < HEIGHT; ++row) {
            EXPECT_EQ(Pixel(cell, row, 0), 255) << ORDER[cell] << " row " << row;
            EXPECT_EQ(Pixel(cell, row, 15), 255) << ORDER[cell] << " row " << row;
            for (int x = 0; x < 16; ++x) {
                if (row == 12) {
                    EXPECT_EQ(Pixel(cell, row, x), 255) << ORDER[cell] << " column " << x;
                }
                ink += Pixel(cell, row, x) != 255;
            }
        }
        EXPECT_GE(ink, 4) << "cell of '" << ORDER[cell] << "' is nearly empty";
    }
}

TEST_F(FontStrip, NoTwoCellsAreAlike) {
    std::set<std::vector<int>> seen;
    for (int cell = 0; cell < 49; ++cell) {
        std::vector<int> image;
        for (int row = 0; row < HEIGHT; ++row)
            for (int x = 0; x < 16; ++x) image.push_back(Pixel(cell, row, x) != 255);
        EXPECT_TRUE(seen.insert(image).second) << "'" << ORDER[cell] << "' repeats an earlier cell";
    }
}

TEST_F(FontStrip, LettersAndDigitsShareCapHeightAndBaseline) {
    for (int cell = 0; cell < 36; ++cell) {
        int top = HEIGHT, bottom = -1;
        for (int row = 0; row < HEIGHT; ++row)
            for (int x = 0; x < 16; ++x)
                if (Pixel(cell, row, x) != 255) {
                    top = std::min(top, row);
                    bottom = std::max(bottom, row);
                }
        EXPECT_EQ(top, 1) << ORDER[cell];
        EXPECT_EQ(bottom, 10) << ORDER[cell];
    }
}

TEST_F(FontStrip, InkIsDarkBlueAndDeepensWithCoverage) {
    for (int index = 215; index < 255; ++index) {
        const auto c = Rgb(index);
        EXPECT_LT(c[0], 255) << index;
        EXPECT_GT(c[2], c[0]) << "entry " << index << " is not blue";
        EXPECT_GE(c[2], c[1]) << "entry " << index << " is not blue";
    }
    // Per shade step: four coverage levels, each darker than the last.
    for (int step = 0; step < 10; ++step) {
        for (int level = 1; level < 4; ++level) {
            EXPECT_LT(Luma(215 + 4 * step + level), Luma(215 + 4 * step + level - 1)) << step;
        }
        EXPECT_LT(Luma(215 + 4 * step + 3), 110) << "full ink must read against white";
    }
    // The gradient runs from a dark top to a lighter foot.
    EXPECT_LT(Luma(215 + 3), Luma(215 + 4 * 9 + 3));
}

TEST_F(FontStrip, FullInkFollowsTheRowGradient) {
    // A fully inked pixel's entry depends only on its row and gets no darker
    // further down the cell.
    for (int row = 0; row < 12; ++row) {
        std::set<int> fullEntries;
        for (int cell = 0; cell < 49; ++cell)
            for (int x = 1; x < 15; ++x) {
                const int p = Pixel(cell, row, x);
                if (p != 255 && (p - 215) % 4 == 3) fullEntries.insert(p);
            }
        EXPECT_LE(fullEntries.size(), 1u) << "row " << row;
    }
}

}  // namespace
}  // namespace trelk::test
