// GIF stream parsing: header, logical screen, colour tables, extension blocks
// stepped over, and the first image decoded through the LzwDecoder.
#include "image/gif_decoder.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "image/lzw_decoder.h"
#include "platform/win32/windows.h"

namespace {

constexpr uint8_t EXTENSION_INTRODUCER = 0x21;
constexpr uint8_t IMAGE_INTRODUCER = 0x2C;

struct GifColourTable {
    int32_t count = 0;
    uint8_t entries[256][3] = {};
};

struct GifScreenDescriptor {
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;
    int32_t globalTableFlag = 0;
    int32_t colourResolution = 0;
    int32_t sortFlag = 0;
    int32_t globalTableExponent = 0;
    int32_t backgroundIndex = 0;
    int32_t aspectRatio = 0;
    GifColourTable globalTable;
};

struct GifImageDescriptor {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t localTableFlag = 0;
    int32_t interlaceFlag = 0;
    int32_t sortFlag = 0;
    int32_t reservedBit = 0;
    int32_t localTableExponent = 0;
    GifColourTable localTable;
    uint8_t* pixels = nullptr;
};

// Reads the stream front to back and refuses to step past its end.
class ByteCursor {
  public:
    ByteCursor(const uint8_t* bytes, size_t count) : data_(bytes), size_(count) {}
    bool Has(size_t count) const { return size_ - position_ >= count; }
    uint8_t Byte() { return data_[position_++]; }
    int32_t Word() {
        const int32_t value = data_[position_] | (data_[position_ + 1] << 8);
        position_ += 2;
        return value;
    }
    const uint8_t* Here() const { return data_ + position_; }
    size_t Left() const { return size_ - position_; }
    void Skip(size_t count) { position_ += count; }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

bool ReadColourTable(ByteCursor& cursor, int32_t exponent, GifColourTable* table) {
    const int32_t count = 1 << exponent;
    if (!cursor.Has(3 * static_cast<size_t>(count))) {
        return false;
    }
    std::memcpy(table->entries, cursor.Here(), 3 * static_cast<size_t>(count));
    cursor.Skip(3 * static_cast<size_t>(count));
    table->count = count;
    return true;
}

bool ReadScreenDescriptor(ByteCursor& cursor, GifScreenDescriptor* screen) {
    if (!cursor.Has(7)) {
        return false;
    }
    screen->screenWidth = cursor.Word();
    screen->screenHeight = cursor.Word();
    const uint8_t packed = cursor.Byte();
    screen->globalTableFlag = (packed >> 7) & 1;
    screen->colourResolution = ((packed >> 4) & 7) + 1;
    screen->sortFlag = (packed >> 3) & 1;
    screen->globalTableExponent = (packed & 7) + 1;
    screen->backgroundIndex = cursor.Byte();
    screen->aspectRatio = cursor.Byte();
    return screen->globalTableFlag == 0 ||
           ReadColourTable(cursor, screen->globalTableExponent, &screen->globalTable);
}

// The label and the data sub-blocks up to and including the terminator.
bool SkipExtension(ByteCursor& cursor) {
    if (!cursor.Has(1)) {
        return false;
    }
    cursor.Skip(1);
    while (cursor.Has(1)) {
        const uint8_t length = cursor.Byte();
        if (length == 0) {
            return true;
        }
        if (!cursor.Has(length)) {
            return false;
        }
        cursor.Skip(length);
    }
    return false;
}

bool ReadImageDescriptor(ByteCursor& cursor, GifImageDescriptor* image) {
    if (!cursor.Has(9)) {
        return false;
    }
    image->left = cursor.Word();
    image->top = cursor.Word();
    image->width = cursor.Word();
    image->height = cursor.Word();
    const uint8_t packed = cursor.Byte();
    image->localTableFlag = (packed >> 7) & 1;
    image->interlaceFlag = (packed >> 6) & 1;
    image->sortFlag = (packed >> 5) & 1;
    image->reservedBit = (packed >> 4) & 1;
    image->localTableExponent = (packed & 7) + 1;
    return image->localTableFlag == 0 ||
           ReadColourTable(cursor, image->localTableExponent, &image->localTable);
}

// Sequential rows, or the four interlace passes (start rows 0, 4, 2, 1;
// steps 8, 8, 4, 2). Stops early once only zero pixels could follow.
void DecodeRows(LzwDecoder& decoder, const GifImageDescriptor& image) {
    static constexpr int32_t PASS_START[4] = {0, 4, 2, 1};
    static constexpr int32_t PASS_STEP[4] = {8, 8, 4, 2};
    const int32_t passes = image.interlaceFlag ? 4 : 1;
    const auto width = static_cast<size_t>(image.width);
    for (int32_t pass = 0; pass < passes; ++pass) {
        const int32_t start = image.interlaceFlag ? PASS_START[pass] : 0;
        const int32_t step = image.interlaceFlag ? PASS_STEP[pass] : 1;
        for (int32_t row = start; row < image.height; row += step) {
            if (decoder.Exhausted()) {
                return;
            }
            decoder.DecodeRow(image.pixels + static_cast<size_t>(row) * width, image.width);
        }
    }
}

// Allocates the zero-filled pixels and fills them from the code stream.
bool DecodeImageData(ByteCursor& cursor, GifImageDescriptor* image) {
    if (image->width > GIF_MAX_DIMENSION || image->height > GIF_MAX_DIMENSION ||
        int64_t{image->width} * image->height > GIF_MAX_PIXELS || !cursor.Has(1)) {
        return false;
    }
    const int32_t minCodeSize = cursor.Byte();
    if (minCodeSize < LZW_MIN_CODE_SIZE_LOW || minCodeSize > LZW_MIN_CODE_SIZE_HIGH) {
        return false;
    }
    const size_t pixelCount = static_cast<size_t>(image->width) * static_cast<size_t>(image->height);
    // An empty image still gets a buffer, so that pixels is never null.
    image->pixels = static_cast<uint8_t*>(std::calloc(pixelCount == 0 ? 1 : pixelCount, 1));
    std::unique_ptr<LzwDecoder> decoder(new (std::nothrow) LzwDecoder);
    if (image->pixels == nullptr || decoder == nullptr) {
        return false;
    }
    decoder->Start(cursor.Here(), cursor.Left(), minCodeSize);
    DecodeRows(*decoder, *image);
    return true;
}

GifImage* BuildImage(const GifScreenDescriptor& screen, GifImageDescriptor* image) {
    auto* result = new (std::nothrow) GifImage{};
    if (result == nullptr) {
        return nullptr;
    }
    const GifColourTable& table = image->localTable.count != 0 ? image->localTable : screen.globalTable;
    result->bitsPerPixel = 8;
    result->width = image->width;
    result->height = image->height;
    result->colourCount = table.count;
    std::memcpy(result->palette, table.entries, sizeof result->palette);
    result->pixels = image->pixels;
    image->pixels = nullptr;
    return result;
}

}  // namespace

GifImage* DecodeGif(const uint8_t* data, size_t size) {
    if (data == nullptr) {
        return nullptr;
    }
    ByteCursor cursor(data, size);
    if (!cursor.Has(6) || std::memcmp(cursor.Here(), "GIF", 3) != 0) {
        return nullptr;
    }
    cursor.Skip(6);  // the version is accepted whatever it says
    GifScreenDescriptor screen;
    if (!ReadScreenDescriptor(cursor, &screen)) {
        return nullptr;
    }
    while (cursor.Has(1)) {
        const uint8_t introducer = cursor.Byte();
        if (introducer == EXTENSION_INTRODUCER) {
            if (!SkipExtension(cursor)) {
                return nullptr;
            }
            continue;
        }
        if (introducer != IMAGE_INTRODUCER) {
            return nullptr;  // the trailer, or anything else, before any image
        }
        GifImageDescriptor image;
        GifImage* result = nullptr;
        if (ReadImageDescriptor(cursor, &image) && DecodeImageData(cursor, &image)) {
            result = BuildImage(screen, &image);
        }
        std::free(image.pixels);
        return result;
    }
    return nullptr;
}

GifImage* DecodeGifResource(const char* name) {
    HRSRC resource = FindResourceA(nullptr, name, RT_RCDATA);
    if (resource == nullptr) {
        return nullptr;
    }
    HGLOBAL loaded = LoadResource(nullptr, resource);
    if (loaded == nullptr) {
        return nullptr;
    }
    return DecodeGif(static_cast<const uint8_t*>(loaded), SizeofResource(nullptr, resource));
}

void FreeGifImage(GifImage* image) {
    if (image == nullptr) {
        return;
    }
    std::free(image->pixels);
    delete image;
}
