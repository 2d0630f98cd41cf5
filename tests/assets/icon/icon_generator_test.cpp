// gen_icon reproduces every committed icon byte for byte, and the icons are
// what the desktop expects: square RGBA PNGs of their size with a transparent
// outside, no time stamp, the V standing out from the disc.
#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <string>

#include "tests/assets/generator_output.h"
#include "tools/icon/icon_render.h"

namespace trelk::test {
namespace {

using tools::ICON_SIZES;
using tools::Rgba8;

std::string CommittedIcon(int size) {
    return std::string(ICON_FOLDER) + "/trelk-" + std::to_string(size) + ".png";
}

// The chunk types of a PNG file in order; empty if the signature is wrong.
std::vector<std::string> ChunkTypes(const std::vector<std::uint8_t>& file) {
    static const std::uint8_t SIGNATURE[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (file.size() < 8 || std::memcmp(file.data(), SIGNATURE, 8) != 0) return {};
    std::vector<std::string> types;
    for (std::size_t at = 8; at + 12 <= file.size();) {
        const std::uint32_t length = (std::uint32_t{file[at]} << 24) | (std::uint32_t{file[at + 1]} << 16) |
                                     (std::uint32_t{file[at + 2]} << 8) | file[at + 3];
        types.emplace_back(reinterpret_cast<const char*>(&file[at + 4]), 4);
        at += 12 + std::size_t{length};
    }
    return types;
}

struct Decoded {
    int width = 0, height = 0;
    std::vector<Rgba8> pixels;
};

Decoded Decode(const std::vector<std::uint8_t>& file) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Decoded decoded;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) return decoded;
    image.format = PNG_FORMAT_RGBA;
    std::vector<Rgba8> pixels(PNG_IMAGE_SIZE(image) / 4);
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return decoded;
    decoded.width = static_cast<int>(image.width);
    decoded.height = static_cast<int>(image.height);
    decoded.pixels = std::move(pixels);
    return decoded;
}

TEST(IconGenerator, ReproducesEveryCommittedIcon) {
    for (const int size : ICON_SIZES) {
        const auto run = RunGenerator(GEN_ICON, "trelk.png", {std::to_string(size)});
        ASSERT_EQ(run.exitCode, 0) << size;
        const auto committed = ReadFileBytes(CommittedIcon(size));
        ASSERT_FALSE(committed.empty()) << CommittedIcon(size);
        EXPECT_TRUE(run.output == committed)
            << "regenerate packaging/icons/trelk-" << size << ".png with gen_icon " << size;
    }
}

TEST(IconGenerator, RefusesOtherSizesAndMissingFolders) {
    EXPECT_EQ(RunGenerator(GEN_ICON, "trelk.png", {"24"}).exitCode, 2);
    EXPECT_EQ(RunGenerator(GEN_ICON, "trelk.png", {"big"}).exitCode, 2);
    EXPECT_EQ(RunGenerator(GEN_ICON, "missing-folder/trelk.png", {"16"}).exitCode, 1);
    EXPECT_TRUE(tools::RenderIcon(20).empty());
}

TEST(IconFiles, AreSquareRgbaPngsWithoutTimeOrText) {
    for (const int size : ICON_SIZES) {
        const auto file = ReadFileBytes(CommittedIcon(size));
        const auto types = ChunkTypes(file);
        ASSERT_FALSE(types.empty()) << size;
        EXPECT_EQ(types.front(), "IHDR");
        EXPECT_EQ(types.back(), "IEND");
        for (const auto& type : types) {
            EXPECT_TRUE(type == "IHDR" || type == "sRGB" || type == "IDAT" || type == "IEND")
                << size << ": " << type;
        }
        const Decoded decoded = Decode(file);
        EXPECT_EQ(decoded.width, size);
        EXPECT_EQ(decoded.height, size);
        EXPECT_TRUE(decoded.pixels == tools::RenderIcon(size)) << size;
    }
}

TEST(IconPixels, CornersAreClearAndTheVStandsOutFromTheDisc) {
    for (const int size : ICON_SIZES) {
        const auto pixels = tools::RenderIcon(size);
        ASSERT_EQ(pixels.size(), static_cast<std::size_t>(size) * size);
        auto at = [&](int x, int y) { return pixels[static_cast<std::size_t>(y) * size + x]; };
        for (const auto& corner : {at(0, 0), at(size - 1, 0), at(0, size - 1), at(size - 1, size - 1)}) {
            EXPECT_EQ(corner.a, 0) << size;
        }
        // The V's foot, just below the middle, is opaque and green, and the disc
        // beside it is much lighter: the V reads even at 16 pixels.
        const Rgba8 foot = at(size / 2, size * 3 / 4);
        EXPECT_EQ(foot.a, 255) << size;
        EXPECT_GT(foot.g, foot.r + 40) << size;
        EXPECT_GT(foot.g, foot.b + 40) << size;
        const Rgba8 disc = at(size / 6, size / 2);
        EXPECT_EQ(disc.a, 255) << size;
        const int footLight = foot.r + foot.g + foot.b, discLight = disc.r + disc.g + disc.b;
        EXPECT_GT(discLight - footLight, 150) << size;
    }
}

}  // namespace
}  // namespace trelk::test
