#include "tools/icon/icon_render.h"

#include <algorithm>
#include <cmath>

#include "tools/mesh/logo_mesh.h"
#include "tools/picture/picture_layers.h"
#include "tools/picture/picture_math.h"

namespace trelk::tools {
namespace {

struct Vec3 {
    double x, y, z;
};

Vec3 Sub(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 Cross3(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Normalise(const Vec3& v) {
    const double length = std::sqrt(Dot(v, v));
    return {v.x / length, v.y / length, v.z / length};
}

// How an icon of one size is drawn.
struct Style {
    int samples;      // sub-samples per pixel along each axis
    bool detailed;    // the picture's sun and city on the disc, the V turned and deep
    double rimWidth;  // pixels of the disc's darker rim
};

Style StyleFor(int size) {
    if (size <= 16) return {16, false, 1.0};
    if (size <= 32) return {12, false, 1.25};
    return {size <= 64 ? 8 : 5, true, size / 40.0};
}

// The intro's green (the lit V of its screenshot is about 0, 100, 16) from
// the faces turned away from the light to those facing it.
constexpr Color V_SHADOW{0, 30, 8};
constexpr Color V_LIGHT{30, 150, 44};
// The picture's sun ramp, top to bottom, and its nearest building's purple.
constexpr Color SUN[] = {{255, 246, 252}, {248, 206, 238}, {216, 150, 222}};
constexpr Color RIM{62, 54, 128};
constexpr Color SHADOW{30, 24, 70};

struct ScreenTriangle {
    double x[3], y[3], depth[3];
    Color colour;
};

// The mesh turned and lit, projected onto a size x size canvas (y down).
std::vector<ScreenTriangle> ProjectV(int size, bool detailed) {
    const LogoSolid solid = BuildLogoSolid();
    if (solid.vertices.empty()) return {};
    // File coordinates to view coordinates: u right, v up, w toward the viewer
    // (x = -u, z = v, y through the thickness; a rotation, so windings keep
    // pointing out). The thickness is stretched so that the sides show.
    const double depthScale = detailed ? 12.0 : 1.0;
    const double middleY = (BACK_CAP_Y + FRONT_CAP_Y) / 2.0;
    // Turned a little to the left about the vertical and tipped back, so that
    // the right-hand sides and the tops of the serifs catch the eye.
    const double yawSin = detailed ? 0.28 : 0.0, yawCos = std::sqrt(1.0 - yawSin * yawSin);
    const double pitchSin = detailed ? 0.16 : 0.0, pitchCos = std::sqrt(1.0 - pitchSin * pitchSin);
    std::vector<Vec3> view;
    for (const Vertex3& p : solid.vertices) {
        const Vec3 a{-static_cast<double>(p.x), static_cast<double>(p.z),
                     (static_cast<double>(p.y) - middleY) * depthScale};
        const Vec3 b{a.x * yawCos - a.z * yawSin, a.y, a.x * yawSin + a.z * yawCos};
        view.push_back({b.x, b.y * pitchCos + b.z * pitchSin, -b.y * pitchSin + b.z * pitchCos});
    }
    // Fit the turned V into the canvas, a little above the middle as a V's
    // weight sits low.
    double left = view[0].x, right = view[0].x, bottom = view[0].y, top = view[0].y;
    for (const Vec3& p : view) {
        left = std::min(left, p.x), right = std::max(right, p.x);
        bottom = std::min(bottom, p.y), top = std::max(top, p.y);
    }
    const double extent = std::max(right - left, top - bottom);
    const double scale = size * (detailed ? 0.74 : 0.84) / extent;
    const double centreX = (left + right) / 2.0, centreY = (bottom + top) / 2.0;
    const Vec3 light = Normalise({-0.45, 0.55, 0.70});
    std::vector<ScreenTriangle> triangles;
    for (const Face3& f : solid.faces) {
        const Vec3& a = view[f.a];
        const Vec3& b = view[f.b];
        const Vec3& c = view[f.c];
        const Vec3 normal = Normalise(Cross3(Sub(b, a), Sub(c, a)));
        if (normal.z <= 0.0) continue;  // facing away
        const double lit = std::max(0.0, Dot(normal, light));
        ScreenTriangle t{};
        const Vec3* corners[3] = {&a, &b, &c};
        for (int i = 0; i < 3; ++i) {
            t.x[i] = size / 2.0 + (corners[i]->x - centreX) * scale;
            t.y[i] = size / 2.0 - (corners[i]->y - centreY) * scale;
            t.depth[i] = corners[i]->z;
        }
        t.colour = Mix(V_SHADOW, V_LIGHT, detailed ? lit * lit : 0.45);
        triangles.push_back(t);
    }
    return triangles;
}

// The disc behind the V at a point of the canvas, or false outside it.
bool DiscAt(double x, double y, int size, const Style& style, Color& colour) {
    const double centre = size / 2.0;
    const double radius = size / 2.0 - std::max(0.5, size / 64.0);
    const double dx = x - centre, dy = y - centre;
    const double distance2 = dx * dx + dy * dy;
    if (distance2 > radius * radius) return false;
    const double inner = radius - style.rimWidth;
    if (distance2 > inner * inner) {
        colour = RIM;
        return true;
    }
    const double down = (y - (centre - inner)) / (2.0 * inner);  // 0 at the disc's top, 1 at its bottom
    if (!style.detailed) {
        colour = Ramp(SUN, 3, down);
        return true;
    }
    // The picture around its sun (sun centre 172, 262; radius 100), the sun
    // filling the upper disc and the city and water the lower.
    const double pictureRadius = 118.0;
    colour = Backdrop(172.0 + dx / inner * pictureRadius, 250.0 + dy / inner * pictureRadius);
    return true;
}

// Calls plot(sample index, depth) for every sub-sample inside the triangle
// on an n x n grid of sub-samples `step` pixels apart.
template <typename Plot>
void Rasterise(const ScreenTriangle& t, int n, double step, Plot plot) {
    const double area = (t.x[1] - t.x[0]) * (t.y[2] - t.y[0]) - (t.y[1] - t.y[0]) * (t.x[2] - t.x[0]);
    if (area == 0.0) return;
    const double minX = std::min({t.x[0], t.x[1], t.x[2]}), maxX = std::max({t.x[0], t.x[1], t.x[2]});
    const double minY = std::min({t.y[0], t.y[1], t.y[2]}), maxY = std::max({t.y[0], t.y[1], t.y[2]});
    const int x0 = std::max(0, static_cast<int>(std::floor(minX / step)));
    const int x1 = std::min(n - 1, static_cast<int>(std::floor(maxX / step)));
    const int y0 = std::max(0, static_cast<int>(std::floor(minY / step)));
    const int y1 = std::min(n - 1, static_cast<int>(std::floor(maxY / step)));
    for (int sy = y0; sy <= y1; ++sy) {
        for (int sx = x0; sx <= x1; ++sx) {
            const double px = (sx + 0.5) * step, py = (sy + 0.5) * step;
            // Barycentric weights; a sample on a shared edge belongs to both.
            double w[3];
            for (int i = 0; i < 3; ++i) {
                const int j = (i + 1) % 3, k = (i + 2) % 3;
                w[i] = ((t.x[k] - t.x[j]) * (py - t.y[j]) - (t.y[k] - t.y[j]) * (px - t.x[j])) / area;
            }
            if (w[0] < 0.0 || w[1] < 0.0 || w[2] < 0.0) continue;
            plot(static_cast<std::size_t>(sy) * n + sx,
                 w[0] * t.depth[0] + w[1] * t.depth[1] + w[2] * t.depth[2]);
        }
    }
}

std::uint8_t ToByte(double v) {
    const double rounded = std::floor(v + 0.5);
    return static_cast<std::uint8_t>(rounded < 0.0 ? 0.0 : (rounded > 255.0 ? 255.0 : rounded));
}

}  // namespace

bool IsIconSize(int size) {
    return std::find(ICON_SIZES.begin(), ICON_SIZES.end(), size) != ICON_SIZES.end();
}

std::vector<Rgba8> RenderIcon(int size) {
    if (!IsIconSize(size)) return {};
    const Style style = StyleFor(size);
    const int n = size * style.samples;  // sub-samples along each axis
    const double step = 1.0 / style.samples;
    std::vector<Color> colour(static_cast<std::size_t>(n) * n);
    std::vector<double> depth(colour.size(), -1e300);
    std::vector<std::uint8_t> covered(colour.size(), 0);
    auto at = [n](int sx, int sy) { return static_cast<std::size_t>(sy) * n + sx; };
    auto position = [step](int s) { return (s + 0.5) * step; };

    // The V's shadow on the disc, cast down and to the right (detailed sizes).
    std::vector<std::uint8_t> shadow(colour.size(), 0);
    const double shadowOffset = style.detailed ? size / 28.0 : 0.0;
    const auto triangles = ProjectV(size, style.detailed);
    for (const ScreenTriangle& t : triangles) {
        if (!style.detailed) break;
        ScreenTriangle moved = t;
        for (int i = 0; i < 3; ++i) moved.x[i] += shadowOffset, moved.y[i] += shadowOffset;
        Rasterise(moved, n, step, [&](std::size_t s, double) { shadow[s] = 1; });
    }
    for (const ScreenTriangle& t : triangles) {
        Rasterise(t, n, step, [&](std::size_t s, double z) {
            if (z > depth[s]) {
                depth[s] = z;
                colour[s] = t.colour;
                covered[s] = 1;
            }
        });
    }
    for (int sy = 0; sy < n; ++sy) {
        for (int sx = 0; sx < n; ++sx) {
            const std::size_t s = at(sx, sy);
            if (covered[s] || !DiscAt(position(sx), position(sy), size, style, colour[s])) continue;
            covered[s] = 1;
            if (shadow[s]) colour[s] = Mix(colour[s], SHADOW, 0.45);
        }
    }

    std::vector<Rgba8> pixels;
    pixels.reserve(static_cast<std::size_t>(size) * size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Color sum{0, 0, 0};
            int count = 0;
            for (int sy = y * style.samples; sy < (y + 1) * style.samples; ++sy) {
                for (int sx = x * style.samples; sx < (x + 1) * style.samples; ++sx) {
                    const std::size_t s = at(sx, sy);
                    if (!covered[s]) continue;
                    sum = {sum.r + colour[s].r, sum.g + colour[s].g, sum.b + colour[s].b};
                    ++count;
                }
            }
            if (count == 0) {
                pixels.push_back({0, 0, 0, 0});
                continue;
            }
            pixels.push_back({ToByte(sum.r / count), ToByte(sum.g / count), ToByte(sum.b / count),
                              ToByte(255.0 * count / (style.samples * style.samples))});
        }
    }
    return pixels;
}

}  // namespace trelk::tools
