// Reduces a true-colour picture to 256 colours: a median-cut palette that
// keeps pure white as its own entry, then serpentine Floyd-Steinberg
// dithering. Integer arithmetic throughout, so the result is the same on
// every machine.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "tools/picture/picture_render.h"

namespace trelk::tools {

using Palette = std::array<Rgb8, 256>;

// 255 median-cut entries for the colours other than white, then white as
// the last entry; entries sorted from dark to light. Fewer distinct colours
// than entries leaves the rest of the palette black.
Palette MedianCutPalette(const std::vector<Rgb8>& pixels);

// The palette entry nearest `c` (weighted squared distance; first on ties).
std::uint8_t NearestEntry(const Palette& palette, int r, int g, int b);

// One palette index per pixel, `width` pixels a row.
std::vector<std::uint8_t> Dither(const std::vector<Rgb8>& pixels, int width, const Palette& palette);

}  // namespace trelk::tools
