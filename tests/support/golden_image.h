// Golden-image tests: small RGB PNG files read, written and compared. A run
// with TRELK_REFRESH_GOLDEN=1 in the environment rewrites the golden files;
// a mismatch writes the actual image next to the golden one (".actual.png").
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // red, green, blue per pixel, rows back to back
};

// 16-bit pixels with the given channel masks (5-6-5 or 5-5-5) widened to 8
// bits per channel; pitch in pixels.
RgbImage ImageFrom16Bit(const uint16_t* pixels, int width, int height, int pitch, uint32_t redMask,
                        uint32_t greenMask, uint32_t blueMask);

bool WritePng(const std::string& path, const RgbImage& image);
bool ReadPng(const std::string& path, RgbImage* image);

// Empty when `actual` equals the golden file (or the file was just
// refreshed); otherwise a description of the difference.
std::string CompareWithGolden(const std::string& goldenPath, const RgbImage& actual);
