// Encodes one 256-colour image as a GIF89a file through giflib.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/picture/palette_dither.h"

namespace trelk::tools {

// A GIF89a stream: logical screen of width x height with `palette` as its
// global colour table (background entry `background`), then one
// non-interlaced image covering the screen. Empty (and a reason in `error`)
// if giflib fails or the sizes do not match.
std::vector<std::uint8_t> EncodeGif(const std::vector<std::uint8_t>& indices, int width, int height,
                                    const Palette& palette, int background, std::string& error);

}  // namespace trelk::tools
