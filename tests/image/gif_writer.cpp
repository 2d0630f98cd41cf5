// giflib-backed writer and reader, and the LZW code packer, for the tests.
#include "tests/image/gif_writer.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <utility>

namespace {

int AppendBytes(GifFileType* gif, const GifByteType* data, int length) {
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

struct ReadState {
    const std::vector<uint8_t>* stream;
    size_t position;
};

int TakeBytes(GifFileType* gif, GifByteType* data, int length) {
    auto* state = static_cast<ReadState*>(gif->UserData);
    const size_t count = std::min(static_cast<size_t>(length), state->stream->size() - state->position);
    std::memcpy(data, state->stream->data() + state->position, count);
    state->position += count;
    return static_cast<int>(count);
}

// giflib wants a power-of-two table; the callers only give such sizes.
ColorMapObject* MakeMap(const std::vector<Colour>& colours) {
    if (colours.empty()) {
        return nullptr;
    }
    std::vector<GifColorType> entries(colours.size());
    for (size_t i = 0; i < colours.size(); ++i) {
        entries[i] = GifColorType{colours[i][0], colours[i][1], colours[i][2]};
    }
    return GifMakeMapObject(static_cast<int>(colours.size()), entries.data());
}

bool PutExtension(GifFileType* gif, const GifExtension& extension) {
    if (EGifPutExtensionLeader(gif, extension.label) == GIF_ERROR) {
        return false;
    }
    for (const auto& block : extension.blocks) {
        if (EGifPutExtensionBlock(gif, static_cast<int>(block.size()), block.data()) == GIF_ERROR) {
            return false;
        }
    }
    return EGifPutExtensionTrailer(gif) != GIF_ERROR;
}

bool PutFrame(GifFileType* gif, const GifFrame& frame) {
    for (const auto& extension : frame.extensions) {
        if (!PutExtension(gif, extension)) {
            return false;
        }
    }
    ColorMapObject* local = MakeMap(frame.localColours);
    const int result =
        EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height, frame.interlaced, local);
    GifFreeMapObject(local);
    if (result == GIF_ERROR) {
        return false;
    }
    // Rows go out in file order: the interlace passes when interlaced.
    std::vector<int> order;
    if (frame.interlaced) {
        const int start[4] = {0, 4, 2, 1};
        const int step[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass) {
            for (int row = start[pass]; row < frame.height; row += step[pass]) {
                order.push_back(row);
            }
        }
    } else {
        for (int row = 0; row < frame.height; ++row) {
            order.push_back(row);
        }
    }
    std::vector<GifPixelType> line(static_cast<size_t>(frame.width));
    for (int row : order) {
        std::copy_n(frame.pixels.begin() + static_cast<std::ptrdiff_t>(row) * frame.width, frame.width,
                    line.begin());
        if (EGifPutLine(gif, line.data(), frame.width) == GIF_ERROR) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::vector<uint8_t> WriteGifWithGiflib(const GifStreamSpec& layout) {
    std::vector<uint8_t> out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, AppendBytes, &error);
    if (gif == nullptr) {
        return {};
    }
    EGifSetGifVersion(gif, layout.gif89);
    ColorMapObject* global = MakeMap(layout.globalColours);
    bool ok = EGifPutScreenDesc(gif, layout.screenWidth, layout.screenHeight, 8, 0, global) != GIF_ERROR;
    GifFreeMapObject(global);
    for (const auto& frame : layout.frames) {
        ok = ok && PutFrame(gif, frame);
    }
    ok = (EGifCloseFile(gif, &error) != GIF_ERROR) && ok;
    return ok ? out : std::vector<uint8_t>{};
}

ReferenceImage ReadGifWithGiflib(const std::vector<uint8_t>& stream) {
    ReferenceImage result;
    ReadState state{&stream, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&state, TakeBytes, &error);
    if (gif == nullptr) {
        return result;
    }
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0) {
        const SavedImage& image = gif->SavedImages[0];
        const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
        result.ok = true;
        result.screenWidth = gif->SWidth;
        result.screenHeight = gif->SHeight;
        result.background = gif->SBackGroundColor;
        result.imageCount = gif->ImageCount;
        result.left = image.ImageDesc.Left;
        result.top = image.ImageDesc.Top;
        result.width = image.ImageDesc.Width;
        result.height = image.ImageDesc.Height;
        result.interlaced = image.ImageDesc.Interlace;
        result.localTable = image.ImageDesc.ColorMap != nullptr;
        result.colourCount = map ? map->ColorCount : 0;
        for (int i = 0; i < result.colourCount; ++i) {
            const GifColorType& c = map->Colors[i];
            result.palette.push_back(Colour{c.Red, c.Green, c.Blue});
        }
        result.pixels.assign(image.RasterBits,
                             image.RasterBits + static_cast<size_t>(result.width) * result.height);
    }
    DGifCloseFile(gif, &error);
    return result;
}

std::vector<uint8_t> RandomPixels(int width, int height, int colourCount, uint32_t seed, int runLength) {
    std::mt19937 random(seed);
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height);
    uint8_t value = 0;
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (runLength <= 1 || random() % static_cast<uint32_t>(runLength) == 0) {
            value = static_cast<uint8_t>(random() % static_cast<uint32_t>(colourCount));
        }
        pixels[i] = value;
    }
    return pixels;
}

