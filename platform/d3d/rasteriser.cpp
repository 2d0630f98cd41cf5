#include "platform/d3d/rasteriser.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr int SUBPIXEL_BITS = 4;
constexpr int64_t SUBPIXELS = 1 << SUBPIXEL_BITS;
constexpr float COLOUR_ONE = 255.0f * 65536.0f;  // colour channels run as 8.16 fixed point

int BitIndex(uint32_t mask) {
    int index = 0;
    while (mask != 0 && (mask & 1u) == 0) {
        mask >>= 1;
        ++index;
    }
    return index;
}
int BitCount(uint32_t mask) {
    int count = 0;
    for (; mask != 0; mask &= mask - 1) {
        ++count;
    }
    return count;
}

// E(p) >= 0 inside, stepped per pixel in x and y.
struct Edge {
    int64_t value;  // at the first pixel of the box, bias included
    int64_t stepX;
    int64_t stepY;
};

// a(x, y) = origin + dx * (x - x0) + dy * (y - y0)
struct Plane {
    float origin, dx, dy;
};

struct Setup {
    Edge edges[3];
    int xMin, xMax, yMin, yMax;
    float x0, y0;
    Plane z;
    Plane colour[3];
    uint16_t flatColour;
};

// What one triangle interpolates: depth and/or colour.
struct DepthAndColour {
    static constexpr bool kDepth = true;
    static constexpr bool kColour = true;
};
struct DepthOnly {
    static constexpr bool kDepth = true;
    static constexpr bool kColour = false;
};
struct ColourOnly {
    static constexpr bool kDepth = false;
    static constexpr bool kColour = true;
};
struct NeitherDepthNorColour {
    static constexpr bool kDepth = false;
    static constexpr bool kColour = false;
};

Edge MakeEdge(int64_t ax, int64_t ay, int64_t bx, int64_t by, int64_t px, int64_t py) {
    const int64_t dx = bx - ax;
    const int64_t dy = by - ay;
    // Top edges (flat, running right) and left edges (running up) own their points.
    const bool topLeft = dy < 0 || (dy == 0 && dx > 0);
    const int64_t value = dx * (py - ay) - dy * (px - ax) - (topLeft ? 0 : 1);
    return {value, -dy * SUBPIXELS, dx * SUBPIXELS};
}

Plane MakePlane(float a0, float a1, float a2, float x10, float y10, float x20, float y20, float area) {
    return {a0, ((a1 - a0) * y20 - (a2 - a0) * y10) / area, ((a2 - a0) * x10 - (a1 - a0) * x20) / area};
}

// Narrows [first, last] to the pixels of the row where the edge is >= 0.
void NarrowSpan(const Edge& edge, int64_t value, int64_t& first, int64_t& last) {
    if (edge.stepX > 0) {
        if (value < 0) {
            first = std::max(first, (-value + edge.stepX - 1) / edge.stepX);
        }
    } else if (edge.stepX < 0) {
        if (value < 0) {
            last = -1;
        } else {
            last = std::min(last, value / -edge.stepX);
        }
    } else if (value < 0) {
        last = -1;
    }
}

// Colours step as 8.16 fixed point in 64 bits: a sliver's steep gradient cannot overflow.
int64_t Fixed(float value, float limit) { return static_cast<int64_t>(std::clamp(value, -limit, limit)); }
constexpr float CHANNEL_LIMIT = 256.0f * 65536.0f;
constexpr float STEP_LIMIT = 4294967296.0f;
uint32_t Channel(int64_t value) { return static_cast<uint32_t>(std::clamp<int64_t>(value >> 16, 0, 255)); }

