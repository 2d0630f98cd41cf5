// Pixel-format analysis and the colour-packing rule, against the layouts'
// known values and the shift formula written out here.
#include "display/pixel_format.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/files.h"

namespace {

// The packing rule for power-of-two divisors: c >> (8 - bits) << shift.
uint16_t ByShifts(uint8_t r, uint8_t g, uint8_t b, int rBits, int rShift, int gBits, int gShift, int bBits,
                  int bShift) {
    return static_cast<uint16_t>((r >> (8 - rBits)) << rShift | (g >> (8 - gBits)) << gShift |
                                 (b >> (8 - bBits)) << bShift);
}

TEST(SetBits, LowestAndHighest) {
    for (const auto& [mask, lowest, highest] :
         {std::tuple{0u, 0, 0}, {1u, 0, 0}, {0x80000000u, 31, 31}, {0xF800u, 11, 15}, {0x0110u, 4, 8}}) {
        EXPECT_EQ(LowestSetBit(mask), lowest) << mask;
        EXPECT_EQ(HighestSetBit(mask), highest) << mask;
    }
}

// Shift, high bit and bit count of red, green and blue, then the divisors.
auto Fields(const PixelFormatInfo& f) {
    return std::tuple(f.redShift, f.redHighBit, f.redBits, f.greenShift, f.greenHighBit, f.greenBits,
                      f.blueShift, f.blueHighBit, f.blueBits, f.redDiv, f.greenDiv, f.blueDiv);
}

TEST(Describe, KnownLayoutsEmptyMasksAndGaps) {
    const struct {
        uint32_t red, green, blue;
        PixelFormatInfo expected;
    } cases[] = {
        {0xF800, 0x07E0, 0x001F, {11, 15, 5, 5, 10, 6, 0, 4, 5, 8, 4, 8}},
        {0x7C00, 0x03E0, 0x001F, {10, 14, 5, 5, 9, 5, 0, 4, 5, 8, 8, 8}},
        {0, 0, 0, {0, 0, 1, 0, 0, 1, 0, 0, 1, 128, 128, 128}},  // a zero mask is one bit at zero
        // A mask with a gap counts the gap.
        {0x0F0F, 0xF000, 0x80000001u, {0, 11, 12, 12, 15, 4, 0, 31, 32, 256.0f / 4096, 16, 0x1p-24f}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Fields(DescribePixelFormat(c.red, c.green, c.blue)), Fields(c.expected))
            << std::hex << c.red;
    }
    // trunc(255 / 128) in bit 0, three times over.
    EXPECT_EQ(PackColor(DescribePixelFormat(0, 0, 0), 255, 255, 255), 1);
    // Wide channels overflow 16 bits and are cut, without undefined shifts.
    (void)PackColor(DescribePixelFormat(0x0F0F, 0xF000, 0x80000001u), 255, 255, 255);
}

TEST(Pack, KnownColours) {
    const PixelFormatInfo f565 = DescribePixelFormat(0xF800, 0x07E0, 0x001F);
    const PixelFormatInfo f555 = DescribePixelFormat(0x7C00, 0x03E0, 0x001F);
    EXPECT_EQ(PackColor(f565, 255, 255, 255), 0xFFFF);
    EXPECT_EQ(PackColor(f565, 0, 0, 255), 31);
    EXPECT_EQ(PackColor(f565, 255, 0, 0), 0xF800);
    EXPECT_EQ(PackColor(f565, 0, 255, 0), 0x07E0);
    EXPECT_EQ(PackColor(f555, 255, 255, 255), 0x7FFF);
    EXPECT_EQ(PackColor(f555, 0, 255, 0), 0x03E0);
    EXPECT_EQ(PackColor(f565, 7, 3, 7), 0);  // below one step of each channel
}

TEST(Pack, EveryChannelValueMatchesTheShiftRule) {
    const PixelFormatInfo f565 = DescribePixelFormat(0xF800, 0x07E0, 0x001F);
    const PixelFormatInfo f555 = DescribePixelFormat(0x7C00, 0x03E0, 0x001F);
    for (int v = 0; v < 256; ++v) {
        const auto c = static_cast<uint8_t>(v);
        const auto d = static_cast<uint8_t>(255 - v);
        ASSERT_EQ(PackColor(f565, c, d, c), ByShifts(c, d, c, 5, 11, 6, 5, 5, 0)) << v;
        ASSERT_EQ(PackColor(f555, d, c, d), ByShifts(d, c, d, 5, 10, 5, 5, 5, 0)) << v;
    }
}

TEST(LogLinesOfTheAnalysis, ChannelsDivisorsAndTheBlueMask) {
    const std::string bits565 = "redbit:5  greenbit:6  bluebit 5";
    const std::string divisors565 = "reddiv:8.00  greendiv:4.00  bluediv 8.00";
    const struct {
        std::array<uint32_t, 3> masks;
        std::vector<std::string> lines;
    } cases[] = {
        {{0xF800, 0x07E0, 0x001F}, {bits565, divisors565, "r:0  g:0  b:31  MASK:31"}},
        {{0x7C00, 0x03E0, 0x001F},
         {"redbit:5  greenbit:5  bluebit 5", "reddiv:8.00  greendiv:8.00  bluediv 8.00",
          "r:0  g:0  b:31  MASK:31"}},
        {{0x001F, 0x07E0, 0xF800},
         {bits565, divisors565, "r:0  g:0  b:63488  MASK:63488"}},  // blue elsewhere
    };
    for (const auto& c : cases) {
        ClearDebugLog();
        LogPixelFormat(DescribePixelFormat(c.masks[0], c.masks[1], c.masks[2]));
        EXPECT_EQ(DebugLogLines(), c.lines);
    }
}

}  // namespace
