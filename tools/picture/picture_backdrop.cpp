#include <cmath>
#include <cstdint>
#include <vector>

#include "tools/picture/picture_layers.h"

namespace trelk::tools {
namespace {

// The sun sits behind the city, left of the text panel.
constexpr double SUN_X = 172.0;
constexpr double SUN_Y = 262.0;
constexpr double SUN_RADIUS = 100.0;

constexpr Color SKY[] = {{240, 242, 255}, {216, 222, 251}, {190, 194, 242}, {172, 166, 230}, {198, 168, 224}};
constexpr Color SUN[] = {{255, 246, 252}, {248, 206, 238}, {216, 150, 222}};
constexpr Color WATER_TINT{70, 78, 160};

struct Building {
    double left, right, top;
    bool back;       // the paler, farther row
    int antenna;     // 0 for none, else its height
    double setback;  // width cut from each side of an upper storey block, 0 for none
};

double Random(std::uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return static_cast<double>(state >> 8) / 16777216.0;
}

// 1 at `centre`, falling smoothly to 0 at `halfWidth` either side.
double Peak(double x, double centre, double halfWidth) {
    return Smoothstep(halfWidth, 0.0, x < centre ? centre - x : x - centre);
}

// Two clusters of towers with a low valley between them for the sun, and
// low blocks toward the right so that the
// text panel's corner of the picture stays open sky.
std::vector<Building> LayOutCity() {
    std::vector<Building> city;
    std::uint32_t state = 1999;
    for (const bool back : {true, false}) {
        double x = back ? -10.0 : -4.0;
        while (x < (back ? 440.0 : 410.0)) {
            const double width = (back ? 18.0 : 13.0) + Random(state) * (back ? 20.0 : 22.0);
            const double centre = x + width / 2;
            const double reach =
                back ? 50.0 + 124.0 * Peak(centre, 40.0, 95.0) + 64.0 * Peak(centre, 246.0, 52.0)
                     : 30.0 + 92.0 * Peak(centre, 36.0, 84.0) + 46.0 * Peak(centre, 240.0, 46.0);
            const double height = reach * (0.5 + 0.5 * Random(state));
            const int antenna = Random(state) < 0.3 ? 8 + static_cast<int>(Random(state) * 14) : 0;
            const double setback = Random(state) < 0.35 ? 3.0 + Random(state) * 3.0 : 0.0;
            city.push_back({x, x + width, HORIZON_Y - height, back, antenna, setback});
            x += width + (back ? -4.0 : 1.0 + Random(state) * 4.0);
        }
    }
    return city;
}

const std::vector<Building>& City() {
    static const std::vector<Building> city = LayOutCity();
    return city;
}

Color SkyAt(double x, double y) {
    Color sky = Ramp(SKY, 5, y / HORIZON_Y);
    // Long thin streaks of cloud across the middle of the sky.
    const double streak =
        ValueNoise(x / 95.0, y / 6.5, 3) * Smoothstep(40.0, 90.0, y) * Smoothstep(270.0, 200.0, y);
    sky = Mix(sky, Color{250, 246, 255}, 0.45 * Smoothstep(0.55, 0.8, streak));
    // A soft glow around the sun.
    const double dx = x - SUN_X, dy = y - SUN_Y;
    const double distance = std::sqrt(dx * dx + dy * dy);
    return Mix(sky, Color{236, 196, 236}, 0.35 * Smoothstep(SUN_RADIUS + 70.0, SUN_RADIUS, distance));
}

// The sun with its lower half cut into bands that thicken toward the horizon.
bool SunCovers(double x, double y, Color& colour) {
    const double dx = x - SUN_X, dy = y - SUN_Y;
    if (dx * dx + dy * dy > SUN_RADIUS * SUN_RADIUS) return false;
    const double bandsFrom = SUN_Y - 58.0;
    if (y > bandsFrom) {
        const double depth = (y - bandsFrom) / (HORIZON_Y - bandsFrom);
        const double phase = std::fmod(y - bandsFrom, 11.0);
        if (phase < 0.8 + 6.5 * depth) return false;
    }
    colour = Ramp(SUN, 3, (y - (SUN_Y - SUN_RADIUS)) / (HORIZON_Y - (SUN_Y - SUN_RADIUS)));
    return true;
}

double RidgeTop(double x) {
    return HORIZON_Y - 36.0 - 13.0 * Sine(x * 0.021 + 1.3) - 8.0 * Sine(x * 0.057 + 0.4) -
           6.0 * ValueNoise(x / 9.0, 0.5, 11) + 26.0 * Smoothstep(240.0, 430.0, x);
}

Color BuildingColour(const Building& b, double x, double y) {
    const double down = Clamp01((y - b.top) / (HORIZON_Y - b.top));
    Color colour = b.back ? Mix(Color{136, 126, 200}, Color{118, 108, 186}, down)
                          : Mix(Color{92, 82, 164}, Color{62, 54, 128}, down);
    if (x - b.left < 1.5) colour = Mix(colour, Color{190, 176, 236}, 0.5);  // rim lit by the sun
    // Windows: a grid of small cells, some lit.
    const double cx = std::floor((x - b.left - 2.0) / 4.0);
    const double cy = std::floor((y - b.top - 4.0) / 6.0);
    const double inX = x - b.left - 2.0 - cx * 4.0;
    const double inY = y - b.top - 4.0 - cy * 6.0;
    if (cx >= 0.0 && cy >= 0.0 && x < b.right - 3.0 && inX < 2.0 && inY < 3.0) {
        const double lit =
            Hash01(static_cast<std::int32_t>(cx + b.left * 7.0), static_cast<std::int32_t>(cy), 5);
        if (lit < (b.back ? 0.18 : 0.3)) {
            const Color glow = lit < 0.08 ? Color{255, 238, 214} : Color{222, 234, 255};
            colour = Mix(colour, glow, b.back ? 0.55 : 0.85);
        }
    }
    return colour;
}

bool BuildingCovers(const Building& b, double x, double y) {
    if (x < b.left || x >= b.right || y >= HORIZON_Y) return false;
    if (b.setback > 0.0) {
        const double upper = b.top + 0.3 * (HORIZON_Y - b.top);
        if (y < b.top) return false;
        if (y < upper) return x >= b.left + b.setback && x < b.right - b.setback;
        return true;
    }
    if (y >= b.top) return true;
    const double mast = (b.left + b.right) / 2;
    return b.antenna > 0 && y >= b.top - b.antenna && x >= mast - 0.6 && x < mast + 0.6;
}

Color AboveHorizon(double x, double y) {
    // Front buildings hide back ones: look through the list in reverse.
    const auto& city = City();
    for (auto b = city.rbegin(); b != city.rend(); ++b) {
        if (BuildingCovers(*b, x, y)) return BuildingColour(*b, x, y);
    }
    if (y >= RidgeTop(x)) {
        const double haze = Smoothstep(RidgeTop(x), HORIZON_Y, y);
        return Mix(Color{150, 140, 210}, Color{184, 168, 226}, haze);
    }
    Color sun{};
    if (SunCovers(x, y, sun)) return sun;
    return SkyAt(x, y);
}

Color Water(double x, double y) {
    const double depth = (y - HORIZON_Y) / (PICTURE_HEIGHT - HORIZON_Y);
    const double wobble = (1.5 + 5.0 * depth) * Sine(y * 0.6 + 2.0 * Sine(y * 0.11));
    const double mirrorY = HORIZON_Y - (y - HORIZON_Y) * 1.2 - 1.0;
    Color colour = AboveHorizon(x + wobble, mirrorY);
    colour = Mix(colour, WATER_TINT, 0.22 + 0.3 * depth);
    // Glints on the swell.
    const double glint = ValueNoise(x / 38.0, y / 2.3, 17);
    return Mix(colour, Color{236, 232, 255}, 0.5 * Smoothstep(0.72, 0.9, glint) * (1.0 - depth));
}

}  // namespace

Color Backdrop(double x, double y) { return y < HORIZON_Y ? AboveHorizon(x, y) : Water(x, y); }

}  // namespace trelk::tools
