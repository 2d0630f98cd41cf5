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

int64_t FloorDiv(int64_t a, int64_t b) {  // b > 0
    const int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

// Where an edge crosses each row, without a division per row: floor(E / t)
// for E = E(row) and t = |stepX|, kept as quotient and remainder and stepped
// by the row step's own quotient and remainder.
struct EdgeWalker {
    int64_t quotient;
    int64_t remainder;  // 0 <= remainder < divisor
    int64_t rowQuotient;
    int64_t rowRemainder;
    int64_t divisor;
    int64_t value;  // E itself, for edges with stepX = 0

    explicit EdgeWalker(const Edge& edge) : value(edge.value) {
        divisor = edge.stepX < 0 ? -edge.stepX : edge.stepX;
        if (divisor == 0) {
            quotient = remainder = rowQuotient = rowRemainder = 0;
            return;
        }
        quotient = FloorDiv(edge.value, divisor);
        remainder = edge.value - quotient * divisor;
        rowQuotient = FloorDiv(edge.stepY, divisor);
        rowRemainder = edge.stepY - rowQuotient * divisor;
    }
    void NextRow(int64_t stepY) {
        value += stepY;
        quotient += rowQuotient;
        remainder += rowRemainder;
        // Without a branch: whether it wraps is as good as random.
        const int64_t wraps = -static_cast<int64_t>(remainder >= divisor);
        remainder -= divisor & wraps;
        quotient -= wraps;
    }
};

// Narrows [first, last] to the pixels k of the row where E + k stepX >= 0.
void NarrowSpan(const Edge& edge, const EdgeWalker& walker, int64_t& first, int64_t& last) {
    if (edge.stepX > 0) {
        first = std::max(first, -walker.quotient);  // k >= ceil(-E / stepX)
    } else if (edge.stepX < 0) {
        last = std::min(last, walker.quotient);  // k <= floor(E / -stepX)
    } else if (walker.value < 0) {
        last = -1;
    }
}

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
    static constexpr bool DEPTH = true;
    static constexpr bool COLOUR = true;
};
struct DepthOnly {
    static constexpr bool DEPTH = true;
    static constexpr bool COLOUR = false;
};
struct ColourOnly {
    static constexpr bool DEPTH = false;
    static constexpr bool COLOUR = true;
};
struct NeitherDepthNorColour {
    static constexpr bool DEPTH = false;
    static constexpr bool COLOUR = false;
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

// Colours run as 8.16 fixed point (below 2^24), depth as 16.15.
constexpr float CHANNEL_MAX = 16777215.0f;
constexpr float DEPTH_MAX = 65535.9f;
constexpr float DEPTH_ONE = 32768.0f;

// How a pixel is packed from 8.16 channels: the two screen layouts with
// constant shifts, and any other set of masks.
struct Pack565 {
    static uint16_t Pack(const ColourLayout&, uint32_t r, uint32_t g, uint32_t b) {
        return static_cast<uint16_t>(((r >> 8) & 0xF800) | ((g >> 13) & 0x07E0) | (b >> 19));
    }
};
struct Pack555 {
    static uint16_t Pack(const ColourLayout&, uint32_t r, uint32_t g, uint32_t b) {
        return static_cast<uint16_t>(((r >> 9) & 0x7C00) | ((g >> 14) & 0x03E0) | (b >> 19));
    }
};
struct PackAny {
    static uint16_t Pack(const ColourLayout& layout, uint32_t r, uint32_t g, uint32_t b) {
        return PackRgb(layout, r >> 16, g >> 16, b >> 16);
    }
};

// A quantity along the rows: a plane in fixed point with its per-pixel step
// worked out once per triangle.
struct Ramp {
    Ramp() = default;
    Ramp(const Plane& p, float maximum, float unit)
        : plane(p),
          scale(unit),
          top(static_cast<int64_t>(maximum * unit)),
          step(static_cast<int32_t>(std::clamp(p.dx * unit, -maximum * unit, maximum * unit))) {}
    // The value at the row's first pixel, clamped, and a step that keeps the
    // row's last pixel in range too.
    inline void StartRow(float fx, float fy, int count, int32_t& value, int32_t& rowStep) const {
        const float maximum = static_cast<float>(top) / scale;
        value = static_cast<int32_t>(std::clamp(plane.origin + plane.dx * fx + plane.dy * fy, 0.0f, maximum) *
                                     scale);
        rowStep = step;
        const int64_t end = value + static_cast<int64_t>(count) * step;
        if (end < 0 || end > top) {
            // Only slivers with steep gradients get here: aim at the clamped end.
            rowStep = static_cast<int32_t>((std::clamp<int64_t>(end, 0, top) - value) / count);
        }
    }
    Plane plane{};
    float scale = 1.0f;
    int64_t top = 0;
    int32_t step = 0;
};

template <class Interpolants, class Packing>
void Fill(const RasterTarget& target, const Setup& s) {
    const int64_t width = s.xMax - s.xMin;
    const Ramp zRamp(s.z, DEPTH_MAX, DEPTH_ONE);
    const Ramp rRamp(s.colour[0], CHANNEL_MAX, 1.0f);
    const Ramp gRamp(s.colour[1], CHANNEL_MAX, 1.0f);
    const Ramp bRamp(s.colour[2], CHANNEL_MAX, 1.0f);
    // Three named walkers rather than an array, so that they live in registers.
    EdgeWalker w0(s.edges[0]);
    EdgeWalker w1(s.edges[1]);
    EdgeWalker w2(s.edges[2]);
    for (int y = s.yMin; y <= s.yMax; ++y) {
        int64_t first = 0;
        int64_t last = width;
        NarrowSpan(s.edges[0], w0, first, last);
        NarrowSpan(s.edges[1], w1, first, last);
        NarrowSpan(s.edges[2], w2, first, last);
        w0.NextRow(s.edges[0].stepY);
        w1.NextRow(s.edges[1].stepY);
        w2.NextRow(s.edges[2].stepY);
        if (first > last) {
            continue;
        }
        const int xFirst = s.xMin + static_cast<int>(first);
        const int count = static_cast<int>(last - first);
        const float fx = static_cast<float>(xFirst) - s.x0;
        const float fy = static_cast<float>(y) - s.y0;
        uint16_t* colourRow = target.colour + static_cast<ptrdiff_t>(y) * target.pitch + xFirst;
        uint16_t* depthRow = nullptr;
        int32_t depth = 0, depthStep = 0;
        if constexpr (Interpolants::DEPTH) {
            zRamp.StartRow(fx, fy, count, depth, depthStep);
            depthRow = target.depth + static_cast<ptrdiff_t>(y) * target.pitch + xFirst;
        }
        int32_t red = 0, green = 0, blue = 0, redStep = 0, greenStep = 0, blueStep = 0;
        if constexpr (Interpolants::COLOUR) {
            rRamp.StartRow(fx, fy, count, red, redStep);
            gRamp.StartRow(fx, fy, count, green, greenStep);
            bRamp.StartRow(fx, fy, count, blue, blueStep);
        }
        for (int k = 0; k <= count; ++k) {
            uint16_t pixel = s.flatColour;
            if constexpr (Interpolants::COLOUR) {
                pixel = Packing::Pack(target.layout, static_cast<uint32_t>(red), static_cast<uint32_t>(green),
                                      static_cast<uint32_t>(blue));
                red += redStep;
                green += greenStep;
                blue += blueStep;
            }
            if constexpr (Interpolants::DEPTH) {
                // Selects instead of a branch: passing and failing interleave unpredictably.
                const auto value = static_cast<uint16_t>(depth >> 15);
                // Unsigned: the step after the row's last pixel may leave the range.
                depth = static_cast<int32_t>(static_cast<uint32_t>(depth) + static_cast<uint32_t>(depthStep));
                const uint16_t stored = depthRow[k];
                const bool pass = value <= stored;
                depthRow[k] = pass ? value : stored;
                pixel = pass ? pixel : colourRow[k];
            }
            colourRow[k] = pixel;
        }
    }
}

template <class Interpolants>
void FillPacked(const RasterTarget& target, const Setup& s) {
    const ColourLayout& l = target.layout;
    if (l.redShift == 11 && l.greenShift == 5 && l.blueShift == 0 && l.redDrop == 3 && l.greenDrop == 2 &&
        l.blueDrop == 3) {
        Fill<Interpolants, Pack565>(target, s);
    } else if (l.redShift == 10 && l.greenShift == 5 && l.blueShift == 0 && l.redDrop == 3 &&
               l.greenDrop == 3 && l.blueDrop == 3) {
        Fill<Interpolants, Pack555>(target, s);
    } else {
        Fill<Interpolants, PackAny>(target, s);
    }
}

// Nearest 1/16 pixel, halves up; exact for |v| < 2^20 pixels.
int64_t Snap(float v) {
    constexpr double BIAS = 1073741824.0;
    return static_cast<int64_t>(static_cast<double>(v) * SUBPIXELS + 0.5 + BIAS) - static_cast<int64_t>(BIAS);
}

uint32_t FlatChannel(float value) {
    return static_cast<uint32_t>(std::clamp(value * COLOUR_ONE + 32768.0f, 0.0f, CHANNEL_MAX));
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
    const int64_t x0 = Snap(v0.x);
    const int64_t y0 = Snap(v0.y);
    const int64_t area = (Snap(v1.x) - x0) * (Snap(v2.y) - y0) - (Snap(v2.x) - x0) * (Snap(v1.y) - y0);
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
    int64_t x[3] = {Snap(a->x), Snap(b->x), Snap(c->x)};
    int64_t y[3] = {Snap(a->y), Snap(b->y), Snap(c->y)};
    int64_t area = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
    if (area == 0 || (area < 0 && target.cullMode == D3DCULL_CCW) ||
        (area > 0 && target.cullMode == D3DCULL_CW)) {
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
    s.xMax =
        static_cast<int>(std::min<int64_t>(target.right - 1, std::max({x[0], x[1], x[2]}) >> SUBPIXEL_BITS));
    s.yMin = static_cast<int>(std::max<int64_t>(target.top, ceilPixel(std::min({y[0], y[1], y[2]}))));
    s.yMax =
        static_cast<int>(std::min<int64_t>(target.bottom - 1, std::max({y[0], y[1], y[2]}) >> SUBPIXEL_BITS));
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
    s.z = MakePlane(a->z * 65535.0f + 0.5f, b->z * 65535.0f + 0.5f, c->z * 65535.0f + 0.5f, x10, y10, x20,
                    y20, areaPixels);
    const bool depth = target.depth != nullptr;
    if (target.gouraud) {
        const float* ca = &a->r;
        const float* cb = &b->r;
        const float* cc = &c->r;
        for (int channel = 0; channel < 3; ++channel) {
            s.colour[channel] =
                MakePlane(ca[channel] * COLOUR_ONE + 32768.0f, cb[channel] * COLOUR_ONE + 32768.0f,
                          cc[channel] * COLOUR_ONE + 32768.0f, x10, y10, x20, y20, areaPixels);
        }
        depth ? FillPacked<DepthAndColour>(target, s) : FillPacked<ColourOnly>(target, s);
    } else {
        // Flat shading takes the first corner as given, before any reordering.
        s.flatColour =
            PackRgb(target.layout, FlatChannel(v0.r) >> 16, FlatChannel(v0.g) >> 16, FlatChannel(v0.b) >> 16);
        depth ? Fill<DepthOnly, PackAny>(target, s) : Fill<NeitherDepthNorColour, PackAny>(target, s);
    }
    return true;
}
