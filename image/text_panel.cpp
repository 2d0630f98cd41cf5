// The text panel surface and the rendering of one text line.
#include "image/text_panel.h"

#include <cstddef>
#include <cstring>

#include "image/text_pages.h"

IDirectDrawSurface4* panelSurface = nullptr;
RECT panelRect = {0, 0, 0, 0};
int keyIndex = -1;
uint8_t LineImage[LINE_IMAGE_SIZE];

void RenderTextLine(const char* text, uint8_t* image) {
    for (int k = 0; k < LINE_CHARACTERS; ++k) {
        const int cell = GlyphCellOf(text[k]);
        for (int r = 0; r < FONT_CELL_HEIGHT; ++r) {
            uint8_t* target = image + r * PANEL_WIDTH + k * FONT_CELL_WIDTH;
            if (cell < 0) {
                std::memset(target, BLANK_INDEX, FONT_CELL_WIDTH);
            } else {
                std::memcpy(target, &fontStrip.glyphs[(cell * FONT_CELL_HEIGHT + r) * FONT_CELL_WIDTH],
                            FONT_CELL_WIDTH);
            }
        }
    }
}

namespace {

// The panel's pixels are otherwise undefined until each band is first
// written, and the frame shows a band one step before that.
void FillPanel(uint16_t colour) {
    DDSURFACEDESC2 locked;
    std::memset(&locked, 0, sizeof locked);
    locked.dwSize = DDSURFACEDESC2_SIZE_WIN32;
    if (FAILED(panelSurface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr)) || locked.lpSurface == nullptr) {
        return;
    }
    if (locked.lPitch >= 2 * PANEL_WIDTH) {
        for (int y = 0; y < PANEL_HEIGHT; ++y) {
            auto* row = static_cast<uint8_t*>(locked.lpSurface) + static_cast<ptrdiff_t>(y) * locked.lPitch;
            for (int x = 0; x < PANEL_WIDTH; ++x) {
                std::memcpy(row + 2 * x, &colour, sizeof colour);
            }
        }
    }
    panelSurface->Unlock(nullptr);
}

}  // namespace

void CreateTextPanel(DisplayDevice& display) {
    keyIndex = LoadFontStrip("#107");
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = DDSURFACEDESC2_SIZE_WIN32;
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.dwHeight = PANEL_HEIGHT;
    desc.dwWidth = PANEL_WIDTH;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    panelRect = RECT{0, 0, PANEL_WIDTH, PANEL_HEIGHT};
    if (display.directDraw != nullptr) {
        display.directDraw->CreateSurface(&desc, &panelSurface, nullptr);
    }
    if (currentPage == nullptr) {
        currentPage = pageTable[0];
    }
    RenderTextLine(currentPage->text, LineImage);
    if (panelSurface == nullptr) {
        return;
    }
    // Without a font every entry is white, and white is the key.
    const int key = keyIndex >= 0 ? keyIndex : BLANK_INDEX;
    const uint8_t* entry = &fontStrip.palette[3 * key];
    const uint16_t packed = PackColor(display.pixelFormat, entry[2], entry[1], entry[0]);
    FillPanel(packed);
    DDCOLORKEY colourKey{packed, packed};
    panelSurface->SetColorKey(DDCKEY_SRCBLT, &colourKey);
}
