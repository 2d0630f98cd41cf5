#include "tools/font/font_strip.h"

#include <cstring>
#include <span>

#include "tools/font/glyph_drawings.h"

namespace trelk::tools {
namespace {

constexpr int DRAWABLE_WIDTH = DRAWING_WIDTH / 2;
constexpr int DRAWABLE_HEIGHT = DRAWING_HEIGHT / 2;

struct Rgb {
    int r, g, b;
};

// Full ink from a dark navy at the top of a glyph to a mid blue at its foot.
constexpr Rgb INK_TOP{18, 26, 92};
constexpr Rgb INK_FOOT{46, 96, 196};

int Mix(int from, int to, int numerator, int denominator) {
    return from + ((to - from) * numerator * 2 + denominator) / (2 * denominator);
}

void PutU16(std::vector<std::uint8_t>& out, int value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

// Colour-mapped, uncompressed, 24-bit map entries, 8 bits per pixel.
void PutHeader(std::vector<std::uint8_t>& out) {
    out.push_back(0);  // no image ID
    out.push_back(1);  // colour map present
    out.push_back(1);  // uncompressed colour-mapped image
    PutU16(out, 0);    // first map entry
    PutU16(out, 256);  // map length
    out.push_back(24);
    PutU16(out, 0);  // x origin
    PutU16(out, 0);  // y origin
    PutU16(out, STRIP_WIDTH);
    PutU16(out, CELL_HEIGHT);
    out.push_back(8);
    out.push_back(0x08);
}

void PutFooter(std::vector<std::uint8_t>& out) {
    for (int i = 0; i < 8; ++i) out.push_back(0);  // no extension or developer area
    const char signature[] = "TRUEVISION-XFILE.";
    for (const char c : signature) out.push_back(static_cast<std::uint8_t>(c));  // with its NUL
}

int CellOf(char c) {
    const char* found = std::strchr(CELL_ORDER, c);
    return (found == nullptr || c == '\0') ? -1 : static_cast<int>(found - CELL_ORDER);
}

// Collects every drawing into its cell; false if one is unknown or repeated.
bool CollectDrawings(std::array<const char*, CELL_COUNT>& cells, std::string& error) {
    cells.fill(nullptr);
    for (const auto group : {GlyphsAToM(), GlyphsNToZ(), GlyphsDigitsAndMarks()}) {
        for (const GlyphDrawing& drawing : group) {
            const int cell = CellOf(drawing.character);
            if (cell < 0 || cells[cell] != nullptr) {
                error = std::string("glyph '") + drawing.character + "' has no cell or is drawn twice";
                return false;
            }
            cells[cell] = drawing.art;
        }
    }
    for (int cell = 0; cell < CELL_COUNT; ++cell) {
        if (cells[cell] == nullptr) {
            error = std::string("no drawing for '") + CELL_ORDER[cell] + "'";
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<GlyphCoverage> FilterDrawing(const char* art, std::string& error) {
    if (art == nullptr || *art != '\n') {
        error = "a drawing must start with a newline";
        return std::nullopt;
    }
    GlyphCoverage coverage{};
    const char* p = art + 1;
    for (int y = 0; y < DRAWING_HEIGHT; ++y) {
        for (int x = 0; x < DRAWING_WIDTH; ++x, ++p) {
            if (*p != '#' && *p != '.') {
                error = "line " + std::to_string(y + 1) + " is not 28 characters of '#' and '.'";
                return std::nullopt;
            }
            if (*p == '#') ++coverage[y / 2][x / 2];
        }
        if (*p++ != '\n') {
            error = "line " + std::to_string(y + 1) + " is longer than 28 characters";
            return std::nullopt;
        }
    }
    if (*p != '\0') {
        error = "a drawing has more than 24 lines";
        return std::nullopt;
    }
    return coverage;
}

int InkIndex(int row, int coverage) {
    const int step = row * INK_STEPS / DRAWABLE_HEIGHT;
    return FIRST_INK_INDEX + step * COVERAGE_LEVELS + (coverage - 1);
}

std::array<std::uint8_t, 768> FontPalette() {
    std::array<std::uint8_t, 768> palette{};
    auto set = [&palette](int index, Rgb c) {
        palette[3 * index] = static_cast<std::uint8_t>(c.b);
        palette[3 * index + 1] = static_cast<std::uint8_t>(c.g);
        palette[3 * index + 2] = static_cast<std::uint8_t>(c.r);
    };
    // Unused by the glyphs: a grey ramp that stops just short of white.
    for (int i = 0; i < FIRST_INK_INDEX; ++i) {
        const int v = i * 254 / (FIRST_INK_INDEX - 1);
        set(i, {v, v, v});
    }
    for (int step = 0; step < INK_STEPS; ++step) {
        const Rgb ink{Mix(INK_TOP.r, INK_FOOT.r, step, INK_STEPS - 1),
                      Mix(INK_TOP.g, INK_FOOT.g, step, INK_STEPS - 1),
                      Mix(INK_TOP.b, INK_FOOT.b, step, INK_STEPS - 1)};
        for (int c = 1; c <= COVERAGE_LEVELS; ++c) {
            // A partly inked pixel is the ink laid thinner over white.
            set(FIRST_INK_INDEX + step * COVERAGE_LEVELS + c - 1,
                {Mix(255, ink.r, c, COVERAGE_LEVELS), Mix(255, ink.g, c, COVERAGE_LEVELS),
                 Mix(255, ink.b, c, COVERAGE_LEVELS)});
        }
    }
    set(BACKGROUND_INDEX, {255, 255, 255});
    return palette;
}

std::vector<std::uint8_t> BuildFontFile(std::string& error) {
    std::array<const char*, CELL_COUNT> cells{};
    if (!CollectDrawings(cells, error)) return {};

    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(STRIP_WIDTH) * CELL_HEIGHT, BACKGROUND_INDEX);
    for (int cell = 0; cell < CELL_COUNT; ++cell) {
        std::string reason;
        const auto coverage = FilterDrawing(cells[cell], reason);
        if (!coverage) {
            error = std::string("glyph '") + CELL_ORDER[cell] + "': " + reason;
            return {};
        }
        // Drawable pixels sit in cell columns 1 to 14 and rows 0 to 11; the
        // rest of the cell stays background and spaces the characters.
        for (int row = 0; row < DRAWABLE_HEIGHT; ++row) {
            for (int x = 0; x < DRAWABLE_WIDTH; ++x) {
                const int inked = (*coverage)[row][x];
                if (inked == 0) continue;
                pixels[static_cast<std::size_t>(row) * STRIP_WIDTH + cell * CELL_WIDTH + 1 + x] =
                    static_cast<std::uint8_t>(InkIndex(row, inked));
            }
        }
    }

    std::vector<std::uint8_t> file;
    file.reserve(FONT_FILE_BYTES);
    PutHeader(file);
    const auto palette = FontPalette();
    file.insert(file.end(), palette.begin(), palette.end());
    file.insert(file.end(), pixels.begin(), pixels.end());  // top row first
    PutFooter(file);
    return file;
}

}  // namespace trelk::tools
