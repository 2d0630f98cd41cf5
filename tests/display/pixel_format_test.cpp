// Pixel-format analysis and the colour-packing rule, against the layouts'
// known values and the shift formula written out here.
#include "display/pixel_format.h"

#include <gtest/gtest.h>

#include <string>
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
    EXPECT_EQ(LowestSetBit(0), 0);
    EXPECT_EQ(HighestSetBit(0), 0);
    EXPECT_EQ(LowestSetBit(1), 0);
    EXPECT_EQ(HighestSetBit(1), 0);
    EXPECT_EQ(LowestSetBit(0x80000000u), 31);
    EXPECT_EQ(HighestSetBit(0x80000000u), 31);
    EXPECT_EQ(LowestSetBit(0xF800), 11);
    EXPECT_EQ(HighestSetBit(0xF800), 15);
    EXPECT_EQ(LowestSetBit(0x0110), 4);
    EXPECT_EQ(HighestSetBit(0x0110), 8);
}

TEST(Describe, FiveSixFive) {
    const PixelFormatInfo f = DescribePixelFormat(0xF800, 0x07E0, 0x001F);
    EXPECT_EQ(f.redShift, 11);
    EXPECT_EQ(f.redHighBit, 15);
    EXPECT_EQ(f.redBits, 5);
    EXPECT_EQ(f.greenShift, 5);
    EXPECT_EQ(f.greenHighBit, 10);
    EXPECT_EQ(f.greenBits, 6);
    EXPECT_EQ(f.blueShift, 0);
    EXPECT_EQ(f.blueHighBit, 4);
    EXPECT_EQ(f.blueBits, 5);
    EXPECT_EQ(f.redDiv, 8.0f);
    EXPECT_EQ(f.greenDiv, 4.0f);
    EXPECT_EQ(f.blueDiv, 8.0f);
}

TEST(Describe, FiveFiveFive) {
    const PixelFormatInfo f = DescribePixelFormat(0x7C00, 0x03E0, 0x001F);
    EXPECT_EQ(f.redShift, 10);
    EXPECT_EQ(f.redHighBit, 14);
    EXPECT_EQ(f.greenShift, 5);
    EXPECT_EQ(f.greenHighBit, 9);
    EXPECT_EQ(f.greenBits, 5);
    EXPECT_EQ(f.redDiv, 8.0f);
    EXPECT_EQ(f.greenDiv, 8.0f);
    EXPECT_EQ(f.blueDiv, 8.0f);
}

TEST(Describe, AZeroMaskIsOneBitAtZero) {
    const PixelFormatInfo f = DescribePixelFormat(0, 0, 0);
    EXPECT_EQ(f.redShift, 0);
    EXPECT_EQ(f.redHighBit, 0);
    EXPECT_EQ(f.redBits, 1);
    EXPECT_EQ(f.redDiv, 128.0f);
    EXPECT_EQ(PackColor(f, 255, 255, 255), 1);  // trunc(255 / 128) in bit 0, three times over
}

TEST(Describe, AMaskWithAGapCountsTheGap) {
    const PixelFormatInfo f = DescribePixelFormat(0x0F0F, 0x0000F000, 0x80000001u);
    EXPECT_EQ(f.redShift, 0);
    EXPECT_EQ(f.redHighBit, 11);
    EXPECT_EQ(f.redBits, 12);
    EXPECT_EQ(f.redDiv, 256.0f / 4096.0f);
    EXPECT_EQ(f.blueBits, 32);
    // Wide channels overflow 16 bits and are cut, without undefined shifts.
    (void)PackColor(f, 255, 255, 255);
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

TEST(LogLinesOfTheAnalysis, FiveSixFive) {
    ClearDebugLog();
    LogPixelFormat(DescribePixelFormat(0xF800, 0x07E0, 0x001F));
    EXPECT_EQ(DebugLogLines(), (std::vector<std::string>{"redbit:5  greenbit:6  bluebit 5",
                                                         "reddiv:8.00  greendiv:4.00  bluediv 8.00",
                                                         "r:0  g:0  b:31  MASK:31"}));
}

TEST(LogLinesOfTheAnalysis, FiveFiveFive) {
    ClearDebugLog();
    LogPixelFormat(DescribePixelFormat(0x7C00, 0x03E0, 0x001F));
    EXPECT_EQ(DebugLogLines(), (std::vector<std::string>{"redbit:5  greenbit:5  bluebit 5",
                                                         "reddiv:8.00  greendiv:8.00  bluediv 8.00",
                                                         "r:0  g:0  b:31  MASK:31"}));
}

TEST(LogLinesOfTheAnalysis, BlueElsewhereMovesTheMask) {
    ClearDebugLog();
    LogPixelFormat(DescribePixelFormat(0x001F, 0x07E0, 0xF800));
    EXPECT_EQ(DebugLogLines().back(), "r:0  g:0  b:63488  MASK:63488");
}

}  // namespace
