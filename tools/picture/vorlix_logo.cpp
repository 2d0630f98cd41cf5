// The crew's name in heavy chrome letters across the water, bottom left.
#include <algorithm>
#include <cmath>

#include "tools/picture/picture_layers.h"

namespace trelk::tools {
namespace {

// Letters are drawn in units on a 60-unit-high box, then placed, scaled and
// slanted into the picture.
constexpr double LOGO_LEFT = 22.0;
constexpr double LOGO_TOP = 322.0;
constexpr double UNIT = 1.1;    // pixels per unit
constexpr double SLANT = 0.22;  // leans the letters forward
constexpr double LETTER_HEIGHT = 60.0;
constexpr double OUTLINE = 2.6;  // pixels

struct P {
    double x, y;
};

double Length(double x, double y) { return std::sqrt(x * x + y * y); }

double Box(P p, double x0, double y0, double x1, double y1) {
    const double dx = std::max(x0 - p.x, p.x - x1);
    const double dy = std::max(y0 - p.y, p.y - y1);
    return Length(std::max(dx, 0.0), std::max(dy, 0.0)) + std::min(std::max(dx, dy), 0.0);
}

double RoundBox(P p, double x0, double y0, double x1, double y1, double r) {
    return Box(p, x0 + r, y0 + r, x1 - r, y1 - r) - r;
}

// Distance to a closed polygon, negative inside (even-odd rule).
template <int N>
double Polygon(P p, const P (&v)[N]) {
    double best = 1e30;
    bool inside = false;
    for (int i = 0, j = N - 1; i < N; j = i++) {
        const double ex = v[i].x - v[j].x, ey = v[i].y - v[j].y;
        const double wx = p.x - v[j].x, wy = p.y - v[j].y;
        const double t = std::clamp((wx * ex + wy * ey) / (ex * ex + ey * ey), 0.0, 1.0);
        best = std::min(best, Length(wx - ex * t, wy - ey * t));
        if ((v[i].y > p.y) != (v[j].y > p.y) && p.x < v[j].x + (p.y - v[j].y) * ex / ey) inside = !inside;
    }
    return inside ? -best : best;
}

double LetterV(P p) {
    static constexpr P shape[] = {{0, 0}, {14, 0}, {24, 40}, {34, 0}, {48, 0}, {31, 60}, {17, 60}};
    return Polygon(p, shape);
}

double LetterO(P p) { return std::max(RoundBox(p, 0, 0, 46, 60, 18), -RoundBox(p, 13, 13, 33, 47, 6)); }

double LetterR(P p) {
    static constexpr P leg[] = {{19, 30}, {33, 30}, {47, 60}, {33, 60}};
    const double bowl = std::max(RoundBox(p, -10, 0, 44, 36, 14), -RoundBox(p, 13, 12, 31, 24, 4));
    const double stem = Box(p, 0, 0, 13, 60);
    return std::min({std::max(bowl, -p.x), stem, Polygon(p, leg)});
}

double LetterL(P p) { return std::min(Box(p, 0, 0, 13, 60), Box(p, 0, 47, 40, 60)); }

double LetterI(P p) { return Box(p, 0, 0, 13, 60); }

double LetterX(P p) {
    static constexpr P down[] = {{0, 0}, {14, 0}, {47, 60}, {33, 60}};
    static constexpr P up[] = {{33, 0}, {47, 0}, {14, 60}, {0, 60}};
    return std::min(Polygon(p, down), Polygon(p, up));
}

// Distance in units from the word, letters side by side 7 units apart.
double WordDistance(P p) {
    struct Letter {
        double (*shape)(P);
        double width;
    };
    static constexpr Letter word[] = {{LetterV, 48}, {LetterO, 46}, {LetterR, 47},
                                      {LetterL, 40}, {LetterI, 13}, {LetterX, 47}};
    double best = 1e30;
    double left = 0.0;
    for (const Letter& letter : word) {
        best = std::min(best, letter.shape({p.x - left, p.y}));
        left += letter.width + 7.0;
    }
    return best;
}

P ToUnits(double x, double y) {
    const double v = (y - LOGO_TOP) / UNIT;
    const double lean = (LETTER_HEIGHT - v) * SLANT;
    return {(x - LOGO_LEFT) / UNIT - lean, v};
}

// Chrome: a bright sky above a dark horizon line, warm violet ground below.
Color Chrome(double x, double v) {
    static constexpr Color upper[] = {{252, 253, 255}, {200, 216, 250}, {118, 136, 212}};
    static constexpr Color lower[] = {{64, 44, 120}, {132, 96, 186}, {206, 168, 236}, {246, 222, 252}};
    const double t = v / LETTER_HEIGHT;
    Color c = t < 0.5 ? Ramp(upper, 3, t / 0.5) : Ramp(lower, 4, (t - 0.5) / 0.5);
    // A faint diagonal sheen sweeping across the word.
    const double sheen = Smoothstep(0.8, 1.0, Sine((x + v * 1.7) * 0.035));
    return Mix(c, Color{255, 255, 255}, 0.35 * sheen);
}

// A four-pointed glint on the V's upper left corner.
double Glint(double x, double y) {
    const double dx = std::fabs(x - (LOGO_LEFT + SLANT * LETTER_HEIGHT * UNIT + 4.0));
    const double dy = std::fabs(y - (LOGO_TOP + 3.0));
    const double arms = std::max(Clamp01(1.0 - dx / 16.0) * Clamp01(1.0 - dy / 1.3),
                                 Clamp01(1.0 - dy / 12.0) * Clamp01(1.0 - dx / 1.3));
    return std::max(arms, Clamp01(1.0 - Length(dx, dy) / 4.0));
}

}  // namespace

double LogoDistance(double x, double y) { return WordDistance(ToUnits(x, y)) * UNIT; }

Color LogoOver(const Color& under, double x, double y) {
    Color colour = under;
    const double shadow = LogoDistance(x - 6.0, y - 5.0);
    colour = Mix(colour, Color{34, 26, 80}, 0.5 * Smoothstep(3.0, -2.0, shadow));
    const double d = LogoDistance(x, y);
    colour = Mix(colour, Color{24, 18, 64}, Smoothstep(OUTLINE + 0.6, OUTLINE - 0.6, d));
    colour = Mix(colour, Chrome(x, ToUnits(x, y).y), Smoothstep(0.5, -0.5, d));
    return Mix(colour, Color{255, 255, 255}, Glint(x, y));
}

}  // namespace trelk::tools
