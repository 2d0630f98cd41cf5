// The font's glyphs as text drawings at twice their on-screen size.
#pragma once

#include <span>

namespace trelk::tools {

inline constexpr int DRAWING_WIDTH = 28;   // 14 pixels: cell columns 1 to 14
inline constexpr int DRAWING_HEIGHT = 24;  // 12 pixels: cell rows 0 to 11

// One glyph: DRAWING_HEIGHT lines of DRAWING_WIDTH characters, '#' inked and
// '.' blank, each line ended by a newline; the text starts with a newline.
struct GlyphDrawing {
    char character;
    const char* art;
};

std::span<const GlyphDrawing> GlyphsAToM();
std::span<const GlyphDrawing> GlyphsNToZ();
std::span<const GlyphDrawing> GlyphsDigitsAndMarks();

}  // namespace trelk::tools
