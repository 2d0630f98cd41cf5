// LoadFontStrip and RenderTextLine on arbitrary resource bytes: a resource of
// any size is read within its bounds, and every line image holds indices
// from the strip (or the blank index) only.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "image/text_panel.h"
#include "platform/win32/resource_table.h"
#include "platform/win32/testing.h"

namespace {

void NoBeep(UINT) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetMessageBeepHookForTesting(NoBeep);
    const ResourceEntry entry{107, 10, nullptr, data, static_cast<uint32_t>(size)};
    InstallResourceTable(&entry, 1);
    const int key = LoadFontStrip("#107");
    InstallResourceTable(nullptr, 0);
    if (key < -1 || key > 255) {
        __builtin_trap();
    }
    // The line's characters: the input's first 20 bytes, NULs and all.
    char text[LINE_CHARACTERS] = {};
    if (size > 0) {
        std::memcpy(text, data, size < sizeof text ? size : sizeof text);
    }
    RenderTextLine(text, LineImage);
    for (int k = 0; k < LINE_CHARACTERS; ++k) {
        const int cell = GlyphCellOf(text[k]);
        const uint8_t expected =
            cell < 0 ? BLANK_INDEX : fontStrip.glyphs[cell * FONT_CELL_HEIGHT * FONT_CELL_WIDTH];
        if (LineImage[k * FONT_CELL_WIDTH] != expected) {
            __builtin_trap();
        }
    }
    return 0;
}
