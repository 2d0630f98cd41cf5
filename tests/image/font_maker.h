// Test helper: a font strip resource in the program's TGA layout, with glyph
// pixels that say which cell, row and column they came from.
#pragma once

#include <cstdint>
#include <vector>

// The index stored at row r, column x of cell g: never 255 inside a glyph's
// drawing area (columns 1..14, rows 0..11), 255 on the spacing border.
uint8_t GlyphPixel(int g, int r, int x);

// The palette entry i as (red, green, blue): distinct, never white, except
// entry 255 (and whiteAlso, when 0..254) which are white.
struct FontColour {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};
FontColour FontPaletteColour(int i, int whiteAlso = -1);

// 18 header + 768 palette (blue, green, red) + 13 x 784 pixels + 26 footer.
// whiteAlso: a second white entry; noWhite: entry 255 is not white either.
std::vector<uint8_t> MakeFontResource(int whiteAlso = -1, bool noWhite = false);
