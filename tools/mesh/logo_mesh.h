// The intro's mesh: the crew's serif "V" as a flat extruded solid.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace trelk::tools {

struct Point2 {
    double u;  // screen right when the intro shows the mesh
    double v;  // screen up
};

struct Vertex3 {
    float x, y, z;
};

struct Face3 {
    std::uint16_t a, b, c;
};

inline constexpr int OUTLINE_POINTS = 32;
inline constexpr float BACK_CAP_Y = 0.41f;
inline constexpr float FRONT_CAP_Y = 0.73f;

// The logo outline, counter-clockwise as seen on screen (u right, v up).
std::array<Point2, OUTLINE_POINTS> LogoOutline();

// Splits a simple counter-clockwise polygon into n - 2 counter-clockwise
// triangles (indices into `polygon`). Picks the best-shaped ear each time so
// that no slivers come out; returns an empty list when the polygon is not simple.
std::vector<std::array<int, 3>> TriangulateOutline(const std::vector<Point2>& polygon);

struct LogoSolid {
    std::vector<Vertex3> vertices;  // 0..31 back cap, 32..63 front cap
    std::vector<Face3> faces;       // sides first, then the caps
};

// The extruded solid in file coordinates: x = -u (the intro mirrors x),
// z = v, y through the thickness. Every face is wound so that (B-A)x(C-A)
// points out of the solid. Returns an empty solid if the outline cannot be
// triangulated.
LogoSolid BuildLogoSolid();

}  // namespace trelk::tools
