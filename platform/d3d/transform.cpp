#include "platform/d3d/transform.h"

#include <algorithm>
#include <cmath>

namespace {

float& At(D3DMATRIX& m, int row, int column) { return (&m._11)[row * 4 + column]; }
float At(const D3DMATRIX& m, int row, int column) { return (&m._11)[row * 4 + column]; }

}  // namespace

D3DMATRIX IdentityMatrix() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

D3DMATRIX MultiplyMatrices(const D3DMATRIX& a, const D3DMATRIX& b) {
    D3DMATRIX result{};
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) {
                sum += At(a, row, k) * At(b, k, column);
            }
            At(result, row, column) = sum;
        }
    }
    return result;
}

Matrix3 NormalMatrix(const D3DMATRIX& m) {
    // The inverse transpose is the cofactor matrix divided by the determinant.
    const double a = m._11, b = m._12, c = m._13;
    const double d = m._21, e = m._22, f = m._23;
    const double g = m._31, h = m._32, i = m._33;
    const double cofactor[3][3] = {{e * i - f * h, f * g - d * i, d * h - e * g},
                                   {c * h - b * i, a * i - c * g, b * g - a * h},
                                   {b * f - c * e, c * d - a * f, a * e - b * d}};
    const double determinant = a * cofactor[0][0] + b * cofactor[0][1] + c * cofactor[0][2];
    Matrix3 result{};
    if (determinant == 0.0 || !std::isfinite(determinant)) {
        return result;
    }
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            result.m[row][column] = static_cast<float>(cofactor[row][column] / determinant);
        }
    }
    return result;
}

bool MakeViewportMapping(const D3DVIEWPORT2& viewport, ViewportMapping* mapping) {
    if (viewport.dwWidth == 0 || viewport.dwHeight == 0 || viewport.dvClipWidth == 0.0f ||
        viewport.dvClipHeight == 0.0f || viewport.dvMaxZ == viewport.dvMinZ) {
        return false;
    }
    const float width = static_cast<float>(viewport.dwWidth);
    const float height = static_cast<float>(viewport.dwHeight);
    ViewportMapping& v = *mapping;
    // sx = dwX + W (X - Cx) / Cw and sy = dwY + H (Cy - Y) / Ch.
    v.scaleX = width / viewport.dvClipWidth;
    v.offsetX = static_cast<float>(viewport.dwX) - viewport.dvClipX * v.scaleX;
    v.scaleY = -height / viewport.dvClipHeight;
    v.offsetY = static_cast<float>(viewport.dwY) + height * viewport.dvClipY / viewport.dvClipHeight;
    v.scaleZ = 1.0f / (viewport.dvMaxZ - viewport.dvMinZ);
    v.offsetZ = -viewport.dvMinZ * v.scaleZ;
    v.minZ = std::min(viewport.dvMinZ, viewport.dvMaxZ);
    v.maxZ = std::max(viewport.dvMinZ, viewport.dvMaxZ);
    v.left = static_cast<int>(viewport.dwX);
    v.top = static_cast<int>(viewport.dwY);
    v.right = static_cast<int>(viewport.dwX + viewport.dwWidth);
    v.bottom = static_cast<int>(viewport.dwY + viewport.dwHeight);
    // The guard band in X and Y: the pixels' range widened, mapped back.
    const float x0 = (static_cast<float>(v.left) - GUARD_BAND_PIXELS - v.offsetX) / v.scaleX;
    const float x1 = (static_cast<float>(v.right) + GUARD_BAND_PIXELS - v.offsetX) / v.scaleX;
    const float y0 = (static_cast<float>(v.top) - GUARD_BAND_PIXELS - v.offsetY) / v.scaleY;
    const float y1 = (static_cast<float>(v.bottom) + GUARD_BAND_PIXELS - v.offsetY) / v.scaleY;
    v.minX = std::min(x0, x1);
    v.maxX = std::max(x0, x1);
    v.minY = std::min(y0, y1);
    v.maxY = std::max(y0, y1);
    return true;
}
