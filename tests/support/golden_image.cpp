#include "tests/support/golden_image.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/capture/png_writer.h"

namespace {

int Shift(uint32_t mask) {
    int shift = 0;
    while (mask != 0 && (mask & 1u) == 0) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

// A channel of `bits` bits widened to 8 by repeating its top bits.
uint8_t Widen(uint32_t pixel, uint32_t mask) {
    if (mask == 0) {
        return 0;
    }
    const int shift = Shift(mask);
    const uint32_t maximum = mask >> shift;
    const uint32_t value = (pixel & mask) >> shift;
    return static_cast<uint8_t>((value * 255 + maximum / 2) / maximum);
}

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<FILE, FileCloser>;

bool Refreshing() {
    const char* flag = std::getenv("TRELK_REFRESH_GOLDEN");
    return flag != nullptr && std::strcmp(flag, "1") == 0;
}

}  // namespace

RgbImage ImageFrom16Bit(const uint16_t* pixels, int width, int height, int pitch, uint32_t redMask,
                        uint32_t greenMask, uint32_t blueMask) {
    RgbImage image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<size_t>(width) * height * 3);
    size_t out = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint16_t pixel = pixels[static_cast<size_t>(y) * pitch + x];
            image.pixels[out++] = Widen(pixel, redMask);
            image.pixels[out++] = Widen(pixel, greenMask);
            image.pixels[out++] = Widen(pixel, blueMask);
        }
    }
    return image;
}

bool WritePng(const std::string& path, const RgbImage& image) {
    File file(std::fopen(path.c_str(), "wb"));
    const PngImage png{image.pixels.data(), image.width, image.height, PngPixels::Rgb};
    return file && WritePngFile(file.get(), png, {}) == 0 && std::fclose(file.release()) == 0;
}

bool ReadPng(const std::string& path, RgbImage* image) {
    png_image reader{};
    reader.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&reader, path.c_str()) == 0) {
        return false;
    }
    reader.format = PNG_FORMAT_RGB;
    image->width = static_cast<int>(reader.width);
    image->height = static_cast<int>(reader.height);
    image->pixels.resize(PNG_IMAGE_SIZE(reader));
    if (png_image_finish_read(&reader, nullptr, image->pixels.data(), 0, nullptr) == 0) {
        png_image_free(&reader);
        return false;
    }
    return true;
}

std::string CompareWithGolden(const std::string& goldenPath, const RgbImage& actual) {
    if (Refreshing()) {
        return WritePng(goldenPath, actual) ? std::string() : "cannot write " + goldenPath;
    }
    RgbImage golden;
    std::string problem;
    if (!ReadPng(goldenPath, &golden)) {
        problem = "cannot read " + goldenPath + " (TRELK_REFRESH_GOLDEN=1 writes it)";
    } else if (golden.width != actual.width || golden.height != actual.height) {
        problem = "size differs from " + goldenPath;
    } else if (golden.pixels != actual.pixels) {
        size_t differing = 0;
        for (size_t i = 0; i < golden.pixels.size(); i += 3) {
            differing += std::memcmp(&golden.pixels[i], &actual.pixels[i], 3) != 0 ? 1 : 0;
        }
        problem = std::to_string(differing) + " pixels differ from " + goldenPath;
    }
    if (!problem.empty()) {
        const std::string actualPath = goldenPath.substr(0, goldenPath.rfind(".png")) + ".actual.png";
        if (WritePng(actualPath, actual)) {
            problem += "; actual image written to " + actualPath;
        }
    }
    return problem;
}
