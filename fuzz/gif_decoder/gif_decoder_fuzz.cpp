// DecodeGif on arbitrary bytes: it must never read past them, never write
// past its tables or the pixel buffer, and return null or a whole image.
#include <cstddef>
#include <cstdint>

#include "image/gif_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    GifImage* image = DecodeGif(data, size);
    if (image == nullptr) {
        return 0;
    }
    if (image->bitsPerPixel != 8 || image->width < 0 || image->height < 0 ||
        image->width > GIF_MAX_DIMENSION || image->height > GIF_MAX_DIMENSION ||
        int64_t{image->width} * image->height > GIF_MAX_PIXELS || image->colourCount < 0 ||
        image->colourCount > 256) {
        __builtin_trap();
    }
    // The first and last pixel: the address sanitizer checks the buffer's size.
    const size_t count = static_cast<size_t>(image->width) * static_cast<size_t>(image->height);
    volatile uint8_t sink = image->pixels[0];
    if (count > 0) {
        sink = static_cast<uint8_t>(sink + image->pixels[count - 1]);
    }
    (void)sink;
    FreeGifImage(image);
    return 0;
}
