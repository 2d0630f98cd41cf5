// Renders the intro's background picture in true colour.
#pragma once

#include <cstdint>
#include <vector>

namespace trelk::tools {

struct Rgb8 {
    std::uint8_t r, g, b;
    bool operator==(const Rgb8&) const = default;
};

// The 520 x 406 picture, row by row from the top: backdrop, lettering, then
// a fade into white along the top and right edges so that it merges with the
// white screen. Each pixel averages 3 x 3 samples.
std::vector<Rgb8> RenderPicture();

}  // namespace trelk::tools
