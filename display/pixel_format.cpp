// The screen's 16-bit layout: per channel its shift, bit count and divisor,
// and the one rule that packs an 8-bit colour into a pixel.
#include "display/pixel_format.h"

#include <cmath>
#include <cstdio>

#include "display/display_device.h"
#include "log/debug_log.h"

namespace {

struct Channel {
    uint16_t shift;
    uint16_t highBit;
    uint16_t bits;
    float divisor;
};

Channel DescribeChannel(uint32_t mask) {
    Channel channel{};
    channel.shift = LowestSetBit(mask);
    channel.highBit = HighestSetBit(mask);
    channel.bits = static_cast<uint16_t>(channel.highBit - channel.shift + 1);
    channel.divisor = static_cast<float>(256.0 / std::pow(2.0, channel.bits));
    return channel;
}

// trunc(value / divisor) << shift, as 16 bits.
uint16_t PackChannel(uint8_t value, float divisor, uint16_t shift) {
    // 64 bits: a 32-bit wide channel (a mask with a gap) scales 255 far past 32 bits.
    const auto scaled = static_cast<uint64_t>(static_cast<float>(value) / divisor);
    return static_cast<uint16_t>(shift < 64 ? scaled << shift : 0);
}

}  // namespace

uint16_t LowestSetBit(uint32_t mask) {
    for (uint16_t bit = 0; bit < 32; ++bit) {
        if ((mask & (1u << bit)) != 0) {
            return bit;
        }
    }
    return 0;
}

uint16_t HighestSetBit(uint32_t mask) {
    for (int bit = 31; bit >= 0; --bit) {
        if ((mask & (1u << bit)) != 0) {
            return static_cast<uint16_t>(bit);
        }
    }
    return 0;
}

PixelFormatInfo DescribePixelFormat(uint32_t redMask, uint32_t greenMask, uint32_t blueMask) {
    const Channel red = DescribeChannel(redMask);
    const Channel green = DescribeChannel(greenMask);
    const Channel blue = DescribeChannel(blueMask);
    PixelFormatInfo info;
    info.redShift = red.shift;
    info.redHighBit = red.highBit;
    info.redBits = red.bits;
    info.greenShift = green.shift;
    info.greenHighBit = green.highBit;
    info.greenBits = green.bits;
    info.blueShift = blue.shift;
    info.blueHighBit = blue.highBit;
    info.blueBits = blue.bits;
    info.redDiv = red.divisor;
    info.greenDiv = green.divisor;
    info.blueDiv = blue.divisor;
    return info;
}

uint16_t PackColor(const PixelFormatInfo& format, uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<uint16_t>(PackChannel(r, format.redDiv, format.redShift) |
                                 PackChannel(g, format.greenDiv, format.greenShift) |
                                 PackChannel(b, format.blueDiv, format.blueShift));
}

void LogPixelFormat(const PixelFormatInfo& format) {
    char line[128];
    std::snprintf(line, sizeof line, "redbit:%d  greenbit:%d  bluebit %d", format.redBits, format.greenBits,
                  format.blueBits);
    DebugLog(line);
    std::snprintf(line, sizeof line, "reddiv:%.2f  greendiv:%.2f  bluediv %.2f",
                  static_cast<double>(format.redDiv), static_cast<double>(format.greenDiv),
                  static_cast<double>(format.blueDiv));
    DebugLog(line);
    const uint16_t r = PackChannel(0, format.redDiv, format.redShift);
    const uint16_t g = PackChannel(0, format.greenDiv, format.greenShift);
    const uint16_t b = PackChannel(255, format.blueDiv, format.blueShift);
    std::snprintf(line, sizeof line, "r:%d  g:%d  b:%d  MASK:%d", r, g, b, r | g | b);
    DebugLog(line);
}

void DisplayDevice::AnalysePixelFormat() {
    DDPIXELFORMAT format{};
    format.dwSize = sizeof(DDPIXELFORMAT);
    if (primarySurface != nullptr) {
        primarySurface->GetPixelFormat(&format);  // result not needed: a failure leaves the masks 0
    }
    pixelFormat = DescribePixelFormat(format.dwRBitMask, format.dwGBitMask, format.dwBBitMask);
}
