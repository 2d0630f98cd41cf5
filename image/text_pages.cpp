// The page state and the reveal step: blur, band copy, next line, next page.
#include "image/text_pages.h"

#include <cstddef>
#include <cstring>

const TextPage* currentPage = nullptr;
int32_t lineIndex = 0;
int32_t blurCountdown = BLUR_START;
int32_t pageComplete = 0;
uint16_t lineColours[LINE_IMAGE_SIZE];

namespace {

inline uint16_t PackEntry(const PixelFormatInfo& format, int index) {
    const uint8_t* entry = &fontStrip.palette[3 * index];  // blue, green, red
    return PackColor(format, entry[2], entry[1], entry[0]);
}

// The window reaches up to width / 2 entries past either end of the line.
inline int EntryAt(int i) { return (i < 0 || i >= LINE_IMAGE_SIZE) ? BLANK_INDEX : LineImage[i]; }

// Copies lineColours into the 13 rows of band lineIndex, at the pitch the
// lock reports.
void CopyBand() {
    if (panelSurface == nullptr || lineIndex < 0 || lineIndex >= PANEL_LINES) {
        return;
    }
    DDSURFACEDESC2 locked;
    std::memset(&locked, 0, sizeof locked);
    locked.dwSize = DDSURFACEDESC2_SIZE_WIN32;
    if (FAILED(panelSurface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr)) || locked.lpSurface == nullptr) {
        return;
    }
    if (locked.lPitch >= 2 * PANEL_WIDTH) {
        auto* band = static_cast<uint8_t*>(locked.lpSurface) +
                     static_cast<ptrdiff_t>(lineIndex) * FONT_CELL_HEIGHT * locked.lPitch;
        for (int r = 0; r < FONT_CELL_HEIGHT; ++r) {
            std::memcpy(band + static_cast<ptrdiff_t>(r) * locked.lPitch, &lineColours[r * PANEL_WIDTH],
                        2 * PANEL_WIDTH);
        }
    }
    panelSurface->Unlock(nullptr);
}

const TextPage* PageAfter(const TextPage* page) {
    for (int i = 0; i < PAGE_COUNT; ++i) {
        if (pageTable[i] == page) {
            return pageTable[(i + 1) % PAGE_COUNT];
        }
    }
    return pageTable[0];
}

}  // namespace

void ConvertLineImage(int width, uint16_t* out, const PixelFormatInfo& format) {
    if (width < 1) {
        for (int i = 0; i < LINE_IMAGE_SIZE; ++i) {
            out[i] = PackEntry(format, LineImage[i]);
        }
        return;
    }
    const uint8_t* palette = fontStrip.palette;
    const int half = width / 2;
    const auto divisor = static_cast<uint32_t>(width);
    uint32_t blue = 0;
    uint32_t green = 0;
    uint32_t red = 0;
    for (int i = -half; i < half; ++i) {
        const uint8_t* entry = &palette[3 * EntryAt(i)];
        blue += entry[0];
        green += entry[1];
        red += entry[2];
    }
    for (int j = 0; j < LINE_IMAGE_SIZE; ++j) {
        const uint8_t* added = &palette[3 * EntryAt(j + half)];
        const uint8_t* dropped = &palette[3 * EntryAt(j - half)];
        blue += added[0] - dropped[0];
        green += added[1] - dropped[1];
        red += added[2] - dropped[2];
        out[j] = PackColor(format, static_cast<uint8_t>(red / divisor), static_cast<uint8_t>(green / divisor),
                           static_cast<uint8_t>(blue / divisor));
    }
}

void UpdateTextPanel(DisplayDevice& display) {
    blurCountdown -= BLUR_STEP;
    if (blurCountdown < 0) {
        blurCountdown = 0;
    }
    ConvertLineImage(blurCountdown, lineColours, display.pixelFormat);
    CopyBand();
    if (blurCountdown != 0) {
        return;
    }
    ++lineIndex;
    blurCountdown = BLUR_START;
    if (currentPage == nullptr) {
        currentPage = pageTable[0];
    }
    if (lineIndex < PANEL_LINES) {
        RenderTextLine(currentPage->text + LINE_CHARACTERS * lineIndex, LineImage);
        return;
    }
    lineIndex = PANEL_LINES - 1;
    pageComplete = 1;
    currentPage = PageAfter(currentPage);
    SetTimer(display.hWnd, PAGE_TIMER_ID, PAGE_HOLD_MS, nullptr);
}
