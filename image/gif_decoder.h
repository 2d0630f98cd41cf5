// GIF decoding: the first image of a GIF stream as 8-bit palette indices with
// its 256-entry RGB palette. Main thread (start-up only); no global state.
#pragma once

#include <cstddef>
#include <cstdint>

// Images larger than this in either direction, or with more pixels in all,
// are refused: a picture for a 640 x 480 screen never comes near them, and a
// lying header must not make the decoder allocate hundreds of megabytes.
constexpr int32_t GIF_MAX_DIMENSION = 16384;
constexpr int64_t GIF_MAX_PIXELS = 4096 * 4096;

struct GifImage {
    int32_t bitsPerPixel;  // always 8: one byte per pixel
    int32_t width;         // the image descriptor's, not the screen's
    int32_t height;
    int32_t colourCount;      // entries of the chosen colour table, 0 without one
    uint8_t palette[256][3];  // red, green, blue; entries past colourCount are 0
    uint8_t* pixels;          // width x height indices, row-major, top row first
};

// Decodes the first image of the size bytes at data; never reads past them.
// Returns null when the stream is not a GIF, ends before an image descriptor,
// describes an image that cannot be decoded (code size, dimensions) or an
// allocation fails. Defects inside the code stream do not fail the decode.
// The caller owns the result and releases it with FreeGifImage.
GifImage* DecodeGif(const uint8_t* data, size_t size);

// Decodes the RCDATA resource name ("#115") of the executable, read in place.
// Null when the resource is missing or cannot be loaded, or as DecodeGif.
GifImage* DecodeGifResource(const char* name);

// Releases the pixels, then the record. Null is allowed.
void FreeGifImage(GifImage* image);
