// The background picture: the GIF resource decoded and converted once, at
// start-up, into an off-screen 16-bit surface in the display's pixel format.
// Main thread only.
#pragma once

#include <cstdint>

#include "display/display_device.h"
#include "image/gif_decoder.h"
#include "platform/ddraw/ddraw.h"

// Program-wide; released (and nulled) by the Escape handling.
extern IDirectDrawSurface4* pictureSurface;
extern RECT pictureRect;
// Program-wide; its low 16 bits become Direct3D's ambient light. Written only
// by CreatePictureSurface.
extern uint32_t ambientLevel;

constexpr uint32_t PICTURE_AMBIENT_LEVEL = 65000;

// Decodes the RCDATA resource name and makes *surface from it (system memory,
// the picture's size); rect, when given, gets {0, 0, width, height}.
// Returns 1, or 0 when the picture cannot be decoded or the surface cannot be
// created or filled (a surface made but not filled is released and *surface
// nulled). On success the low 16 bits of ambientLevel become 65000.
// The caller owns *surface. Uses display.directDraw and display.pixelFormat.
int CreatePictureSurface(DisplayDevice& display, IDirectDrawSurface4** surface, const char* name, RECT* rect);

// Writes the image's pixels, packed for format, row by row pitch bytes apart
// from destination (pitch >= 2 * width). Indices past the colour table come
// out black, their palette entries being 0.
void ConvertPicturePixels(const GifImage& image, uint8_t* destination, int32_t pitch,
                          const PixelFormatInfo& format);
