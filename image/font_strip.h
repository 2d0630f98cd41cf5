// The bitmap font: an 8-bit colour-mapped strip of 49 glyph cells of 16 x 13
// pixels in TGA layout, read at fixed offsets from an RCDATA resource.
// Main thread only.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int FONT_CELL_COUNT = 49;
constexpr int FONT_CELL_WIDTH = 16;
constexpr int FONT_CELL_HEIGHT = 13;
constexpr int FONT_STRIP_WIDTH = FONT_CELL_COUNT * FONT_CELL_WIDTH;  // 784
constexpr size_t FONT_PALETTE_OFFSET = 18;
constexpr size_t FONT_PALETTE_SIZE = 768;
constexpr size_t FONT_PIXELS_OFFSET = FONT_PALETTE_OFFSET + FONT_PALETTE_SIZE;                 // 786
constexpr size_t FONT_GLYPHS_SIZE = static_cast<size_t>(FONT_STRIP_WIDTH) * FONT_CELL_HEIGHT;  // 10192
constexpr size_t FONT_BYTES_READ = FONT_PIXELS_OFFSET + FONT_GLYPHS_SIZE;                      // 10978
// The palette entry of every cell's background (white) and of blank cells.
constexpr uint8_t BLANK_INDEX = 255;

struct FontStrip {
    // 256 entries of (blue, green, red), as the TGA colour map stores them.
    uint8_t palette[FONT_PALETTE_SIZE];
    // Cell after cell: byte (g * 13 + r) * 16 + x is strip row r, column 16 g + x.
    uint8_t glyphs[FONT_GLYPHS_SIZE];
};

extern FontStrip fontStrip;

// Fills fontStrip from the RCDATA resource name and returns the index of the
// palette's first pure-white entry; without one, BLANK_INDEX (the cells'
// background) is the key. A resource that is missing, cannot be loaded or is
// shorter than FONT_BYTES_READ sounds its beeps (simple, then asterisk, when
// missing or short; asterisk when not loadable) and returns -1; the strip is
// then blank: every glyph pixel BLANK_INDEX and every palette entry white, so
// that text draws as nothing at all.
int LoadFontStrip(const char* name);

// The cell that draws character c, or -1 when it draws as a blank cell.
int GlyphCellOf(char c);