std::vector<Colour> RandomColours(int count, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<Colour> colours(static_cast<size_t>(count));
    for (auto& colour : colours) {
        colour = Colour{static_cast<uint8_t>(random()), static_cast<uint8_t>(random()),
                        static_cast<uint8_t>(random())};
    }
    return colours;
}

GifStreamSpec RandomGif(int width, int height, int colours, uint32_t seed, bool interlaced, int runLength) {
    GifFrame frame;
    frame.width = width;
    frame.height = height;
    frame.interlaced = interlaced;
    frame.pixels = RandomPixels(width, height, colours, seed + 1, runLength);
    // Moved in rather than copied through an initializer list, whose
    // temporary's destruction GCC 14 takes for a null dereference.
    GifStreamSpec stream{true, width, height, RandomColours(colours, seed), {}};
    stream.frames.push_back(std::move(frame));
    return stream;
}

CodePacker::CodePacker(int minCodeSize)
    : minSize(minCodeSize),
      clear(1 << minCodeSize),
      counter(clear + 2),
      width(minCodeSize + 1),
      limit(1 << (minCodeSize + 1)) {}

void CodePacker::Put(int code) {
    bits |= static_cast<uint32_t>(code) << bitCount;
    bitCount += width;
    while (bitCount >= 8) {
        bytes.push_back(static_cast<uint8_t>(bits));
        bits >>= 8;
        bitCount -= 8;
    }
    counter = std::min(counter + 1, 4098);
    if (counter > limit && width < 12) {
        limit *= 2;
        ++width;
    }
    if (code == clear) {
        counter = clear + 2;
        width = minSize + 1;
        limit = 1 << width;
    }
}

std::vector<uint8_t> CodePacker::Flushed() const {
    std::vector<uint8_t> all = bytes;
    if (bitCount > 0) {
        all.push_back(static_cast<uint8_t>(bits));
    }
    return all;
}

std::vector<uint8_t> CodePacker::SubBlocks(int blockSize) const {
    const std::vector<uint8_t> all = Flushed();
    std::vector<uint8_t> out;
    for (size_t at = 0; at < all.size(); at += static_cast<size_t>(blockSize)) {
        const size_t length = std::min(all.size() - at, static_cast<size_t>(blockSize));
        out.push_back(static_cast<uint8_t>(length));
        out.insert(out.end(), all.begin() + static_cast<std::ptrdiff_t>(at),
                   all.begin() + static_cast<std::ptrdiff_t>(at + length));
    }
    out.push_back(0);
    return out;
}

CodePacker Packed(const std::vector<int>& codes, int minCodeSize) {
    CodePacker packer(minCodeSize);
    for (int code : codes) packer.Put(code);
    return packer;
}

std::vector<uint8_t> HandMadeGif(int width, int height, int minCodeSize,
                                 const std::vector<uint8_t>& imageData,
                                 const std::vector<Colour>& globalColours, bool interlaced) {
    std::vector<uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    auto word = [&out](int value) {
        out.push_back(static_cast<uint8_t>(value & 0xFF));
        out.push_back(static_cast<uint8_t>(value >> 8));
    };
    word(width);
    word(height);
    int exponent = 0;
    while ((2 << exponent) < static_cast<int>(globalColours.size())) {
        ++exponent;
    }
    out.push_back(globalColours.empty() ? 0x70 : static_cast<uint8_t>(0xF0 | exponent));
    out.push_back(0);
    out.push_back(0);
    for (const auto& colour : globalColours) {
        out.insert(out.end(), colour.begin(), colour.end());
    }
    out.push_back(0x2C);
    word(0);
    word(0);
    word(width);
    word(height);
    out.push_back(interlaced ? 0x40 : 0x00);
    out.push_back(static_cast<uint8_t>(minCodeSize));
    out.insert(out.end(), imageData.begin(), imageData.end());
    out.push_back(0x3B);
    return out;
}
