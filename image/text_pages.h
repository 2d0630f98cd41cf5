// The text pages: three pages of 17 lines of 20 characters, revealed line by
// line, each line sharpening from a horizontal blur over 20 steps; a finished
// page is held by Windows timer PAGE_TIMER_ID. Main thread only: the steps run
// inside the frame and the window procedure resets the state between them.
#pragma once

#include <cstdint>

#include "display/display_device.h"
#include "image/text_panel.h"
#include "platform/win32/windows.h"

constexpr int PAGE_COUNT = 3;
constexpr int PAGE_TEXT_SIZE = PANEL_LINES * LINE_CHARACTERS;  // 340
constexpr UINT_PTR PAGE_TIMER_ID = 1999;
constexpr UINT PAGE_HOLD_MS = 3000;
constexpr int32_t BLUR_START = 40;
constexpr int32_t BLUR_STEP = 2;

// 17 lines of exactly 20 characters, line after line, then a NUL.
struct TextPage {
    char text[PAGE_TEXT_SIZE + 1];
};
static_assert(sizeof(TextPage) == 341);

// In showing order: 0, 1, 2, then 0 again.
extern const TextPage* const pageTable[PAGE_COUNT];

extern const TextPage* currentPage;
// The line being revealed (0..16) and the panel band written; -1 while a new
// page has not shown its first line.
extern int32_t lineIndex;
// 40 when a line begins; lowered by 2 (not below 0) by each step.
extern int32_t blurCountdown;
// Set while a finished page is held; the frame then makes no steps.
extern int32_t pageComplete;
// LineImage converted to panel pixels.
extern uint16_t lineColours[LINE_IMAGE_SIZE];

// One reveal step: blur LineImage at the next width into lineColours, copy it
// into band lineIndex of panelSurface, and at width 0 move on to the next line
// or, after line 16, hold the page (SetTimer on display.hWnd) with
// currentPage already moved to the next page.
void UpdateTextPanel(DisplayDevice& display);

// LineImage, taken as one run of 4160 indices, to packed pixels in out
// (4160 entries). width < 1: each pixel sharp. Otherwise pixel j is the
// average of the entries j - width/2 + 1 .. j + width/2; entries outside the
// image count as BLANK_INDEX. Costs the same for every width.
void ConvertLineImage(int width, uint16_t* out, const PixelFormatInfo& format);
