#include "tools/icon/png_writer.h"

#include <png.h>

#include <csetjmp>

namespace trelk::tools {
namespace {

void Append(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void Flush(png_structp) {}

void OnError(png_structp png, png_const_charp message) {
    *static_cast<std::string*>(png_get_error_ptr(png)) = message;
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

}  // namespace

std::vector<std::uint8_t> EncodePng(const std::vector<Rgba8>& pixels, int width, int height,
                                    std::string& error) {
    if (width <= 0 || height <= 0 ||
        pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
        error = "pixel count does not match the size";
        return {};
    }
    std::vector<std::uint8_t> out;
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        // libpng only reads the rows; its interface is not const.
        rows[static_cast<std::size_t>(y)] = const_cast<png_bytep>(
            reinterpret_cast<const png_byte*>(&pixels[static_cast<std::size_t>(y) * width]));
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, OnError, OnWarning);
    if (png == nullptr) {
        error = "libpng could not start";
        return {};
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png)) != 0) {
        if (error.empty()) error = "libpng could not start";
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, Append, Flush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    // Colours as rendered: plain sRGB, said so in the file.
    png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
    // Fixed settings, so that the bytes do not depend on libpng's defaults.
    png_set_compression_level(png, 9);
    png_set_compression_mem_level(png, 9);
    png_set_compression_strategy(png, 0);  // Z_DEFAULT_STRATEGY
    png_set_compression_window_bits(png, 15);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

}  // namespace trelk::tools
