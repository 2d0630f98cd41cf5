#include "tests/platform/d3d/flat_solid_mesh.h"

#include <cmath>

namespace {

constexpr int POINTS = 31;
constexpr float HALF_THICKNESS = 1.5f;
constexpr double PI = 3.14159265358979323846;

// Built as a star in the x-y plane and laid flat into the x-z plane (a turn
// about x), so that the intro's own 90-degree turn stands it up.
D3DVERTEX Vertex(float x, float y, float z, float nx, float ny, float nz) {
    return {x, -z, y, nx, -nz, ny, 0, 0};
}

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
    D3DMATRIX r{};
    const float* pa = &a._11;
    const float* pb = &b._11;
    float* pr = &r._11;
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) {
                sum += pa[row * 4 + k] * pb[k * 4 + column];
            }
            pr[row * 4 + column] = sum;
        }
    }
    return r;
}

D3DMATRIX Identity() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

}  // namespace

std::vector<D3DVERTEX> FlatSolidMesh() {
    std::vector<D3DVERTEX> mesh;
    float px[POINTS];
    float py[POINTS];
    for (int i = 0; i < POINTS; ++i) {
        const double angle = 2.0 * PI * i / POINTS;
        const double radius = (i % 2 == 0) ? 15.0 : 10.5;
        px[i] = static_cast<float>(radius * std::cos(angle));
        py[i] = static_cast<float>(radius * std::sin(angle));
    }
    // Corners run clockwise as seen from outside the solid.
    for (int i = 0; i < POINTS; ++i) {
        const int j = (i + 1) % POINTS;
        mesh.push_back(Vertex(0, 0, HALF_THICKNESS, 0, 0, 1));
        mesh.push_back(Vertex(px[j], py[j], HALF_THICKNESS, 0, 0, 1));
        mesh.push_back(Vertex(px[i], py[i], HALF_THICKNESS, 0, 0, 1));
        mesh.push_back(Vertex(0, 0, -HALF_THICKNESS, 0, 0, -1));
        mesh.push_back(Vertex(px[i], py[i], -HALF_THICKNESS, 0, 0, -1));
        mesh.push_back(Vertex(px[j], py[j], -HALF_THICKNESS, 0, 0, -1));
        const float ex = px[j] - px[i];
        const float ey = py[j] - py[i];
        const float length = std::sqrt(ex * ex + ey * ey);
        const float nx = ey / length;
        const float ny = -ex / length;
        mesh.push_back(Vertex(px[i], py[i], HALF_THICKNESS, nx, ny, 0));
        mesh.push_back(Vertex(px[j], py[j], HALF_THICKNESS, nx, ny, 0));
        mesh.push_back(Vertex(px[j], py[j], -HALF_THICKNESS, nx, ny, 0));
        mesh.push_back(Vertex(px[i], py[i], HALF_THICKNESS, nx, ny, 0));
        mesh.push_back(Vertex(px[j], py[j], -HALF_THICKNESS, nx, ny, 0));
        mesh.push_back(Vertex(px[i], py[i], -HALF_THICKNESS, nx, ny, 0));
    }
    return mesh;
}

D3DMATRIX IntroWorldMatrix(float spinDegrees, float x, float y, float z) {
    const float toRadians = static_cast<float>(PI / 180.0);
    const float ax = 90.0f * toRadians;
    const float ay = spinDegrees * toRadians;
    const float az = 180.0f * toRadians;
    D3DMATRIX rx = Identity();
    rx._22 = std::cos(ax);
    rx._23 = std::sin(ax);
    rx._32 = -std::sin(ax);
    rx._33 = std::cos(ax);
    D3DMATRIX ry = Identity();
    ry._11 = std::cos(ay);
    ry._13 = -std::sin(ay);
    ry._31 = std::sin(ay);
    ry._33 = std::cos(ay);
    D3DMATRIX rz = Identity();
    rz._11 = std::cos(az);
    rz._12 = std::sin(az);
    rz._21 = -std::sin(az);
    rz._22 = std::cos(az);
    D3DMATRIX scale = Identity();
    scale._11 = scale._22 = scale._33 = 0.1f;
    D3DMATRIX world = Multiply(Multiply(Multiply(rx, ry), rz), scale);
    world._41 = x;
    world._42 = y;
    world._43 = z;
    return world;
}
