#include "tools/picture/gif_encoder.h"

#include <gif_lib.h>

namespace trelk::tools {
namespace {

int AppendBytes(GifFileType* gif, const GifByteType* bytes, int length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
    out->insert(out->end(), bytes, bytes + length);
    return length;
}

bool WriteImage(GifFileType* gif, const std::vector<std::uint8_t>& indices, int width, int height,
                ColorMapObject* map, int background) {
    EGifSetGifVersion(gif, true);
    if (EGifPutScreenDesc(gif, width, height, 8, background, map) != GIF_OK) return false;
    if (EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) != GIF_OK) return false;
    std::vector<GifPixelType> row(static_cast<std::size_t>(width));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) row[x] = indices[static_cast<std::size_t>(y) * width + x];
        if (EGifPutLine(gif, row.data(), width) != GIF_OK) return false;
    }
    return true;
}

}  // namespace

std::vector<std::uint8_t> EncodeGif(const std::vector<std::uint8_t>& indices, int width, int height,
                                    const Palette& palette, int background, std::string& error) {
    if (width <= 0 || height <= 0 || indices.size() != static_cast<std::size_t>(width) * height) {
        error = "image size does not match its pixels";
        return {};
    }
    GifColorType colours[256];
    for (int i = 0; i < 256; ++i) colours[i] = {palette[i].r, palette[i].g, palette[i].b};
    ColorMapObject* map = GifMakeMapObject(256, colours);
    std::vector<std::uint8_t> out;
    int status = 0;
    GifFileType* gif = map == nullptr ? nullptr : EGifOpen(&out, AppendBytes, &status);
    if (gif == nullptr) {
        GifFreeMapObject(map);
        error = "cannot start a GIF stream";
        return {};
    }
    const bool written = WriteImage(gif, indices, width, height, map, background);
    if (!written) status = gif->Error;
    // EGifCloseFile writes the trailer and frees the stream, map copy included.
    const bool closed = EGifCloseFile(gif, &status) == GIF_OK;
    GifFreeMapObject(map);
    if (!written || !closed) {
        error = std::string("giflib: ") + GifErrorString(status);
        return {};
    }
    return out;
}

}  // namespace trelk::tools
