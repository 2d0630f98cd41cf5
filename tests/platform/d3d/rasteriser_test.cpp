// The rasteriser on its own: fill rule, shared edges, culling, depth test and
// Gouraud interpolation, checked against the sample-point rule computed here.
#include "platform/d3d/rasteriser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

constexpr int W = 64;
constexpr int H = 48;

struct Canvas {
    std::vector<uint16_t> colour = std::vector<uint16_t>(W * H, 0);
    std::vector<uint16_t> depth = std::vector<uint16_t>(W * H, 0xFFFF);
    RasterTarget Target(bool withDepth = true, DWORD cull = D3DCULL_NONE) {
        RasterTarget t;
        t.colour = colour.data();
        t.depth = withDepth ? depth.data() : nullptr;
        t.pitch = W;
        t.right = W;
        t.bottom = H;
        t.cullMode = cull;
        return t;
    }
    uint16_t At(int x, int y) const { return colour[y * W + x]; }
};

ScreenVertex V(float x, float y, float z = 0.5f, float r = 1, float g = 1, float b = 1) {
    return {x, y, z, r, g, b};
}

// Coverage by the rule itself, in exact rationals on the 1/16 grid: the
// sample (i, j) is inside, or on a top or left edge of a clockwise triangle.
bool Covers(const ScreenVertex& a0, const ScreenVertex& b0, const ScreenVertex& c0, int i, int j) {
    auto snap = [](float v) { return static_cast<long long>(std::llround(v * 16)); };
    long long x[3] = {snap(a0.x), snap(b0.x), snap(c0.x)};
    long long y[3] = {snap(a0.y), snap(b0.y), snap(c0.y)};
    long long area = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
    if (area == 0) {
        return false;
    }
    if (area < 0) {
        std::swap(x[1], x[2]);
        std::swap(y[1], y[2]);
    }
    const long long px = i * 16LL;
    const long long py = j * 16LL;
    for (int e = 0; e < 3; ++e) {
        const int a = (e + 1) % 3;
        const int b = (e + 2) % 3;
        const long long dx = x[b] - x[a];
        const long long dy = y[b] - y[a];
        const long long side = dx * (py - y[a]) - dy * (px - x[a]);
        const bool topLeft = dy < 0 || (dy == 0 && dx > 0);
        if (side < 0 || (side == 0 && !topLeft)) {
            return false;
        }
    }
    return true;
}

TEST(FillRule, AnAxisAlignedSquareCoversExactlyItsPixels) {
    Canvas canvas;
    RasterTarget target = canvas.Target(false);
    // Square from (2, 3) to (6, 7), two triangles: 4 x 4 pixels, the right
    // and bottom edges' samples belong to the neighbours.
    DrawTriangle(target, V(2, 3, 0, 1, 0, 0), V(6, 3, 0, 1, 0, 0), V(2, 7, 0, 1, 0, 0));
    DrawTriangle(target, V(6, 3, 0, 1, 0, 0), V(6, 7, 0, 1, 0, 0), V(2, 7, 0, 1, 0, 0));
    int covered = 0;
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const bool inside = x >= 2 && x < 6 && y >= 3 && y < 7;
            EXPECT_EQ(canvas.At(x, y) != 0, inside) << x << "," << y;
            covered += canvas.At(x, y) != 0 ? 1 : 0;
        }
    }
    EXPECT_EQ(covered, 16);
}

