// The one PNG writer (capture frames, golden images, icons): every layout
// reads back as it was given at either compression, and a file that cannot
// take the bytes is answered with the system's reason.
#include "platform/capture/png_writer.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cerrno>
#include <cstdio>

namespace {

std::vector<uint8_t> Decode(const std::vector<uint8_t>& file, uint32_t format) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_memory(&image, file.data(), file.size()) == 0) {
        return {};
    }
    image.format = format;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) == 0) {
        return {};
    }
    return pixels;
}

// 3 x 2 pixels in each layout, every channel its own value.
struct Pixels {
    std::vector<uint8_t> rgb;
    std::vector<uint8_t> rgba;
    std::vector<uint32_t> xrgb;
};

Pixels SixPixels() {
    Pixels pixels;
    for (uint32_t i = 0; i < 6; ++i) {
        const uint8_t r = static_cast<uint8_t>(10 + i);
        const uint8_t g = static_cast<uint8_t>(100 + i);
        const uint8_t b = static_cast<uint8_t>(200 + i);
        pixels.rgb.insert(pixels.rgb.end(), {r, g, b});
        pixels.rgba.insert(pixels.rgba.end(), {r, g, b, static_cast<uint8_t>(40 * i)});
        pixels.xrgb.push_back(0xFF000000u | uint32_t{r} << 16 | uint32_t{g} << 8 | b);
    }
    return pixels;
}

TEST(PngWriter, EveryLayoutReadsBackAsGiven) {
    const Pixels pixels = SixPixels();
    for (PngCompression compression : {PngCompression::Fast, PngCompression::Small}) {
        const PngOptions options{compression};
        EXPECT_EQ(Decode(EncodePng({pixels.rgb.data(), 3, 2, PngPixels::Rgb}, options), PNG_FORMAT_RGB),
                  pixels.rgb);
        EXPECT_EQ(Decode(EncodePng({pixels.rgba.data(), 3, 2, PngPixels::Rgba}, options), PNG_FORMAT_RGBA),
                  pixels.rgba);
        EXPECT_EQ(Decode(EncodePng({pixels.xrgb.data(), 3, 2, PngPixels::Xrgb8888}, options), PNG_FORMAT_RGB),
                  pixels.rgb);
    }
    EXPECT_TRUE(EncodePng({nullptr, 3, 2, PngPixels::Rgb}, {}).empty());
}

TEST(PngWriter, AFullDiskIsTheSystemsReason) {
    std::FILE* full = std::fopen("/dev/full", "wb");
    if (full == nullptr) {
        GTEST_SKIP() << "no /dev/full";
    }
    std::setvbuf(full, nullptr, _IONBF, 0);  // every write reaches the device
    const Pixels pixels = SixPixels();
    EXPECT_EQ(WritePngFile(full, {pixels.rgb.data(), 3, 2, PngPixels::Rgb}, {}), ENOSPC);
    std::fclose(full);
}

}  // namespace
