#include "platform/web/frame_rgba.h"

#include <cstddef>

void ConvertFrameToRgba(const FrameView& frame, uint32_t* out) {
    const size_t count = static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height);
    const int greenBits = frame.rgb555 ? 5 : 6;
    const int redShift = frame.rgb555 ? 10 : 11;
    for (size_t i = 0; i < count; ++i) {
        const uint32_t pixel = frame.pixels[i];
        uint32_t red = (pixel >> redShift) & 0x1F;
        uint32_t green = (pixel >> 5) & ((1u << greenBits) - 1);
        uint32_t blue = pixel & 0x1F;
        // Widened by repeating the top bits, so that full intensity is 255.
        red = (red << 3) | (red >> 2);
        green = greenBits == 6 ? (green << 2) | (green >> 4) : (green << 3) | (green >> 2);
        blue = (blue << 3) | (blue >> 2);
        out[i] = 0xFF000000u | (blue << 16) | (green << 8) | red;  // R, G, B, A in memory
    }
}
