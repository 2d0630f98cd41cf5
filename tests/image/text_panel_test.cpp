// The font strip (offsets, key entry, cells, beeps), RenderTextLine and the
// panel surface made by CreateTextPanel.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "image/text_pages.h"
#include "platform/win32/resource_table.h"
#include "platform/win32/testing.h"
#include "tests/image/font_maker.h"
#include "tests/support/fake_direct_draw.h"
#include "tests/support/installed_resource.h"
#include "tests/support/intro_requests.h"

namespace {

std::vector<UINT> beeps;
void RecordBeep(UINT type) { beeps.push_back(type); }

class FontTest : public ::testing::Test {
  protected:
    void SetUp() override {
        beeps.clear();
        SetMessageBeepHookForTesting(RecordBeep);
    }
    void TearDown() override {
        SetMessageBeepHookForTesting(nullptr);
        InstallResourceTable(nullptr, 0);
    }
    void Install(const std::vector<uint8_t>& bytes, uint32_t size = UINT32_MAX) {
        font.emplace(107, bytes, nullptr, size);
    }
    std::optional<InstalledResource> font;
};

void ExpectBlankStrip() {
    for (uint8_t byte : fontStrip.palette) ASSERT_EQ(byte, 255);
    for (uint8_t byte : fontStrip.glyphs) ASSERT_EQ(byte, BLANK_INDEX);
}

TEST_F(FontTest, CellsAreCutFromTheStripAndTheKeyIsWhite) {
    Install(MakeFontResource());
    EXPECT_EQ(LoadFontStrip("#107"), 255);
    EXPECT_TRUE(beeps.empty());
    for (int g = 0; g < FONT_CELL_COUNT; ++g) {
        for (int r = 0; r < FONT_CELL_HEIGHT; ++r) {
            for (int x = 0; x < FONT_CELL_WIDTH; ++x) {
                ASSERT_EQ(fontStrip.glyphs[(g * 13 + r) * 16 + x], GlyphPixel(g, r, x))
                    << g << " " << r << " " << x;
            }
        }
    }
    for (int i = 0; i < 256; ++i) {
        const FontColour c = FontPaletteColour(i);
        ASSERT_EQ(fontStrip.palette[3 * i], c.blue);
        ASSERT_EQ(fontStrip.palette[3 * i + 1], c.green);
        ASSERT_EQ(fontStrip.palette[3 * i + 2], c.red);
    }
}

TEST_F(FontTest, KeyIsTheFirstWhiteEntryOrTheBlankIndexWithoutOne) {
    Install(MakeFontResource(100));
    EXPECT_EQ(LoadFontStrip("#107"), 100);
    Install(MakeFontResource(-1, true));
    EXPECT_EQ(LoadFontStrip("#107"), BLANK_INDEX);
}

TEST_F(FontTest, MissingResourceSoundsBothBeepsAndLeavesABlankStrip) {
    EXPECT_EQ(LoadFontStrip("#107"), -1);
    EXPECT_EQ(beeps, (std::vector<UINT>{0xFFFFFFFF, MB_ICONASTERISK}));
    ExpectBlankStrip();
}

TEST_F(FontTest, UnloadableResourceSoundsTheAsteriskBeep) {
    static const ResourceEntry noData{107, 10, nullptr, nullptr, 11004};
    InstallResourceTable(&noData, 1);
    EXPECT_EQ(LoadFontStrip("#107"), -1);
    EXPECT_EQ(beeps, (std::vector<UINT>{MB_ICONASTERISK}));
    ExpectBlankStrip();
}

TEST_F(FontTest, ShortResourceIsRefusedLikeAMissingOne) {
    Install(MakeFontResource(), static_cast<uint32_t>(FONT_BYTES_READ - 1));
    EXPECT_EQ(LoadFontStrip("#107"), -1);
    EXPECT_EQ(beeps, (std::vector<UINT>{0xFFFFFFFF, MB_ICONASTERISK}));
    ExpectBlankStrip();
    beeps.clear();
    Install(MakeFontResource(), static_cast<uint32_t>(FONT_BYTES_READ));  // no footer: enough
    EXPECT_EQ(LoadFontStrip("#107"), 255);
    EXPECT_TRUE(beeps.empty());
}

// ---- RenderTextLine --------------------------------------------------------

class RenderLineTest : public FontTest {
  protected:
    void SetUp() override {
        FontTest::SetUp();
        Install(MakeFontResource());
        ASSERT_EQ(LoadFontStrip("#107"), 255);
    }
    // The cell drawn at character position k, or -1 for a blank cell; fails
    // the test when the position holds neither.
    static int CellAt(const uint8_t* image, int k) {
        for (int g = 0; g < FONT_CELL_COUNT; ++g) {
            bool same = true;
            for (int r = 0; r < 13 && same; ++r) {
                for (int x = 0; x < 16 && same; ++x) {
                    same = image[r * 320 + 16 * k + x] == GlyphPixel(g, r, x);
                }
            }
            if (same) return g;
        }
        for (int r = 0; r < 13; ++r) {
            for (int x = 0; x < 16; ++x) {
                if (image[r * 320 + 16 * k + x] != 255) return -2;
            }
        }
        return -1;
    }
};

TEST_F(RenderLineTest, LettersDigitsAndMarksFindTheirCells) {
    uint8_t image[LINE_IMAGE_SIZE];
    const char* line = "AZ09'-.+?!():*&@/ M3";
    RenderTextLine(line, image);
    const int expected[20] = {0, 25, 26, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48, -1, 12, 29};
    for (int k = 0; k < 20; ++k) {
        EXPECT_EQ(CellAt(image, k), expected[k]) << "position " << k << " '" << line[k] << "'";
    }
}

TEST_F(RenderLineTest, CommaHashLowerCaseAndSpaceAreBlank) {
    uint8_t image[LINE_IMAGE_SIZE];
    RenderTextLine(",#a z~\"_;<>=[]{}\\^`|", image);
    for (uint8_t byte : image) ASSERT_EQ(byte, 255);
    RenderTextLine("                    ", image);
    for (uint8_t byte : image) ASSERT_EQ(byte, 255);
}

TEST_F(RenderLineTest, ExactlyTwentyCharactersAreReadPastANul) {
    const char text[24] = "AB\0CD\0\0\0\0\0\0\0\0\0\0\0\0\0\0ZYXW";
    uint8_t image[LINE_IMAGE_SIZE + 16];
    std::memset(image, 0x77, sizeof image);
    RenderTextLine(text, image);
    EXPECT_EQ(CellAt(image, 0), 0);
    EXPECT_EQ(CellAt(image, 1), 1);
    EXPECT_EQ(CellAt(image, 2), -1);
    EXPECT_EQ(CellAt(image, 3), 2);
    EXPECT_EQ(CellAt(image, 4), 3);
    EXPECT_EQ(CellAt(image, 19), 25);  // the 'Z' at offset 19; "YXW" is never read
    for (int i = LINE_IMAGE_SIZE; i < LINE_IMAGE_SIZE + 16; ++i) ASSERT_EQ(image[i], 0x77);
}

// ---- CreateTextPanel -------------------------------------------------------

class PanelTest : public FontTest {
  protected:
    void SetUp() override {
        FontTest::SetUp();
        display.directDraw = &directDraw;
        display.pixelFormat = DescribePixelFormat(0xF800, 0x07E0, 0x001F);
        panelSurface = nullptr;
        currentPage = pageTable[1];
    }
    void TearDown() override {
        display.directDraw = nullptr;
        panelSurface = nullptr;
        FontTest::TearDown();
    }
    fake::World& world = fake::Reset();
    fake::DirectDraw4& directDraw = world.Make<fake::DirectDraw4>();
    DisplayDevice display;
};

TEST_F(PanelTest, PanelIsMadeClearedToTheKeyWithTheKeySet) {
    directDraw.extraPitch = 6;
    Install(MakeFontResource());
    CreateTextPanel(display);
    EXPECT_EQ(keyIndex, 255);
    ASSERT_EQ(directDraw.surfaces.size(), 1u);
    const DDSURFACEDESC2 expected = OffScreenDesc(320, 221);
    EXPECT_EQ(std::memcmp(&directDraw.requests[0], &expected, sizeof expected), 0);
    fake::Surface& surface = *directDraw.surfaces[0];
    EXPECT_EQ(panelSurface, &surface);
    EXPECT_EQ(panelRect.left, 0);
    EXPECT_EQ(panelRect.top, 0);
    EXPECT_EQ(panelRect.right, 320);
    EXPECT_EQ(panelRect.bottom, 221);
    EXPECT_EQ(surface.colorKeyCalls, 1);
    EXPECT_EQ(surface.colorKeyFlags, DDCKEY_SRCBLT);
    EXPECT_EQ(surface.colorKey.dwColorSpaceLowValue, 0xFFFFu);
    EXPECT_EQ(surface.colorKey.dwColorSpaceHighValue, 0xFFFFu);
    for (int y = 0; y < 221; ++y) {
        for (int x = 0; x < 320; ++x) ASSERT_EQ(surface.Pixel(x, y), 0xFFFF);
    }
    EXPECT_FALSE(surface.PaddingTouched());
    EXPECT_FALSE(surface.locked);
    uint8_t line[LINE_IMAGE_SIZE];
    RenderTextLine(pageTable[1]->text, line);
    EXPECT_EQ(std::memcmp(LineImage, line, LINE_IMAGE_SIZE), 0);
}

TEST_F(PanelTest, KeyIsTheKeyEntryPackedEvenWhenItIsNotEntry255) {
    Install(MakeFontResource(-1, true));  // no white at all: entry 255 is (255, 255, 254)
    CreateTextPanel(display);
    EXPECT_EQ(keyIndex, 255);
    EXPECT_EQ(directDraw.surfaces[0]->colorKey.dwColorSpaceLowValue, 0xFFFFu);  // 254 >> 3 == 31
    display.pixelFormat = DescribePixelFormat(0x7C00, 0x03E0, 0x001F);
    Install(MakeFontResource(17));
    CreateTextPanel(display);
    EXPECT_EQ(keyIndex, 17);
    EXPECT_EQ(directDraw.surfaces[1]->colorKey.dwColorSpaceLowValue, 0x7FFFu);
}

TEST_F(PanelTest, WithoutAFontThePanelIsTransparentAndLinesAreBlank) {
    CreateTextPanel(display);
    EXPECT_EQ(keyIndex, -1);
    ASSERT_EQ(directDraw.surfaces.size(), 1u);
    EXPECT_EQ(directDraw.surfaces[0]->colorKey.dwColorSpaceLowValue, 0xFFFFu);
    EXPECT_EQ(directDraw.surfaces[0]->Pixel(100, 100), 0xFFFF);
    for (uint8_t byte : LineImage) ASSERT_EQ(byte, 255);
}

TEST_F(PanelTest, FailedSurfaceCreationIsSurvived) {
    Install(MakeFontResource());
    world.Fail("CreateSurface", DDERR_OUTOFMEMORY);
    CreateTextPanel(display);
    EXPECT_EQ(panelSurface, nullptr);
    EXPECT_EQ(keyIndex, 255);
}

}  // namespace
