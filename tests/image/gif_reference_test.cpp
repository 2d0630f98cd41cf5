// Our decoder against giflib: every stream is written by giflib's encoder and
// our pixels and palette must equal what giflib's decoder reads from it.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "image/gif_decoder.h"
#include "tests/image/gif_writer.h"

namespace {

void ExpectMatchesGiflib(const std::vector<uint8_t>& stream, const std::string& what) {
    SCOPED_TRACE(what);
    ASSERT_FALSE(stream.empty()) << "giflib refused to write the stream";
    const ReferenceImage reference = ReadGifWithGiflib(stream);
    ASSERT_TRUE(reference.ok);
    const ImagePtr image = Decode(stream);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->bitsPerPixel, 8);
    EXPECT_EQ(image->width, reference.width);
    EXPECT_EQ(image->height, reference.height);
    EXPECT_EQ(image->colourCount, reference.colourCount);
    for (int i = 0; i < 256; ++i) {
        const Colour expected =
            i < reference.colourCount ? reference.palette[static_cast<size_t>(i)] : Colour{};
        ASSERT_EQ(image->palette[i][0], expected[0]) << "entry " << i;
        ASSERT_EQ(image->palette[i][1], expected[1]) << "entry " << i;
        ASSERT_EQ(image->palette[i][2], expected[2]) << "entry " << i;
    }
    const std::vector<uint8_t> ours(image->pixels,
                                    image->pixels + static_cast<size_t>(image->width) * image->height);
    ASSERT_EQ(ours.size(), reference.pixels.size());
    for (size_t i = 0; i < ours.size(); ++i) {
        ASSERT_EQ(ours[i], reference.pixels[i])
            << "pixel " << i << " (row " << i / static_cast<size_t>(image->width) << ")";
    }
}

TEST(GifReference, GlobalTablesOfEverySizeAndCodeSize) {
    for (int colours = 2; colours <= 256; colours *= 2) {
        for (int runLength : {1, 7}) {
            const auto stream =
                WriteGifWithGiflib(RandomGif(37, 23, colours, 100u + colours, false, runLength));
            ExpectMatchesGiflib(stream,
                                "colours " + std::to_string(colours) + " run " + std::to_string(runLength));
        }
    }
}

TEST(GifReference, LocalTablesOverrideTheGlobalOne) {
    for (int colours = 2; colours <= 256; colours *= 2) {
        GifStreamSpec layout = RandomGif(19, 11, 4, 7u);
        layout.frames[0].localColours = RandomColours(colours, 300u + colours);
        layout.frames[0].pixels = RandomPixels(19, 11, colours, 400u + colours);
        ExpectMatchesGiflib(WriteGifWithGiflib(layout), "local with global, " + std::to_string(colours));
        layout.globalColours.clear();
        ExpectMatchesGiflib(WriteGifWithGiflib(layout), "local only, " + std::to_string(colours));
    }
}

TEST(GifReference, InterlacedImagesOfEveryShortHeightAndLonger) {
    for (int height = 1; height <= 9; ++height) {
        for (int width : {1, 5, 16}) {
            const auto stream = WriteGifWithGiflib(RandomGif(width, height, 16, 500u + height, true));
            ExpectMatchesGiflib(stream, "interlaced " + std::to_string(width) + "x" + std::to_string(height));
        }
    }
    for (int height : {16, 17, 31, 100}) {
        const auto stream = WriteGifWithGiflib(RandomGif(41, height, 256, 600u + height, true, 3));
        ExpectMatchesGiflib(stream, "interlaced height " + std::to_string(height));
    }
}

TEST(GifReference, LargeImagesFillTheTablesAndClearThem) {
    // Random 8-bit pixels fill the 4096-entry table many times over: the code
    // width climbs to 12 and giflib's clear codes bring it back.
    ExpectMatchesGiflib(WriteGifWithGiflib(RandomGif(520, 406, 256, 11u)), "random 520x406");
    // Long runs make strings longer than a row, carried into the next row.
    ExpectMatchesGiflib(WriteGifWithGiflib(RandomGif(13, 500, 4, 12u, false, 400)), "long runs, narrow");
    ExpectMatchesGiflib(WriteGifWithGiflib(RandomGif(1, 300, 2, 13u, false, 50)), "one pixel wide");
    ExpectMatchesGiflib(WriteGifWithGiflib(RandomGif(3000, 2, 2, 14u, false, 1000)), "wide and flat");
}

TEST(GifReference, ExtensionBlocksOfEveryKindAreSteppedOver) {
    GifStreamSpec plain = RandomGif(24, 10, 32, 21u);
    GifStreamSpec withExtensions = plain;
    GifExtension graphicControl{0xF9, {{0x05, 0x0A, 0x00, 0x03}}};
    GifExtension comment{0xFE, {std::vector<uint8_t>(255, 'c'), {'h', 'i'}}};
    GifExtension application{0xFF,
                             {{'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'}, {0x01, 0x00, 0x00}}};
    GifExtension plainText{0x01, {std::vector<uint8_t>(12, 0), {'T', 'E', 'X', 'T'}}};
    withExtensions.frames[0].extensions = {graphicControl, comment, application, plainText};
    const auto stream = WriteGifWithGiflib(withExtensions);
    ExpectMatchesGiflib(stream, "with extensions");
    const ImagePtr a = Decode(WriteGifWithGiflib(plain));
    const ImagePtr b = Decode(stream);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(std::memcmp(a->pixels, b->pixels, 240), 0);
    EXPECT_EQ(std::memcmp(a->palette, b->palette, sizeof a->palette), 0);
}

TEST(GifReference, OnlyTheFirstOfSeveralImagesIsDecoded) {
    GifStreamSpec layout = RandomGif(30, 20, 64, 31u);
    GifFrame second;
    second.left = 5;
    second.top = 5;
    second.width = 10;
    second.height = 4;
    second.localColours = RandomColours(8, 32u);
    second.pixels = RandomPixels(10, 4, 8, 33u);
    layout.frames.push_back(second);
    const auto stream = WriteGifWithGiflib(layout);
    ExpectMatchesGiflib(stream, "two images");
    const ImagePtr image = Decode(stream);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 30);
    EXPECT_EQ(image->colourCount, 64);
}

TEST(GifReference, SizeIsTheImageDescriptorsNotTheScreens) {
    GifStreamSpec layout = RandomGif(17, 9, 16, 41u);
    layout.screenWidth = 200;
    layout.screenHeight = 150;
    layout.frames[0].left = 30;
    layout.frames[0].top = 40;
    const auto stream = WriteGifWithGiflib(layout);
    ExpectMatchesGiflib(stream, "offset image on a larger screen");
    const ImagePtr image = Decode(stream);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 17);
    EXPECT_EQ(image->height, 9);
}

TEST(GifReference, EveryVersionIsAccepted) {
    for (bool gif89 : {false, true}) {
        GifStreamSpec layout = RandomGif(8, 8, 4, 51u);
        layout.gif89 = gif89;
        ExpectMatchesGiflib(WriteGifWithGiflib(layout), gif89 ? "89a" : "87a");
    }
    auto stream = WriteGifWithGiflib(RandomGif(8, 8, 4, 52u));
    stream[3] = 'x';
    stream[4] = '0';
    stream[5] = '\xff';
    EXPECT_NE(Decode(stream), nullptr);
}

}  // namespace
