// Rasteriser stage: fills screen-space triangles into a 16-bit colour buffer
// with an optional 16-bit z-buffer (LESSEQUAL, writes on). Pixel centres are
// integer: pixel (i, j) is drawn when the point (i, j) lies inside the
// triangle, points on an edge counting only for top and left edges. Corners
// snap to 1/16 pixel. Colours are interpolated linearly (Gouraud) or taken
// from the first corner (flat). Platform-internal.
#pragma once

#include <cstdint>

#include "platform/d3d/d3d.h"

// pixel = ((r8 >> redDrop) << redShift) | ... for 8-bit channel values.
struct ColourLayout {
    int redShift = 11, greenShift = 5, blueShift = 0;
    int redDrop = 3, greenDrop = 2, blueDrop = 3;
};
ColourLayout LayoutOf(const DDPIXELFORMAT& format);

inline uint16_t PackRgb(const ColourLayout& layout, uint32_t r8, uint32_t g8, uint32_t b8) {
    return static_cast<uint16_t>(((r8 >> layout.redDrop) << layout.redShift) |
                                 ((g8 >> layout.greenDrop) << layout.greenShift) |
                                 ((b8 >> layout.blueDrop) << layout.blueShift));
}

struct RasterTarget {
    uint16_t* colour = nullptr;
    uint16_t* depth = nullptr;                     // null: no depth test
    int pitch = 0;                                 // pixels from one row to the next, both buffers
    int left = 0, top = 0, right = 0, bottom = 0;  // drawn pixels: [left, right) x [top, bottom)
    ColourLayout layout;
    bool gouraud = true;
    DWORD cullMode = D3DCULL_CCW;
};

struct ScreenVertex {
    float x, y;     // pixels
    float z;        // depth 0..1
    float r, g, b;  // colour 0..1
};

// True when cullMode drops the triangle, or it has no area, as DrawTriangle
// decides it (corners snapped to 1/16 pixel).
bool IsCulled(DWORD cullMode, const ScreenVertex& v0, const ScreenVertex& v1, const ScreenVertex& v2);

// Culls by winding (A = (x1-x0)(y2-y0) - (x2-x0)(y1-y0), y down: D3DCULL_CCW
// drops A < 0, D3DCULL_CW drops A > 0, A = 0 is never drawn) and fills the
// rest. Corners further than 2^20 pixels out, or not finite, are refused.
// Returns false when the triangle was culled.
bool DrawTriangle(const RasterTarget& target, const ScreenVertex& v0, const ScreenVertex& v1,
                  const ScreenVertex& v2);
