// Hand-made code streams: the defect rules of the LZW decoder, the code width
// climbing to 12 and falling back, the table-full rule, and every stream the
// decoder must refuse.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "image/gif_decoder.h"
#include "image/lzw_decoder.h"
#include "platform/win32/resource_table.h"
#include "tests/image/gif_writer.h"

namespace {

const std::vector<Colour> FOUR_COLOURS = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};

ImagePtr DecodeCodes(int width, int height, const CodePacker& codes, bool interlaced = false) {
    return Decode(HandMadeGif(width, height, codes.minSize, codes.SubBlocks(), FOUR_COLOURS, interlaced));
}

// ---- defects stop one row, never the image --------------------------------

struct DefectCase {
    const char* name;
    int width;
    int height;
    std::vector<int> codes;  // with a minimum code size of 2: 4 is clear, 5 the end
    std::vector<uint8_t> pixels;
    bool interlaced = false;
};

void PrintTo(const DefectCase& c, std::ostream* out) { *out << c.name; }

class GifDefects : public ::testing::TestWithParam<DefectCase> {};

TEST_P(GifDefects, DecodeAsTheRulesSay) {
    const DefectCase& c = GetParam();
    const ImagePtr image = DecodeCodes(c.width, c.height, Packed(c.codes), c.interlaced);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixels(*image), c.pixels);
}

INSTANTIATE_TEST_SUITE_P(
    StopOneRow, GifDefects,
    ::testing::Values(
        DefectCase{"EndCodeWithOnePixelLeftCompletesTheRowWithZero",
                   4,
                   2,
                   {4, 1, 2, 3, 5, 3, 2, 1, 3},
                   {1, 2, 3, 0, 3, 2, 1, 3}},
        DefectCase{"EarlyEndCodeStopsOnlyItsRow", 4, 2, {4, 2, 5, 1, 1, 1, 1}, {2, 0, 0, 0, 1, 1, 1, 1}},
        // Entry 6 is the one being defined; 7 does not exist.
        DefectCase{"UndefinedCodeStopsTheRowAndDecodingGoesOn",
                   4,
                   2,
                   {4, 1, 7, 2, 3, 2, 3},
                   {1, 0, 0, 0, 2, 3, 2, 3}},
        // Nothing precedes 6, so it cannot be "previous plus first".
        DefectCase{"UndefinedCodeRightAfterAClearStopsTheRow", 3, 2, {4, 6, 3, 3, 3}, {0, 0, 0, 3, 3, 3}},
        // 6 = "1" + "1", 7 = "1 1" + "1".
        DefectCase{"CodeBeingDefinedIsPreviousStringPlusItsFirstPixel",
                   7,
                   1,
                   {4, 1, 6, 7, 2},
                   {1, 1, 1, 1, 1, 1, 2}},
        // 6 is "2 3", of which only "2" fits in row 0.
        DefectCase{"StringLongerThanTheRestOfTheRowContinuesInTheNextRow",
                   3,
                   2,
                   {4, 2, 3, 6, 1},
                   {2, 3, 2, 3, 1, 0}},
        // 7 is "2 3", 6 "1 2".
        DefectCase{
            "StringLeftOverAcrossSeveralOnePixelRows", 1, 7, {4, 1, 2, 3, 7, 6}, {1, 2, 3, 2, 3, 1, 2}},
        // File order for height 5: rows 0, 4, 2, 1, 3.
        DefectCase{"InterlacedRowsLandInPassOrder", 1, 5, {4, 0, 1, 2, 3, 1}, {0, 3, 2, 1, 1}, true},
        DefectCase{
            "DataEndingEarlyLeavesTheRestZero", 4, 3, {4, 3, 3, 3}, {3, 3, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0}}),
    [](const ::testing::TestParamInfo<DefectCase>& param) { return std::string(param.param.name); });

// ---- code width and the table limit ---------------------------------------

// Feeds roots only, with no clear code, and checks the width after each.
TEST(LzwWidth, WidthClimbsToTwelveStaysAndClearBringsItBack) {
    for (int minCodeSize = 2; minCodeSize <= 8; ++minCodeSize) {
        SCOPED_TRACE("min code size " + std::to_string(minCodeSize));
        CodePacker codes(minCodeSize);
        const int rootCount = 5000;
        for (int i = 0; i < rootCount; ++i) codes.Put(i % 2);
        codes.PutClear();
        codes.Put(1);
        const std::vector<uint8_t> data = codes.SubBlocks();
        auto decoder = std::make_unique<LzwDecoder>();
        decoder->Start(data.data(), data.size(), minCodeSize);
        const int clear = 1 << minCodeSize;
        for (int n = 1; n <= rootCount; ++n) {
            ASSERT_EQ(decoder->ReadCode(), (n - 1) % 2);
            // n codes read: the counter is clear + 2 + n, and the width is the
            // smallest that holds it, never more than 12.
            int expected = minCodeSize + 1;
            while (expected < 12 && clear + 2 + n > (1 << expected)) ++expected;
            ASSERT_EQ(decoder->codeWidth, expected) << "after " << n << " codes";
        }
        EXPECT_EQ(decoder->codeWidth, 12);
        uint8_t row[1] = {9};
        decoder->DecodeRow(row, 1);  // the clear code, then root 1 at the first width again
        EXPECT_EQ(row[0], 1);
        EXPECT_EQ(decoder->codeWidth, minCodeSize + 1);
    }
}

