// Builds the intro's font strip: 49 glyph cells of 16 x 13 in one 8-bit
// colour-mapped TGA image of 784 x 13 pixels.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace trelk::tools {

inline constexpr int CELL_WIDTH = 16;
inline constexpr int CELL_HEIGHT = 13;
inline constexpr int CELL_COUNT = 49;
inline constexpr int STRIP_WIDTH = CELL_WIDTH * CELL_COUNT;                        // 784
inline constexpr int FONT_FILE_BYTES = 18 + 768 + STRIP_WIDTH * CELL_HEIGHT + 26;  // 11004

// The characters of the cells, in cell order.
inline constexpr char CELL_ORDER[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789'-.+?!():*&@/";

inline constexpr int BACKGROUND_INDEX = 255;  // the one pure white
inline constexpr int FIRST_INK_INDEX = 215;
inline constexpr int INK_STEPS = 10;       // shades from the top of a glyph to its foot
inline constexpr int COVERAGE_LEVELS = 4;  // a pixel's inked quarters, 1 to 4

// A glyph filtered down: per pixel of the 14 x 12 drawable area, how many of
// its four drawing points are inked (0 to 4).
using GlyphCoverage = std::array<std::array<std::uint8_t, 14>, 12>;

// Parses one drawing; nullopt (and a reason in `error`) if it is not exactly
// 24 lines of 28 '#' or '.' characters.
std::optional<GlyphCoverage> FilterDrawing(const char* art, std::string& error);

// Palette index for a pixel of row `row` (0 to 11) with `coverage` 1 to 4.
int InkIndex(int row, int coverage);

// The colour map, 256 entries of (blue, green, red).
std::array<std::uint8_t, 768> FontPalette();

// The whole TGA file, or an empty vector (and a reason in `error`) when a
// drawing is malformed, missing or given twice.
std::vector<std::uint8_t> BuildFontFile(std::string& error);

}  // namespace trelk::tools
