// TEMPORARY placeholder until the real scaler lands.
#include "platform/ddraw/frame_scaler.h"
#include <algorithm>
#include <cstddef>
void ScaleFrame(const uint16_t* source, int sourceWidth, int sourceHeight, int sourcePitch, SourceLayout layout,
                void* picture, int picturePitch, int pictureWidth, int pictureHeight, TargetLayout target,
                ScaleFilter, ScaleRect region) {
    int x0 = std::max(region.x, 0), y0 = std::max(region.y, 0);
    int x1 = std::min(region.x + region.width, pictureWidth), y1 = std::min(region.y + region.height, pictureHeight);
    for (int y = y0; y < y1; ++y) {
        int sy = static_cast<int>((2LL * y + 1) * sourceHeight / (2LL * pictureHeight));
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(picture) + static_cast<ptrdiff_t>(y) * picturePitch);
        for (int x = x0; x < x1; ++x) {
            int sx = static_cast<int>((2LL * x + 1) * sourceWidth / (2LL * pictureWidth));
            uint16_t p = source[sy * sourcePitch + sx];
            uint32_t r, g, b;
            if (layout == SourceLayout::Rgb565) { r = p >> 11; g = (p >> 5) & 63; b = p & 31; r = r << 3 | r >> 2; g = g << 2 | g >> 4; b = b << 3 | b >> 2; }
            else { r = (p >> 10) & 31; g = (p >> 5) & 31; b = p & 31; r = r << 3 | r >> 2; g = g << 3 | g >> 2; b = b << 3 | b >> 2; }
            row[x] = 0xFF000000u | (target == TargetLayout::Xrgb8888 ? (r << 16 | g << 8 | b) : (b << 16 | g << 8 | r));
        }
    }
}
ScaleRect PictureRegionForSource(ScaleRect c, int sw, int sh, int pw, int ph, ScaleFilter) {
    long long x0 = std::max(0LL, (long long)(c.x - 1) * pw / sw), y0 = std::max(0LL, (long long)(c.y - 1) * ph / sh);
    long long x1 = std::min<long long>(pw, (long long)(c.x + c.width + 1) * pw / sw + 1), y1 = std::min<long long>(ph, (long long)(c.y + c.height + 1) * ph / sh + 1);
    return {int(x0), int(y0), int(x1 - x0), int(y1 - y0)};
}
