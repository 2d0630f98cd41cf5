#include "platform/d3d/clipping.h"

#include <algorithm>

namespace {

void SetPlane(ClipVolume& volume, int index, float a, float b, float c, float d) {
    volume.planes[index][0] = a;
    volume.planes[index][1] = b;
    volume.planes[index][2] = c;
    volume.planes[index][3] = d;
}

float Distance(const float* plane, const ClipVertex& v) {
    return plane[0] * v.x + plane[1] * v.y + plane[2] * v.z + plane[3] * v.w;
}

ClipVertex Lerp(const ClipVertex& a, const ClipVertex& b, float t) {
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t, a.w + (b.w - a.w) * t,
            a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// One Sutherland-Hodgman pass; returns the new corner count. A convex polygon
// gains at most one corner per plane, but rounding can make a nearly
// degenerate one cross a plane more than twice: corners beyond the room of
// `out` (MAX_CLIPPED_VERTICES) are dropped rather than written past its end.
int ClipAgainst(const float* plane, const ClipVertex* in, int count, ClipVertex* out) {
    int written = 0;
    for (int index = 0; index < count && written < MAX_CLIPPED_VERTICES; ++index) {
        const ClipVertex& current = in[index];
        const ClipVertex& next = in[(index + 1) % count];
        const float dCurrent = Distance(plane, current);
        const float dNext = Distance(plane, next);
        if (dCurrent >= 0.0f) {
            out[written++] = current;
        }
        if ((dCurrent >= 0.0f) != (dNext >= 0.0f)) {
            // Always cut from the inside corner so that a shared edge is cut
            // at the same point from either triangle.
            const bool currentInside = dCurrent >= 0.0f;
            const ClipVertex& inside = currentInside ? current : next;
            const ClipVertex& outside = currentInside ? next : current;
            const float dInside = currentInside ? dCurrent : dNext;
            const float dOutside = currentInside ? dNext : dCurrent;
            const float t = dInside / (dInside - dOutside);
            if (written < MAX_CLIPPED_VERTICES) {
                out[written++] = Lerp(inside, outside, t);
            }
        }
    }
    return written;
}

}  // namespace

ClipVolume MakeClipVolume(const ViewportMapping& mapping) {
    ClipVolume volume{};
    // minZ <= z/w <= maxZ, written without the divide: z - minZ w >= 0, maxZ w - z >= 0.
    SetPlane(volume, 0, 0, 0, 1, -mapping.minZ);
    SetPlane(volume, 1, 0, 0, -1, mapping.maxZ);
    SetPlane(volume, 2, 1, 0, 0, -mapping.minX);
    SetPlane(volume, 3, -1, 0, 0, mapping.maxX);
    SetPlane(volume, 4, 0, 1, 0, -mapping.minY);
    SetPlane(volume, 5, 0, -1, 0, mapping.maxY);
    return volume;
}

int ClipPolygon(const ClipVolume& volume, uint32_t planes, const ClipVertex* in, int count, ClipVertex* out) {
    ClipVertex buffers[2][MAX_CLIPPED_VERTICES];
    const ClipVertex* source = in;
    int current = 0;
    for (int plane = 0; plane < CLIP_PLANE_COUNT && count > 0; ++plane) {
        if ((planes & (1u << plane)) == 0) {
            continue;
        }
        count = ClipAgainst(volume.planes[plane], source, count, buffers[current]);
        source = buffers[current];
        current ^= 1;
    }
    if (count < 3) {
        return 0;
    }
    std::copy(source, source + count, out);
    return count;
}
