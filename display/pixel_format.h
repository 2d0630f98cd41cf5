// The screen's 16-bit pixel layout and the one colour-packing rule that every
// hand-written 16-bit pixel goes through.
#pragma once

#include <cstdint>

struct PixelFormatInfo {
    uint16_t redShift = 0;
    uint16_t redHighBit = 0;
    uint16_t redBits = 0;
    uint16_t greenShift = 0;
    uint16_t greenHighBit = 0;
    uint16_t greenBits = 0;
    uint16_t blueShift = 0;
    uint16_t blueHighBit = 0;
    uint16_t blueBits = 0;
    float redDiv = 0.0f;
    float greenDiv = 0.0f;
    float blueDiv = 0.0f;
};

// Index 0..31 of the lowest / highest set bit; 0 for an empty mask.
uint16_t LowestSetBit(uint32_t mask);
uint16_t HighestSetBit(uint32_t mask);

// Fills the description of one channel mask set (red, green, blue).
PixelFormatInfo DescribePixelFormat(uint32_t redMask, uint32_t greenMask, uint32_t blueMask);

// 8-bit red, green, blue to one 16-bit pixel of the described layout.
uint16_t PackColor(const PixelFormatInfo& format, uint8_t r, uint8_t g, uint8_t b);

// Writes the three "debug.log" lines that record the analysis: bit counts,
// divisors, and pure blue packed channel by channel.
void LogPixelFormat(const PixelFormatInfo& format);