template <class Interpolants>
void Fill(const RasterTarget& target, const Setup& s) {
    const int64_t width = s.xMax - s.xMin;
    for (int y = s.yMin; y <= s.yMax; ++y) {
        const int64_t rowsDown = y - s.yMin;
        int64_t first = 0;
        int64_t last = width;
        for (const Edge& edge : s.edges) {
            NarrowSpan(edge, edge.value + rowsDown * edge.stepY, first, last);
        }
        if (first > last) {
            continue;
        }
        const int xFirst = s.xMin + static_cast<int>(first);
        const int xLast = s.xMin + static_cast<int>(last);
        const float fx = static_cast<float>(xFirst) - s.x0;
        const float fy = static_cast<float>(y) - s.y0;
        uint16_t* colourRow = target.colour + static_cast<ptrdiff_t>(y) * target.pitch;
        uint16_t* depthRow = Interpolants::kDepth ? target.depth + static_cast<ptrdiff_t>(y) * target.pitch : nullptr;
        float z = s.z.origin + s.z.dx * fx + s.z.dy * fy;
        int64_t channel[3] = {};
        int64_t step[3] = {};
        if constexpr (Interpolants::kColour) {
            for (int c = 0; c < 3; ++c) {
                channel[c] = Fixed(s.colour[c].origin + s.colour[c].dx * fx + s.colour[c].dy * fy, CHANNEL_LIMIT);
                step[c] = Fixed(s.colour[c].dx, STEP_LIMIT);
            }
        }
        for (int x = xFirst; x <= xLast; ++x) {
            uint16_t pixel = s.flatColour;
            if constexpr (Interpolants::kColour) {
                pixel = PackRgb(target.layout, Channel(channel[0]), Channel(channel[1]), Channel(channel[2]));
                channel[0] += step[0];
                channel[1] += step[1];
                channel[2] += step[2];
            }
            if constexpr (Interpolants::kDepth) {
                const auto depth = static_cast<uint16_t>(std::min(65535.0f, std::max(0.0f, z)));
                z += s.z.dx;
                if (depth > depthRow[x]) {
                    continue;
                }
                depthRow[x] = depth;
            }
            colourRow[x] = pixel;
        }
    }
}

// Corners far outside any target, or not numbers at all, are refused.
bool Usable(const ScreenVertex& v) {
    constexpr float LIMIT = 1048576.0f;
    return std::fabs(v.x) < LIMIT && std::fabs(v.y) < LIMIT && std::isfinite(v.z) && std::isfinite(v.r) &&
           std::isfinite(v.g) && std::isfinite(v.b);
}

}  // namespace

ColourLayout LayoutOf(const DDPIXELFORMAT& format) {
    ColourLayout layout;
    layout.redShift = BitIndex(format.dwRBitMask);
    layout.greenShift = BitIndex(format.dwGBitMask);
    layout.blueShift = BitIndex(format.dwBBitMask);
    layout.redDrop = 8 - std::min(8, BitCount(format.dwRBitMask));
    layout.greenDrop = 8 - std::min(8, BitCount(format.dwGBitMask));
    layout.blueDrop = 8 - std::min(8, BitCount(format.dwBBitMask));
    return layout;
}

bool IsCulled(DWORD cullMode, const ScreenVertex& v0, const ScreenVertex& v1, const ScreenVertex& v2) {
    if (!Usable(v0) || !Usable(v1) || !Usable(v2)) {
        return true;
    }
    const int64_t x0 = std::llround(v0.x * SUBPIXELS);
    const int64_t y0 = std::llround(v0.y * SUBPIXELS);
    const int64_t area = (std::llround(v1.x * SUBPIXELS) - x0) * (std::llround(v2.y * SUBPIXELS) - y0) -
                         (std::llround(v2.x * SUBPIXELS) - x0) * (std::llround(v1.y * SUBPIXELS) - y0);
    return area == 0 || (area < 0 && cullMode == D3DCULL_CCW) || (area > 0 && cullMode == D3DCULL_CW);
}

