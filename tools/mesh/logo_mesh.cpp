#include "tools/mesh/logo_mesh.h"

#include <cstddef>

namespace trelk::tools {
namespace {

// The outline in tenths of a unit, drawn as it should read on screen: a
// serif "V" with a heavy left stroke and a light right one, so that a mirrored
// copy would be noticed at once. Bracketed serifs and a softened foot use
// up the 32 points.
constexpr int OUTLINE_TENTHS[OUTLINE_POINTS][2] = {
    {-10, -121}, {2, -121},   {15, -117},                // foot
    {111, 140},  {115, 150},  {122, 156},  {132, 159},   // outer right bracket
    {146, 159},  {152, 165},  {152, 181},                // right serif, outer end
    {50, 181},   {50, 165},   {56, 159},                 // right serif, inner end
    {67, 159},   {74, 156},   {78, 149},   {77, 139},    // inner right bracket
    {19, -5},                                            // crotch
    {-39, 139},  {-40, 149},  {-36, 156},  {-29, 159},   // inner left bracket
    {-23, 159},  {-17, 165},  {-17, 181},                // left serif, inner end
    {-149, 181}, {-149, 165}, {-143, 159},               // left serif, outer end
    {-131, 159}, {-122, 156}, {-116, 149}, {-113, 139},  // outer left bracket
};

double Cross(const Point2& o, const Point2& a, const Point2& b) {
    return (a.u - o.u) * (b.v - o.v) - (a.v - o.v) * (b.u - o.u);
}

// True when p lies inside or on the counter-clockwise triangle abc.
bool InsideOrOn(const Point2& p, const Point2& a, const Point2& b, const Point2& c) {
    return Cross(a, b, p) >= 0.0 && Cross(b, c, p) >= 0.0 && Cross(c, a, p) >= 0.0;
}

double SquaredLength(const Point2& a, const Point2& b) {
    const double du = b.u - a.u;
    const double dv = b.v - a.v;
    return du * du + dv * dv;
}

// Area over the sum of squared edges: largest for an equilateral triangle.
// Needs no square roots or trigonometry, so every machine picks the same ear.
double EarQuality(const Point2& a, const Point2& b, const Point2& c) {
    return Cross(a, b, c) / (SquaredLength(a, b) + SquaredLength(b, c) + SquaredLength(c, a));
}

bool IsEar(const std::vector<Point2>& polygon, const std::vector<int>& ring, std::size_t i) {
    const std::size_t n = ring.size();
    const Point2& a = polygon[ring[(i + n - 1) % n]];
    const Point2& b = polygon[ring[i]];
    const Point2& c = polygon[ring[(i + 1) % n]];
    if (Cross(a, b, c) <= 0.0) return false;  // reflex or flat corner
    for (std::size_t k = 0; k < n; ++k) {
        if (k == i || k == (i + 1) % n || k == (i + n - 1) % n) continue;
        if (InsideOrOn(polygon[ring[k]], a, b, c)) return false;
    }
    return true;
}

}  // namespace

std::array<Point2, OUTLINE_POINTS> LogoOutline() {
    std::array<Point2, OUTLINE_POINTS> points{};
    for (int i = 0; i < OUTLINE_POINTS; ++i) {
        points[i] = {OUTLINE_TENTHS[i][0] / 10.0, OUTLINE_TENTHS[i][1] / 10.0};
    }
    return points;
}

std::vector<std::array<int, 3>> TriangulateOutline(const std::vector<Point2>& polygon) {
    std::vector<std::array<int, 3>> triangles;
    std::vector<int> ring;
    for (std::size_t i = 0; i < polygon.size(); ++i) ring.push_back(static_cast<int>(i));
    while (ring.size() > 3) {
        const std::size_t n = ring.size();
        std::size_t best = n;
        double bestQuality = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            if (!IsEar(polygon, ring, i)) continue;
            const double quality =
                EarQuality(polygon[ring[(i + n - 1) % n]], polygon[ring[i]], polygon[ring[(i + 1) % n]]);
            if (best == n || quality > bestQuality) {
                best = i;
                bestQuality = quality;
            }
        }
        if (best == n) return {};  // no ear: self-intersecting or clockwise input
        triangles.push_back({ring[(best + n - 1) % n], ring[best], ring[(best + 1) % n]});
        ring.erase(ring.begin() + static_cast<std::ptrdiff_t>(best));
    }
    if (ring.size() == 3) {
        if (Cross(polygon[ring[0]], polygon[ring[1]], polygon[ring[2]]) <= 0.0) return {};
        triangles.push_back({ring[0], ring[1], ring[2]});
    }
    return triangles;
}

LogoSolid BuildLogoSolid() {
    const auto outline = LogoOutline();
    const std::vector<Point2> polygon(outline.begin(), outline.end());
    const auto capTriangles = TriangulateOutline(polygon);
    if (capTriangles.size() != OUTLINE_POINTS - 2) return {};

    LogoSolid solid;
    for (const float y : {BACK_CAP_Y, FRONT_CAP_Y}) {
        for (const Point2& p : outline) {
            solid.vertices.push_back({static_cast<float>(-p.u), y, static_cast<float>(p.v)});
        }
    }
    auto back = [](int i) { return static_cast<std::uint16_t>(i % OUTLINE_POINTS); };
    auto front = [](int i) { return static_cast<std::uint16_t>(OUTLINE_POINTS + i % OUTLINE_POINTS); };

    // Sides first: a position keeps the normal of the last face that uses it,
    // and the caps, which fill most of the screen, should shade evenly.
    for (int i = 0; i < OUTLINE_POINTS; ++i) {
        solid.faces.push_back({back(i), back(i + 1), front(i + 1)});
        solid.faces.push_back({back(i), front(i + 1), front(i)});
    }
    // Counter-clockwise in (u, v) faces +y once x is mirrored: the front cap
    // keeps the order, the back cap reverses it.
    for (const auto& t : capTriangles) solid.faces.push_back({back(t[0]), back(t[2]), back(t[1])});
    for (const auto& t : capTriangles) solid.faces.push_back({front(t[0]), front(t[1]), front(t[2])});
    return solid;
}

}  // namespace trelk::tools
