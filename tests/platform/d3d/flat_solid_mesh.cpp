#include "tests/platform/d3d/flat_solid_mesh.h"

#include <cmath>

#include "platform/d3d/transform.h"

namespace {

constexpr int POINTS = 31;
constexpr float HALF_THICKNESS = 1.5f;
constexpr double PI = 3.14159265358979323846;

// Built as a star in the x-y plane and laid flat into the x-z plane (a turn
// about x), so that the intro's own 90-degree turn stands it up.
D3DVERTEX Vertex(float x, float y, float z, float nx, float ny, float nz) {
    return {x, -z, y, nx, -nz, ny, 0, 0};
}

// The turn by `degrees` that takes axis p toward axis q.
D3DMATRIX Turn(int p, int q, float degrees) {
    const float radians = degrees * static_cast<float>(PI / 180.0);
    D3DMATRIX m = IdentityMatrix();
    float* at = &m._11;
    at[p * 4 + p] = at[q * 4 + q] = std::cos(radians);
    at[p * 4 + q] = std::sin(radians);
    at[q * 4 + p] = -std::sin(radians);
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
    D3DMATRIX scale = IdentityMatrix();
    scale._11 = scale._22 = scale._33 = 0.1f;
    // About x (y toward z), about y (z toward x), about z (x toward y).
    D3DMATRIX world = MultiplyMatrices(
        MultiplyMatrices(MultiplyMatrices(Turn(1, 2, 90.0f), Turn(2, 0, spinDegrees)), Turn(0, 1, 180.0f)),
        scale);
    world._41 = x;
    world._42 = y;
    world._43 = z;
    return world;
}
