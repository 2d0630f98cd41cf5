// PNG files that come out the same byte for byte on every run: no time or
// text chunks, fixed compression settings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/icon/icon_render.h"

namespace trelk::tools {

// An 8-bit RGBA PNG of width x height pixels; empty, with `error` set, when
// libpng fails or the pixel count does not match.
std::vector<std::uint8_t> EncodePng(const std::vector<Rgba8>& pixels, int width, int height,
                                    std::string& error);

}  // namespace trelk::tools
