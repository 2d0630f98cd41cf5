// Test helpers: GIF streams written by giflib (an encoder independent of
// ours), giflib's own decode of a stream for comparison, and a bit packer for
// hand-made LZW code streams.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "image/gif_decoder.h"

using Colour = std::array<uint8_t, 3>;

struct GifExtension {
    int label = 0;                             // 0xF9, 0xFE, 0xFF, 0x01, ...
    std::vector<std::vector<uint8_t>> blocks;  // data sub-blocks, 1..255 bytes each
};

struct GifFrame {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool interlaced = false;
    std::vector<Colour> localColours;      // empty: no local table
    std::vector<uint8_t> pixels;           // width x height, top row first
    std::vector<GifExtension> extensions;  // written before the image
};

struct GifStreamSpec {
    bool gif89 = true;
    int screenWidth = 0;
    int screenHeight = 0;
    std::vector<Colour> globalColours;  // empty: no global table
    std::vector<GifFrame> frames;
};

// Encodes layout with giflib; an empty result means giflib refused it.
std::vector<uint8_t> WriteGifWithGiflib(const GifStreamSpec& layout);

// What giflib decodes from a stream: the screen and the first image.
struct ReferenceImage {
    bool ok = false;
    int screenWidth = 0;
    int screenHeight = 0;
    int background = 0;
    int imageCount = 0;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool interlaced = false;
    bool localTable = false;
    int colourCount = 0;          // of the table the first image uses
    std::vector<Colour> palette;  // colourCount entries
    std::vector<uint8_t> pixels;
};
ReferenceImage ReadGifWithGiflib(const std::vector<uint8_t>& stream);

// Random indices below colourCount; runLength > 1 makes long runs (long strings).
std::vector<uint8_t> RandomPixels(int width, int height, int colourCount, uint32_t seed, int runLength = 1);
std::vector<Colour> RandomColours(int count, uint32_t seed);
// One image filling the screen, with a random global table of `colours` entries.
GifStreamSpec RandomGif(int width, int height, int colours, uint32_t seed, bool interlaced = false,
                        int runLength = 1);

// Packs LZW codes least significant bit first, following the decoder's width
// rule (a code counter that starts past the end code, the width growing when
// the counter passes 2^width, back to minCodeSize + 1 on a clear code), and
// splits the bytes into data sub-blocks of at most blockSize bytes.
class CodePacker {
  public:
    explicit CodePacker(int minCodeSize);
    void Put(int code);
    void PutClear() { Put(clear); }
    void PutEnd() { Put(clear + 1); }
    int Width() const { return width; }
    // Sub-blocks plus the zero-length terminator.
    std::vector<uint8_t> SubBlocks(int blockSize = 255) const;

    const int minSize;
    const int clear;

  private:
    std::vector<uint8_t> bytes;
    uint32_t bits = 0;
    int bitCount = 0;
    int counter = 0;
    int width = 0;
    int limit = 0;
    std::vector<uint8_t> Flushed() const;
};

// The codes packed at minCodeSize.
CodePacker Packed(const std::vector<int>& codes, int minCodeSize = 2);

// Our decoder's image of a stream, freed when it goes.
struct ImageDeleter {
    void operator()(GifImage* image) const { FreeGifImage(image); }
};
using ImagePtr = std::unique_ptr<GifImage, ImageDeleter>;
inline ImagePtr Decode(const std::vector<uint8_t>& stream) {
    return ImagePtr(DecodeGif(stream.data(), stream.size()));
}
inline std::vector<uint8_t> Pixels(const GifImage& image) {
    return std::vector<uint8_t>(image.pixels, image.pixels + static_cast<size_t>(image.width) * image.height);
}

// A whole stream around hand-made image data: header, screen, optional global
// table, one image descriptor with optional local table, the code size byte,
// then imageData as given (sub-blocks), then the trailer.
std::vector<uint8_t> HandMadeGif(int width, int height, int minCodeSize,
                                 const std::vector<uint8_t>& imageData,
                                 const std::vector<Colour>& globalColours = {}, bool interlaced = false);
