// Builds font strip resources for the tests.
#include "tests/image/font_maker.h"

#include "image/font_strip.h"

uint8_t GlyphPixel(int g, int r, int x) {
    if (x == 0 || x == 15 || r == 12) {
        return 255;
    }
    return static_cast<uint8_t>((g * 7 + r * 3 + x * 11) % 255);
}

FontColour FontPaletteColour(int i, int whiteAlso) {
    if (i == 255 || i == whiteAlso) {
        return FontColour{255, 255, 255};
    }
    return FontColour{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                      static_cast<uint8_t>((i * 37) % 256)};
}

std::vector<uint8_t> MakeFontResource(int whiteAlso, bool noWhite) {
    std::vector<uint8_t> bytes = {0, 1, 1, 0, 0, 0, 1, 24, 0, 0, 0, 0, 0x10, 0x03, 13, 0, 8, 0x08};
    for (int i = 0; i < 256; ++i) {
        FontColour c = FontPaletteColour(i, whiteAlso);
        if (noWhite && i == 255) {
            c = FontColour{255, 255, 254};
        }
        bytes.push_back(c.blue);
        bytes.push_back(c.green);
        bytes.push_back(c.red);
    }
    for (int r = 0; r < FONT_CELL_HEIGHT; ++r) {
        for (int column = 0; column < FONT_STRIP_WIDTH; ++column) {
            bytes.push_back(GlyphPixel(column / FONT_CELL_WIDTH, r, column % FONT_CELL_WIDTH));
        }
    }
    bytes.resize(bytes.size() + 26, 0);  // the footer, never read
    return bytes;
}