bool DrawTriangle(const RasterTarget& target, const ScreenVertex& v0, const ScreenVertex& v1In,
                  const ScreenVertex& v2In) {
    if (!Usable(v0) || !Usable(v1In) || !Usable(v2In)) {
        return false;
    }
    const ScreenVertex* a = &v0;
    const ScreenVertex* b = &v1In;
    const ScreenVertex* c = &v2In;
    int64_t x[3] = {std::llround(a->x * SUBPIXELS), std::llround(b->x * SUBPIXELS), std::llround(c->x * SUBPIXELS)};
    int64_t y[3] = {std::llround(a->y * SUBPIXELS), std::llround(b->y * SUBPIXELS), std::llround(c->y * SUBPIXELS)};
    int64_t area = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
    if (area == 0 || (area < 0 && target.cullMode == D3DCULL_CCW) || (area > 0 && target.cullMode == D3DCULL_CW)) {
        return false;
    }
    if (area < 0) {  // drawn either way round: turn it clockwise on screen
        std::swap(b, c);
        std::swap(x[1], x[2]);
        std::swap(y[1], y[2]);
        area = -area;
    }
    Setup s{};
    auto ceilPixel = [](int64_t v) { return -((-v) >> SUBPIXEL_BITS); };
    s.xMin = static_cast<int>(std::max<int64_t>(target.left, ceilPixel(std::min({x[0], x[1], x[2]}))));
    s.xMax = static_cast<int>(std::min<int64_t>(target.right - 1, std::max({x[0], x[1], x[2]}) >> SUBPIXEL_BITS));
    s.yMin = static_cast<int>(std::max<int64_t>(target.top, ceilPixel(std::min({y[0], y[1], y[2]}))));
    s.yMax = static_cast<int>(std::min<int64_t>(target.bottom - 1, std::max({y[0], y[1], y[2]}) >> SUBPIXEL_BITS));
    if (s.xMin > s.xMax || s.yMin > s.yMax) {
        return true;
    }
    const int64_t px = static_cast<int64_t>(s.xMin) * SUBPIXELS;
    const int64_t py = static_cast<int64_t>(s.yMin) * SUBPIXELS;
    s.edges[0] = MakeEdge(x[1], y[1], x[2], y[2], px, py);
    s.edges[1] = MakeEdge(x[2], y[2], x[0], y[0], px, py);
    s.edges[2] = MakeEdge(x[0], y[0], x[1], y[1], px, py);

    const float scale = 1.0f / SUBPIXELS;
    s.x0 = static_cast<float>(x[0]) * scale;
    s.y0 = static_cast<float>(y[0]) * scale;
    const float x10 = static_cast<float>(x[1] - x[0]) * scale;
    const float y10 = static_cast<float>(y[1] - y[0]) * scale;
    const float x20 = static_cast<float>(x[2] - x[0]) * scale;
    const float y20 = static_cast<float>(y[2] - y[0]) * scale;
    const float areaPixels = static_cast<float>(area) * scale * scale;
    // Depth in z-buffer units, +0.5 so that truncation rounds.
    s.z = MakePlane(a->z * 65535.0f + 0.5f, b->z * 65535.0f + 0.5f, c->z * 65535.0f + 0.5f, x10, y10, x20, y20,
                    areaPixels);
    const bool depth = target.depth != nullptr;
    if (target.gouraud) {
        const float* ca = &a->r;
        const float* cb = &b->r;
        const float* cc = &c->r;
        for (int channel = 0; channel < 3; ++channel) {
            s.colour[channel] = MakePlane(ca[channel] * COLOUR_ONE + 32768.0f, cb[channel] * COLOUR_ONE + 32768.0f,
                                          cc[channel] * COLOUR_ONE + 32768.0f, x10, y10, x20, y20, areaPixels);
        }
        depth ? Fill<DepthAndColour>(target, s) : Fill<ColourOnly>(target, s);
    } else {
        // Flat shading takes the first corner as given, before any reordering.
        s.flatColour = PackRgb(target.layout, Channel(Fixed(v0.r * COLOUR_ONE + 32768.0f, CHANNEL_LIMIT)),
                               Channel(Fixed(v0.g * COLOUR_ONE + 32768.0f, CHANNEL_LIMIT)),
                               Channel(Fixed(v0.b * COLOUR_ONE + 32768.0f, CHANNEL_LIMIT)));
        depth ? Fill<DepthOnly>(target, s) : Fill<NeitherDepthNorColour>(target, s);
    }
    return true;
}