TEST(FillRule, TrianglesAroundACommonCornerCoverEachPixelOnce) {
    // A fan of 12 triangles about a point on a pixel centre, with corners at
    // odd fractions: every pixel of the disc is drawn by exactly one.
    std::vector<int> count(W * H, 0);
    const float cx = 30.0f;
    const float cy = 22.0f;
    std::vector<ScreenVertex> rim;
    for (int k = 0; k < 12; ++k) {
        const double angle = k * 2.0 * 3.14159265358979 / 12 + 0.1;
        rim.push_back(V(static_cast<float>(cx + 19.3 * std::cos(angle)),
                        static_cast<float>(cy + 17.7 * std::sin(angle))));
    }
    for (int k = 0; k < 12; ++k) {
        Canvas canvas;
        RasterTarget target = canvas.Target(false);
        const ScreenVertex centre = V(cx, cy);
        DrawTriangle(target, centre, rim[k], rim[(k + 1) % 12]);
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x) {
                const bool drawn = canvas.At(x, y) != 0;
                ASSERT_EQ(drawn, Covers(centre, rim[k], rim[(k + 1) % 12], x, y))
                    << k << ":" << x << "," << y;
                count[y * W + x] += drawn ? 1 : 0;
            }
        }
    }
    EXPECT_EQ(count[22 * W + 30], 1);  // the shared corner itself
    for (int value : count) {
        ASSERT_LE(value, 1);
    }
}

TEST(FillRule, RandomTrianglesMatchTheSamplePointRule) {
    std::mt19937 random(1234);
    std::uniform_real_distribution<float> coordinate(-8.0f, 72.0f);
    for (int round = 0; round < 200; ++round) {
        const ScreenVertex a = V(coordinate(random), coordinate(random));
        const ScreenVertex b = V(coordinate(random), coordinate(random));
        const ScreenVertex c = V(coordinate(random), coordinate(random));
        Canvas canvas;
        RasterTarget target = canvas.Target(false);
        DrawTriangle(target, a, b, c);
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x) {
                ASSERT_EQ(canvas.At(x, y) != 0, Covers(a, b, c, x, y)) << round << ":" << x << "," << y;
            }
        }
    }
}

TEST(Culling, CounterClockwiseOnScreenIsDroppedByDefault) {
    const ScreenVertex a = V(10, 10);
    const ScreenVertex b = V(30, 10);
    const ScreenVertex c = V(10, 30);  // a -> b -> c turns clockwise with y down: A > 0
    Canvas canvas;
    EXPECT_TRUE(DrawTriangle(canvas.Target(false, D3DCULL_CCW), a, b, c));
    EXPECT_NE(canvas.At(12, 12), 0);
    Canvas reversed;
    EXPECT_FALSE(DrawTriangle(reversed.Target(false, D3DCULL_CCW), a, c, b));
    EXPECT_EQ(reversed.At(12, 12), 0);
    Canvas clockwiseCulled;
    EXPECT_FALSE(DrawTriangle(clockwiseCulled.Target(false, D3DCULL_CW), a, b, c));
    EXPECT_TRUE(DrawTriangle(clockwiseCulled.Target(false, D3DCULL_CW), a, c, b));
    // A = 0 is never drawn.
    Canvas flat;
    EXPECT_FALSE(DrawTriangle(flat.Target(false, D3DCULL_NONE), V(1, 1), V(5, 5), V(9, 9)));
    EXPECT_TRUE(IsCulled(D3DCULL_CCW, a, c, b));
    EXPECT_FALSE(IsCulled(D3DCULL_CCW, a, b, c));
}

TEST(DepthTest, LessOrEqualPassesAndWrites) {
    Canvas canvas;
    RasterTarget target = canvas.Target(true);
    target.layout = ColourLayout{};
    auto quad = [&](float z, float r, float g, float b) {
        DrawTriangle(target, V(0, 0, z, r, g, b), V(20, 0, z, r, g, b), V(0, 20, z, r, g, b));
    };
    quad(0.6f, 1, 0, 0);
    EXPECT_EQ(canvas.At(5, 5), 0xF800);
    EXPECT_EQ(canvas.depth[5 * W + 5], static_cast<uint16_t>(std::lround(0.6 * 65535)));
    quad(0.7f, 0, 1, 0);  // farther: hidden
    EXPECT_EQ(canvas.At(5, 5), 0xF800);
    quad(0.6f, 0, 0, 1);  // equal: drawn
    EXPECT_EQ(canvas.At(5, 5), 0x001F);
    quad(0.2f, 0, 1, 0);  // nearer: drawn, depth written
    EXPECT_EQ(canvas.At(5, 5), 0x07E0);
    EXPECT_EQ(canvas.depth[5 * W + 5], static_cast<uint16_t>(std::lround(0.2 * 65535)));
}