TEST(LzwWidth, TableFullDefinesNothingMoreUntilAClearCode) {
    CodePacker codes(2);
    codes.PutClear();
    const int rootCount = 6000;  // far past entry 4095
    for (int i = 0; i < rootCount; ++i) codes.Put(i % 4);
    codes.Put(4095);  // the last entry; later roots must not have redefined it
    codes.PutClear();
    for (int code : {1, 2}) codes.Put(code);
    const ImagePtr image = DecodeCodes(rootCount + 4, 1, codes);
    ASSERT_NE(image, nullptr);
    for (int i = 0; i < rootCount; ++i) ASSERT_EQ(image->pixels[i], i % 4) << i;
    // Root k (counting from 0) defines entry 5 + k as the pair of roots k - 1
    // and k, so entry 4095 is the pair of roots 4089 and 4090.
    EXPECT_EQ(image->pixels[rootCount], 4089 % 4);
    EXPECT_EQ(image->pixels[rootCount + 1], 4090 % 4);
    EXPECT_EQ(image->pixels[rootCount + 2], 1);
    EXPECT_EQ(image->pixels[rootCount + 3], 2);
}

TEST(LzwWidth, LoopingPrefixChainIsADefectNotAHang) {
    const std::vector<uint8_t> data = Packed({6, 2}).SubBlocks();
    auto decoder = std::make_unique<LzwDecoder>();
    decoder->Start(data.data(), data.size(), 2);
    // A table no encoder can make: 6 -> 7 -> 6 -> ...
    decoder->prefix[6] = 7;
    decoder->prefix[7] = 6;
    decoder->previousCode = 1;
    EXPECT_GT(decoder->FirstRoot(6), decoder->clearCode);  // gives up after 4096 steps
    uint8_t row[3] = {};
    decoder->DecodeRow(row, 3);
    EXPECT_EQ(decoder->stackDepth, 0);
    EXPECT_EQ(row[0], 0);
    decoder->DecodeRow(row, 1);
    EXPECT_EQ(row[0], 2);
}

// ---- streams the decoder refuses ------------------------------------------

std::vector<uint8_t> ValidStream() {
    return HandMadeGif(2, 2, 2, Packed({4, 1, 2, 3, 0, 5}).SubBlocks(), FOUR_COLOURS);
}

TEST(GifRefusals, WrongSignatureEmptyAndShortStreams) {
    std::vector<uint8_t> stream = ValidStream();
    ASSERT_NE(Decode(stream), nullptr);
    stream[0] = 'J';
    EXPECT_EQ(Decode(stream), nullptr);
    EXPECT_EQ(DecodeGif(nullptr, 10), nullptr);
    EXPECT_EQ(Decode({}), nullptr);
    EXPECT_EQ(Decode({'G', 'I', 'F'}), nullptr);
    EXPECT_EQ(Decode({'G', 'I', 'F', '8', '9', 'a', 1, 0, 1}), nullptr);  // screen cut short
}

TEST(GifRefusals, NoImageBeforeTheTrailerOrAnUnknownBlock) {
    const std::vector<uint8_t> head = {'G', 'I', 'F', '8', '9', 'a', 4, 0, 4, 0, 0x00, 0, 0};
    for (uint8_t introducer : {uint8_t{0x3B}, uint8_t{0x00}, uint8_t{0x2B}, uint8_t{0xFF}}) {
        std::vector<uint8_t> stream = head;
        stream.push_back(introducer);
        stream.insert(stream.end(), {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 1, 0x44, 0});
        EXPECT_EQ(Decode(stream), nullptr) << int{introducer};
    }
    std::vector<uint8_t> extensionOnly = head;
    extensionOnly.insert(extensionOnly.end(), {0x21, 0xFE, 2, 'h', 'i', 0, 0x3B});
    EXPECT_EQ(Decode(extensionOnly), nullptr);
    EXPECT_EQ(Decode(head), nullptr);
}

