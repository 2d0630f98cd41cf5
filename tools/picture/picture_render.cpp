#include "tools/picture/picture_render.h"

#include <algorithm>
#include <cmath>

#include "tools/picture/picture_layers.h"

namespace trelk::tools {
namespace {

constexpr int SAMPLES = 3;

// How far a point has faded into the white screen around the picture.
double WhiteFade(double x, double y) {
    const double top = Smoothstep(118.0, 0.0, y);
    const double right = Smoothstep(372.0, PICTURE_WIDTH - 1.0, x);
    return std::max(top, right);
}

std::uint8_t ToByte(double v) {
    const double rounded = std::floor(v + 0.5);
    return static_cast<std::uint8_t>(rounded < 0.0 ? 0.0 : (rounded > 255.0 ? 255.0 : rounded));
}

Color Sample(double x, double y) {
    return Mix(LogoOver(Backdrop(x, y), x, y), Color{255, 255, 255}, WhiteFade(x, y));
}

}  // namespace

std::vector<Rgb8> RenderPicture() {
    std::vector<Rgb8> pixels;
    pixels.reserve(static_cast<std::size_t>(PICTURE_WIDTH) * PICTURE_HEIGHT);
    for (int y = 0; y < PICTURE_HEIGHT; ++y) {
        for (int x = 0; x < PICTURE_WIDTH; ++x) {
            Color sum{0, 0, 0};
            for (int sy = 0; sy < SAMPLES; ++sy) {
                for (int sx = 0; sx < SAMPLES; ++sx) {
                    const Color c =
                        Sample(x + (2 * sx + 1) / (2.0 * SAMPLES), y + (2 * sy + 1) / (2.0 * SAMPLES));
                    sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                }
            }
            const double n = SAMPLES * SAMPLES;
            pixels.push_back({ToByte(sum.r / n), ToByte(sum.g / n), ToByte(sum.b / n)});
        }
    }
    return pixels;
}

}  // namespace trelk::tools