TEST(Gouraud, ColoursFollowThePlaneThroughTheCorners) {
    Canvas canvas;
    RasterTarget target = canvas.Target(false);
    // Green runs 0 -> 1 along x over 40 pixels; red 0 -> 1 along y.
    DrawTriangle(target, V(0, 0, 0, 0, 0, 0), V(40, 0, 0, 0, 1, 0), V(0, 40, 0, 1, 0, 0));
    for (int x : {0, 10, 20, 30}) {
        const int expectedGreen = static_cast<int>(std::lround(x / 40.0 * 255)) >> 2;
        EXPECT_EQ((canvas.At(x, 0) >> 5) & 0x3F, expectedGreen) << x;
    }
    const int expectedRed = static_cast<int>(std::lround(20 / 40.0 * 255)) >> 3;
    EXPECT_EQ(canvas.At(0, 20) >> 11, expectedRed);
}

TEST(Gouraud, FlatShadingTakesTheFirstCorner) {
    Canvas canvas;
    RasterTarget target = canvas.Target(false);
    target.gouraud = false;
    DrawTriangle(target, V(0, 0, 0, 0, 0, 1), V(40, 0, 0, 1, 0, 0), V(0, 40, 0, 0, 1, 0));
    EXPECT_EQ(canvas.At(1, 1), 0x001F);
    EXPECT_EQ(canvas.At(30, 5), 0x001F);
}

TEST(Scissor, NothingIsDrawnOutsideTheTargetRectangle) {
    Canvas canvas;
    RasterTarget target = canvas.Target(false);
    target.left = 10;
    target.top = 5;
    target.right = 20;
    target.bottom = 15;
    DrawTriangle(target, V(-100, -100), V(300, -100), V(-100, 300));
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const bool inside = x >= 10 && x < 20 && y >= 5 && y < 15;
            ASSERT_EQ(canvas.At(x, y) != 0, inside) << x << "," << y;
        }
    }
}

TEST(Robustness, CornersThatAreNotNumbersOrFarAwayDrawNothing) {
    Canvas canvas;
    RasterTarget target = canvas.Target(true);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_FALSE(DrawTriangle(target, V(nan, 0), V(10, 0), V(0, 10)));
    EXPECT_FALSE(DrawTriangle(target, V(0, 0), V(inf, 0), V(0, 10)));
    EXPECT_FALSE(DrawTriangle(target, V(0, 0), V(10, 0), V(0, 10, nan)));
    EXPECT_FALSE(DrawTriangle(target, V(0, 0), V(3e9f, 0), V(0, 10)));
    // A sliver with an enormous gradient stays within its pixels' range.
    DrawTriangle(target, V(0, 0, 0.0f), V(60.0625f, 1, 1.0f), V(60, 1, 0.0f));
    for (uint16_t value : canvas.colour) {
        ASSERT_TRUE(value == 0 || value == 0xFFFF);
    }
}

TEST(Layouts, ChannelPositionsComeFromTheMasks) {
    DDPIXELFORMAT format{};
    format.dwRBitMask = 0x7C00;
    format.dwGBitMask = 0x03E0;
    format.dwBBitMask = 0x001F;
    const ColourLayout layout = LayoutOf(format);
    EXPECT_EQ(PackRgb(layout, 255, 255, 255), 0x7FFF);
    EXPECT_EQ(PackRgb(layout, 255, 0, 0), 0x7C00);
    EXPECT_EQ(PackRgb(LayoutOf({0, 0, 0, {16}, {0xF800}, {0x07E0}, {0x001F}, {0}}), 0, 255, 0), 0x07E0);
}

}  // namespace
