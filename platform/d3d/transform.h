// Transform stage of the software Direct3D device: matrices (row vectors,
// p x World x View x Projection) and the viewport's clip-volume mapping from
// (X, Y, Z) = (x/w, y/w, z/w) to screen pixels and depth. Platform-internal.
#pragma once

#include "platform/d3d/d3d.h"

struct Vec4 {
    float x, y, z, w;
};

struct Matrix3 {
    float m[3][3];
};

D3DMATRIX IdentityMatrix();
// a x b: a point goes through a first, then b.
D3DMATRIX MultiplyMatrices(const D3DMATRIX& a, const D3DMATRIX& b);
// The inverse transpose of the upper 3x3 part, which carries normals; zeros
// when that part is singular.
Matrix3 NormalMatrix(const D3DMATRIX& m);

inline Vec4 TransformPoint(const D3DMATRIX& m, float x, float y, float z) {
    return {x * m._11 + y * m._21 + z * m._31 + m._41, x * m._12 + y * m._22 + z * m._32 + m._42,
            x * m._13 + y * m._23 + z * m._33 + m._43, x * m._14 + y * m._24 + z * m._34 + m._44};
}
// The affine part only (w taken as 1): eye-space positions.
inline D3DVECTOR TransformAffine(const D3DMATRIX& m, float x, float y, float z) {
    return {x * m._11 + y * m._21 + z * m._31 + m._41, x * m._12 + y * m._22 + z * m._32 + m._42,
            x * m._13 + y * m._23 + z * m._33 + m._43};
}
inline D3DVECTOR TransformNormal(const Matrix3& n, float x, float y, float z) {
    return {x * n.m[0][0] + y * n.m[1][0] + z * n.m[2][0], x * n.m[0][1] + y * n.m[1][1] + z * n.m[2][1],
            x * n.m[0][2] + y * n.m[1][2] + z * n.m[2][2]};
}

// Where the viewport puts things: sx = offsetX + scaleX * X,
// sy = offsetY + scaleY * Y, sz = offsetZ + scaleZ * Z; pixels are scissored
// to [left, right) x [top, bottom).
struct ViewportMapping {
    float scaleX = 0, offsetX = 0;
    float scaleY = 0, offsetY = 0;
    float scaleZ = 0, offsetZ = 0;
    float minZ = 0, maxZ = 1;   // the visible Z interval, in order
    float minX = -1, maxX = 1;  // X of the guard band around the rectangle
    float minY = -1, maxY = 1;  // Y of the guard band
    int left = 0, top = 0, right = 0, bottom = 0;
};

// Pixels beyond the viewport that a triangle may reach before it is clipped
// geometrically in x and y as well; keeps the rasteriser's integers small.
constexpr float GUARD_BAND_PIXELS = 2048.0f;

// False for a degenerate clip volume (zero width, height or depth range).
bool MakeViewportMapping(const D3DVIEWPORT2& viewport, ViewportMapping* mapping);

struct ScreenPoint {
    float x, y, z;
};
inline ScreenPoint ProjectToScreen(const ViewportMapping& v, const Vec4& p) {
    const float inverseW = 1.0f / p.w;
    return {v.offsetX + v.scaleX * (p.x * inverseW), v.offsetY + v.scaleY * (p.y * inverseW),
            v.offsetZ + v.scaleZ * (p.z * inverseW)};
}
