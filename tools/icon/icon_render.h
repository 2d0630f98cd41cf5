// Renders the intro's icon: the serif V of the intro's mesh, lit and turned a
// little, in front of a disc cut from the intro's picture around its sun.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace trelk::tools {

// The sizes the desktop asks for (share/icons/hicolor/<N>x<N>/apps).
inline constexpr std::array<int, 6> ICON_SIZES = {16, 32, 48, 64, 128, 256};

bool IsIconSize(int size);

struct Rgba8 {
    std::uint8_t r, g, b, a;
    bool operator==(const Rgba8&) const = default;
};

// size x size pixels, row by row from the top, straight (not premultiplied)
// alpha. Small sizes drop the detail that would only blur: at 16 and 32 the V
// faces the viewer square-on and the disc is the sun's plain colour ramp.
// Empty for a size that is not one of ICON_SIZES.
std::vector<Rgba8> RenderIcon(int size);

}  // namespace trelk::tools