TEST(GifRefusals, MinimumCodeSizeOutsideOneToEleven) {
    for (int size : {0, 12, 13, 255}) {
        std::vector<uint8_t> stream = HandMadeGif(1, 1, size, {1, 0, 0}, FOUR_COLOURS);
        EXPECT_EQ(Decode(stream), nullptr) << size;
    }
    for (int size : {1, 9, 11}) {
        std::vector<uint8_t> stream = HandMadeGif(1, 1, size, {1, 0, 0}, FOUR_COLOURS);
        EXPECT_NE(Decode(stream), nullptr) << size;
    }
}

TEST(GifRefusals, DimensionsAboveTheLimits) {
    EXPECT_EQ(Decode(HandMadeGif(GIF_MAX_DIMENSION + 1, 1, 2, {0}, FOUR_COLOURS)), nullptr);
    EXPECT_EQ(Decode(HandMadeGif(1, 65535, 2, {0}, FOUR_COLOURS)), nullptr);
    EXPECT_EQ(Decode(HandMadeGif(65535, 65535, 2, {0}, FOUR_COLOURS)), nullptr);
    EXPECT_EQ(Decode(HandMadeGif(4097, 4096, 2, {0}, FOUR_COLOURS)), nullptr);
    const ImagePtr wide = Decode(HandMadeGif(GIF_MAX_DIMENSION, 2, 2, {0}, FOUR_COLOURS));
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide->width, GIF_MAX_DIMENSION);
    const ImagePtr full = Decode(HandMadeGif(4096, 4096, 2, {0}, FOUR_COLOURS));
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(full->pixels[4096 * 4096 - 1], 0);
}

TEST(GifRefusals, EmptyImageStillHasAPixelBuffer) {
    const ImagePtr empty = Decode(HandMadeGif(0, 5, 2, {0}, FOUR_COLOURS));
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->width, 0);
    EXPECT_NE(empty->pixels, nullptr);
}

// Every cut of a valid stream decodes to null or an image, never past the end:
// under AddressSanitizer a read beyond the copy below is caught.
TEST(GifRefusals, EveryTruncationIsSafe) {
    GifStreamSpec layout = RandomGif(40, 30, 16, 1u);
    layout.frames[0].localColours = RandomColours(32, 2u);
    layout.frames[0].pixels = RandomPixels(40, 30, 32, 3u);
    layout.frames[0].extensions = {GifExtension{0xFE, {{'a', 'b'}}}};
    const std::vector<uint8_t> full = WriteGifWithGiflib(layout);
    ASSERT_FALSE(full.empty());
    // header 13 + global 48 + comment 6 + descriptor 10 + local 96 + code size 1
    const size_t firstDataByte = 13 + 48 + 6 + 10 + 96 + 1;
    for (size_t cut = 0; cut < full.size(); ++cut) {
        std::vector<uint8_t> part(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut));
        const ImagePtr image = Decode(part);
        EXPECT_EQ(image != nullptr, cut >= firstDataByte) << "cut at " << cut;
    }
}

// ---- tables ---------------------------------------------------------------

TEST(GifTables, NeitherTableGivesCountZeroAndABlackPalette) {
    const ImagePtr image = Decode(HandMadeGif(1, 1, 2, Packed({4, 3}).SubBlocks()));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->colourCount, 0);
    for (const auto& entry : image->palette) {
        ASSERT_EQ(entry[0] | entry[1] | entry[2], 0);
    }
    EXPECT_EQ(image->pixels[0], 3);
}

TEST(GifTables, ExtensionWithoutSubBlocksIsSteppedOver) {
    std::vector<uint8_t> stream = ValidStream();
    const size_t afterGlobalTable = 13 + 12;
    stream.insert(stream.begin() + afterGlobalTable, {0x21, 0x99, 0x00});
    const ImagePtr image = Decode(stream);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixels(*image), (std::vector<uint8_t>{1, 2, 3, 0}));
}

TEST(GifTables, ResourceIsFoundByNameAndMissingOnesFail) {
    static const std::vector<uint8_t> stream = ValidStream();
    static const ResourceEntry entries[] = {
        {115, 10, nullptr, stream.data(), static_cast<uint32_t>(stream.size())},
        {120, 10, nullptr, stream.data(), 20},  // cut inside the image descriptor
    };
    InstallResourceTable(entries, 2);
    const ImagePtr image(DecodeGifResource("#115"));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixels(*image), (std::vector<uint8_t>{1, 2, 3, 0}));
    EXPECT_EQ(DecodeGifResource("#116"), nullptr);
    EXPECT_EQ(DecodeGifResource("#120"), nullptr);
    InstallResourceTable(nullptr, 0);
}

}  // namespace
