#include "platform/capture/png_writer.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>

namespace {

// Where libpng's bytes go: a file (keeping the system's reason for a failure
// rather than libpng's words) or memory.
struct PngOutput {
    std::FILE* file = nullptr;
    std::vector<uint8_t>* bytes = nullptr;
    int error = 0;
};

[[noreturn]] void PngFailed(png_structp png, png_const_charp /*message*/) { png_longjmp(png, 1); }

void PngQuiet(png_structp /*png*/, png_const_charp /*message*/) {}

void PngWrite(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<PngOutput*>(png_get_io_ptr(png));
    if (out->bytes != nullptr) {
        out->bytes->insert(out->bytes->end(), data, data + length);
    } else if (std::fwrite(data, 1, length, out->file) != length) {
        out->error = errno != 0 ? errno : EIO;
        png_error(png, "write");
    }
}

void PngFlush(png_structp /*png*/) {}

// libpng's calls for the whole image; false when libpng gave up. `row`
// holds a row converted to RGB bytes for Xrgb8888.
bool WriteImage(png_structp png, png_infop info, const PngImage& image, const PngOptions& options,
                PngOutput& out, std::vector<uint8_t>& row) {
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    png_set_write_fn(png, &out, PngWrite, PngFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 image.layout == PngPixels::Rgba ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (options.srgb) {
        png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
    }
    if (options.compression == PngCompression::Fast) {
        png_set_compression_level(png, 1);
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    } else {
        png_set_compression_level(png, 9);
        png_set_compression_mem_level(png, 9);
        png_set_compression_strategy(png, 0);  // Z_DEFAULT_STRATEGY
        png_set_compression_window_bits(png, 15);
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
    }
    png_write_info(png, info);
    const auto width = static_cast<size_t>(image.width);
    const size_t rowBytes = width * (image.layout == PngPixels::Rgb ? 3 : 4);
    for (int y = 0; y < image.height; ++y) {
        const uint8_t* source = static_cast<const uint8_t*>(image.pixels) + static_cast<size_t>(y) * rowBytes;
        if (image.layout == PngPixels::Xrgb8888) {
            const auto* words = reinterpret_cast<const uint32_t*>(source);
            for (size_t x = 0; x < width; ++x) {
                row[3 * x] = static_cast<uint8_t>(words[x] >> 16);
                row[3 * x + 1] = static_cast<uint8_t>(words[x] >> 8);
                row[3 * x + 2] = static_cast<uint8_t>(words[x]);
            }
            source = row.data();
        }
        // libpng only reads the row; its interface is not const.
        png_write_row(png, const_cast<png_bytep>(source));
    }
    png_write_end(png, nullptr);
    return true;
}

// True when the whole image was written.
bool WritePng(const PngImage& image, const PngOptions& options, PngOutput& out) {
    if (image.pixels == nullptr || image.width <= 0 || image.height <= 0) {
        out.error = EINVAL;
        return false;
    }
    std::vector<uint8_t> row(image.layout == PngPixels::Xrgb8888 ? static_cast<size_t>(image.width) * 3 : 0);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngFailed, PngQuiet);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    const bool written = info != nullptr && WriteImage(png, info, image, options, out, row);
    png_destroy_write_struct(&png, &info);
    return written;
}

}  // namespace

int WritePngFile(std::FILE* file, const PngImage& image, const PngOptions& options) {
    PngOutput out{file, nullptr};
    if (WritePng(image, options, out)) {
        return 0;
    }
    return out.error != 0 ? out.error : ENOMEM;
}

std::vector<uint8_t> EncodePng(const PngImage& image, const PngOptions& options) {
    std::vector<uint8_t> bytes;
    PngOutput out{nullptr, &bytes};
    if (!WritePng(image, options, out)) {
        bytes.clear();
    }
    return bytes;
}
