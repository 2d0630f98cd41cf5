// PNG images through libpng: a folder capture's frames, the tests' golden
// images and the desktop icons. 8 bits a channel; no time or text chunks, so
// the same pixels with the same options always give the same bytes. A library
// of its own, which tests and tools link as well as the stand-in.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

enum class PngPixels {
    Rgb,       // red, green, blue bytes
    Rgba,      // red, green, blue, alpha bytes (straight alpha)
    Xrgb8888,  // 32-bit words 0xFFRRGGBB, written as RGB
};

struct PngImage {
    const void* pixels = nullptr;  // rows back to back, no padding
    int width = 0;
    int height = 0;
    PngPixels layout = PngPixels::Rgb;
};

enum class PngCompression {
    Fast,   // zlib's level 1 and the sub filter: a capture writes thousands of frames
    Small,  // level 9, every filter, zlib's settings fixed rather than libpng's defaults
};

struct PngOptions {
    PngCompression compression = PngCompression::Small;
    bool srgb = false;  // an sRGB chunk: the colours are plain sRGB
};

// Writes the image into `file`, which the caller closes: 0, or the system's
// error number of the failure (EINVAL for an image without pixels, ENOMEM
// when libpng itself fails).
int WritePngFile(std::FILE* file, const PngImage& image, const PngOptions& options);

// The image as PNG bytes; empty when libpng fails.
std::vector<uint8_t> EncodePng(const PngImage& image, const PngOptions& options);
