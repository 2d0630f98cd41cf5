// The font strip: fixed-offset reading, the key entry, cutting into cells.
#include "image/font_strip.h"

#include <cstring>

#include "platform/win32/windows.h"

FontStrip fontStrip;

namespace {

constexpr UINT SIMPLE_BEEP = 0xFFFFFFFF;
constexpr char MARKS[] = "'-.+?!():*&@/";  // cells 36 to 48, in order
constexpr int FIRST_MARK_CELL = 36;

void MakeBlankStrip() {
    std::memset(fontStrip.palette, 0xFF, sizeof fontStrip.palette);
    std::memset(fontStrip.glyphs, BLANK_INDEX, sizeof fontStrip.glyphs);
}

int FindKeyIndex(const uint8_t* palette) {
    for (int i = 0; i < 256; ++i) {
        if (palette[3 * i] == 255 && palette[3 * i + 1] == 255 && palette[3 * i + 2] == 255) {
            return i;
        }
    }
    return BLANK_INDEX;
}

void CutIntoCells(const uint8_t* strip) {
    for (int g = 0; g < FONT_CELL_COUNT; ++g) {
        for (int r = 0; r < FONT_CELL_HEIGHT; ++r) {
            std::memcpy(
                &fontStrip.glyphs[static_cast<size_t>(g * FONT_CELL_HEIGHT + r) * FONT_CELL_WIDTH],
                &strip[static_cast<size_t>(r) * FONT_STRIP_WIDTH + static_cast<size_t>(g) * FONT_CELL_WIDTH],
                FONT_CELL_WIDTH);
        }
    }
}

}  // namespace

int GlyphCellOf(char c) {
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    if (c >= '0' && c <= '9') {
        return 26 + (c - '0');
    }
    if (c == '\0') {
        return -1;
    }
    const char* mark = std::strchr(MARKS, c);
    return mark != nullptr ? FIRST_MARK_CELL + static_cast<int>(mark - MARKS) : -1;
}

int LoadFontStrip(const char* name) {
    HRSRC found = FindResourceA(nullptr, name, RT_RCDATA);
    if (found == nullptr) {
        MessageBeep(SIMPLE_BEEP);
    }
    HGLOBAL loaded = found != nullptr ? LoadResource(nullptr, found) : nullptr;
    if (loaded == nullptr) {
        MessageBeep(MB_ICONASTERISK);
        MakeBlankStrip();
        return -1;
    }
    // Reading the fixed offsets of a shorter resource would run past its end.
    if (SizeofResource(nullptr, found) < FONT_BYTES_READ) {
        MessageBeep(SIMPLE_BEEP);
        MessageBeep(MB_ICONASTERISK);
        MakeBlankStrip();
        return -1;
    }
    const auto* bytes = static_cast<const uint8_t*>(loaded);
    std::memcpy(fontStrip.palette, bytes + FONT_PALETTE_OFFSET, FONT_PALETTE_SIZE);
    CutIntoCells(bytes + FONT_PIXELS_OFFSET);
    return FindKeyIndex(fontStrip.palette);
}
