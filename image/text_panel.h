// The text panel: a 320 x 221 colour-keyed surface (20 characters of 16
// pixels by 17 lines of 13 pixels) and the 8-bit image of the line being
// revealed. Main thread only.
#pragma once

#include <cstdint>

#include "display/display_device.h"
#include "image/font_strip.h"
#include "platform/ddraw/ddraw.h"

constexpr int LINE_CHARACTERS = 20;
constexpr int PANEL_LINES = 17;
constexpr int PANEL_WIDTH = LINE_CHARACTERS * FONT_CELL_WIDTH;   // 320
constexpr int PANEL_HEIGHT = PANEL_LINES * FONT_CELL_HEIGHT;     // 221
constexpr int LINE_IMAGE_SIZE = PANEL_WIDTH * FONT_CELL_HEIGHT;  // 4160

// Program-wide; released (and nulled) by the Escape handling.
extern IDirectDrawSurface4* panelSurface;
// {0, 0, 320, 221}; the frame rewrites its bottom every frame.
extern RECT panelRect;
// The font palette entry that is transparent on the panel; -1 without a font.
extern int keyIndex;
// One text line as font palette indices, row-major, 320 x 13.
extern uint8_t LineImage[LINE_IMAGE_SIZE];

// Loads the font "#107", creates panelSurface (system memory) cleared to the
// key colour with that colour as its DDCKEY_SRCBLT key, and draws the current
// page's first line into LineImage. Uses display.directDraw and
// display.pixelFormat. Without a font the panel stays wholly transparent.
void CreateTextPanel(DisplayDevice& display);

// Draws exactly 20 characters from text (a NUL does not end the line) into
// image (LINE_IMAGE_SIZE bytes); characters without a cell draw blank (255).
void RenderTextLine(const char* text, uint8_t* image);
