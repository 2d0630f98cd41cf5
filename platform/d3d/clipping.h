// Clipping stage: triangles in clip space (x, y, z, w) against the near and
// far planes (Z in [minZ, maxZ]) and, only when they reach that far, the
// guard band in X and Y. Within the guard band the rasteriser scissors to the
// viewport, which gives the same pixels as clipping. Platform-internal.
#pragma once

#include <cstdint>

#include "platform/d3d/transform.h"

struct ClipVertex {
    float x, y, z, w;  // clip space
    float r, g, b;     // lit colour, 0..1
};

enum ClipPlane : uint32_t {
    CLIP_NEAR = 1u << 0,
    CLIP_FAR = 1u << 1,
    CLIP_LEFT = 1u << 2,
    CLIP_RIGHT = 1u << 3,
    CLIP_BOTTOM = 1u << 4,
    CLIP_TOP = 1u << 5,
};
constexpr int CLIP_PLANE_COUNT = 6;
// A triangle clipped by every plane has at most this many corners.
constexpr int MAX_CLIPPED_VERTICES = 3 + CLIP_PLANE_COUNT;

// The planes as a . (x, y, z, w) >= 0 for the inside.
struct ClipVolume {
    float planes[CLIP_PLANE_COUNT][4];
};
ClipVolume MakeClipVolume(const ViewportMapping& mapping);

// The planes a point lies outside of, as ClipPlane bits.
inline uint32_t OutCode(const ClipVolume& volume, float x, float y, float z, float w) {
    uint32_t code = 0;
    for (int plane = 0; plane < CLIP_PLANE_COUNT; ++plane) {
        const float* p = volume.planes[plane];
        if (p[0] * x + p[1] * y + p[2] * z + p[3] * w < 0.0f) {
            code |= 1u << plane;
        }
    }
    return code;
}

// Clips the polygon in[0..count) against the planes in `planes`; writes the
// result to out (room for MAX_CLIPPED_VERTICES) and returns its corner count
// (0 when nothing is left). Colours are interpolated along the cut edges.
int ClipPolygon(const ClipVolume& volume, uint32_t planes, const ClipVertex* in, int count, ClipVertex* out);
