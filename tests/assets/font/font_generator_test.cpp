// gen_font reproduces the committed strip; the drawing filter rejects
// malformed drawings and counts inked quarters correctly.
#include <gtest/gtest.h>

#include <string>

#include "tests/assets/generator_output.h"
#include "tools/font/font_strip.h"
#include "tools/font/glyph_drawings.h"

namespace trelk::test {
namespace {

using tools::FilterDrawing;

std::string BlankDrawing() {
    std::string art = "\n";
    for (int y = 0; y < 24; ++y) art += std::string(28, '.') + "\n";
    return art;
}

void Ink(std::string& art, int x, int y) { art[1 + y * 29 + x] = '#'; }

TEST(GlyphFilter, CountsTheInkedQuartersOfEachPixel) {
    std::string art = BlankDrawing();
    Ink(art, 0, 0);
    Ink(art, 2, 0);
    Ink(art, 3, 0);
    Ink(art, 2, 1);
    for (int x = 26; x < 28; ++x)
        for (int y = 22; y < 24; ++y) Ink(art, x, y);
    std::string error;
    const auto coverage = FilterDrawing(art.c_str(), error);
    ASSERT_TRUE(coverage.has_value()) << error;
    EXPECT_EQ((*coverage)[0][0], 1);
    EXPECT_EQ((*coverage)[0][1], 3);
    EXPECT_EQ((*coverage)[11][13], 4);
    EXPECT_EQ((*coverage)[5][5], 0);
}

TEST(GlyphFilter, RejectsMalformedDrawings) {
    std::string error;
    const std::string good = BlankDrawing();
    EXPECT_FALSE(FilterDrawing(good.substr(1).c_str(), error));  // no leading newline
    std::string shortLine = good;
    shortLine.erase(5, 1);
    EXPECT_FALSE(FilterDrawing(shortLine.c_str(), error));
    std::string longLine = good;
    longLine.insert(5, ".");
    EXPECT_FALSE(FilterDrawing(longLine.c_str(), error));
    std::string badChar = good;
    badChar[40] = 'x';
    EXPECT_FALSE(FilterDrawing(badChar.c_str(), error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(FilterDrawing((good + std::string(28, '.') + "\n").c_str(), error));  // 25 lines
    EXPECT_FALSE(FilterDrawing(good.substr(0, good.size() - 29).c_str(), error));      // 23 lines
    EXPECT_FALSE(FilterDrawing(nullptr, error));
}

TEST(GlyphFilter, InkIndicesStayWithinTheGlyphEntries) {
    EXPECT_EQ(tools::InkIndex(0, 1), 215);
    EXPECT_EQ(tools::InkIndex(11, 4), 254);
    for (int row = 0; row < 12; ++row)
        for (int coverage = 1; coverage <= 4; ++coverage) {
            EXPECT_GE(tools::InkIndex(row, coverage), 215);
            EXPECT_LE(tools::InkIndex(row, coverage), 254);
        }
}

TEST(GlyphDrawings, EveryCharacterIsDrawnOnce) {
    std::string drawn;
    for (const auto group : {tools::GlyphsAToM(), tools::GlyphsNToZ(), tools::GlyphsDigitsAndMarks()})
        for (const auto& glyph : group) {
            std::string error;
            EXPECT_TRUE(FilterDrawing(glyph.art, error)) << glyph.character << ": " << error;
            drawn += glyph.character;
        }
    EXPECT_EQ(drawn, std::string(tools::CELL_ORDER));
}

TEST(FontGenerator, ReproducesTheCommittedStrip) {
    const auto run = RunGenerator(GEN_FONT, "font.tga");
    ASSERT_EQ(run.exitCode, 0);
    const auto committed = ReadFileBytes(FONT_ASSET);
    ASSERT_EQ(committed.size(), 11004u);
    EXPECT_TRUE(run.output == committed) << "regenerate assets/font.tga with gen_font";
}

}  // namespace
}  // namespace trelk::test
