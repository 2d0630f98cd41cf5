// The reveal: the blur against a plain windowed average, the countdown, the
// band copy at the panel's pitch, the page order and the hold timer.
#include "image/text_pages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "platform/win32/testing.h"
#include "platform/win32/window_registry.h"
#include "tests/support/fake_direct_draw.h"

namespace {

uint16_t Pack565(int red, int green, int blue) {
    return static_cast<uint16_t>(((red >> 3) << 11) | ((green >> 2) << 5) | (blue >> 3));
}

// Pixel j of the blur of width w, summed window by window from scratch.
uint16_t WindowAverage(const uint8_t* line, int w, int j) {
    const int half = w / 2;
    int sums[3] = {0, 0, 0};
    for (int k = j - half + 1; k <= j + half; ++k) {
        const int index = (k < 0 || k >= LINE_IMAGE_SIZE) ? 255 : line[k];
        for (int c = 0; c < 3; ++c) sums[c] += fontStrip.palette[3 * index + c];
    }
    return Pack565(sums[2] / w, sums[1] / w, sums[0] / w);
}

uint16_t Sharp(const uint8_t* line, int j) {
    const uint8_t* entry = &fontStrip.palette[3 * line[j]];
    return Pack565(entry[2], entry[1], entry[0]);
}

void RandomPalette(uint32_t seed) {
    std::mt19937 random(seed);
    for (auto& byte : fontStrip.palette) byte = static_cast<uint8_t>(random());
    fontStrip.palette[765] = fontStrip.palette[766] = fontStrip.palette[767] = 255;
}

const PixelFormatInfo& Format565() {
    static const PixelFormatInfo format = DescribePixelFormat(0xF800, 0x07E0, 0x001F);
    return format;
}

TEST(ConvertLineImage, EqualsAPlainWindowedAverageAtEveryWidth) {
    std::mt19937 random(5);
    for (int trial = 0; trial < 4; ++trial) {
        RandomPalette(100u + static_cast<uint32_t>(trial));
        for (auto& index : LineImage) {
            index = random() % 3 == 0 ? 255 : static_cast<uint8_t>(random());
        }
        uint16_t out[LINE_IMAGE_SIZE];
        for (int w = -2; w <= 40; ++w) {
            ConvertLineImage(w, out, Format565());
            for (int j = 0; j < LINE_IMAGE_SIZE; ++j) {
                const uint16_t expected = w < 1 ? Sharp(LineImage, j) : WindowAverage(LineImage, w, j);
                ASSERT_EQ(out[j], expected) << "width " << w << " pixel " << j;
            }
        }
    }
}

TEST(ConvertLineImage, BlankStaysExactlyWhiteAwayFromGlyphs) {
    RandomPalette(7u);
    std::memset(LineImage, 255, sizeof LineImage);
    LineImage[2000] = 3;
    uint16_t out[LINE_IMAGE_SIZE];
    for (int w = 0; w <= 38; w += 2) {
        ConvertLineImage(w, out, Format565());
        for (int j = 0; j < LINE_IMAGE_SIZE; ++j) {
            const bool reached = j - w / 2 + 1 <= 2000 && 2000 <= j + w / 2;
            if (!reached && j != 2000) {
                ASSERT_EQ(out[j], 0xFFFF) << "width " << w << " pixel " << j;
            }
        }
        // Both ends see blank entries beyond the line, which keeps them white.
        EXPECT_EQ(out[0], 0xFFFF);
        EXPECT_EQ(out[LINE_IMAGE_SIZE - 1], 0xFFFF);
    }
}

// ---- the reveal steps ------------------------------------------------------

LRESULT QuietProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class RevealTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RandomPalette(9u);
        std::memset(fontStrip.glyphs, 255, sizeof fontStrip.glyphs);
        for (int g = 0; g < FONT_CELL_COUNT; ++g) {
            for (int i = 0; i < 16 * 13; i += 3)
                fontStrip.glyphs[g * 208 + i] = static_cast<uint8_t>(200 + g);
        }
        SetHeadlessWindowsForTesting(true);
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = QuietProcedure;
        windowClass.lpszClassName = "RevealTestWindow";
        RegisterClassExA(&windowClass);
        display.hWnd = CreateWindowExA(0, "RevealTestWindow", "reveal", WS_POPUP, 0, 0, 640, 480, nullptr,
                                       nullptr, nullptr, nullptr);
        ASSERT_NE(display.hWnd, nullptr);
        display.pixelFormat = Format565();
        panelSurface = &panel;  // with 10 bytes of padding after each row
        // As start-up and the window procedure's WM_CREATE leave things.
        currentPage = pageTable[0];
        RenderTextLine(currentPage->text, LineImage);
        lineIndex = 0;
        blurCountdown = 40;
        pageComplete = 0;
    }
    void TearDown() override {
        panelSurface = nullptr;
        KillTimer(display.hWnd, PAGE_TIMER_ID);
        DestroyWindow(display.hWnd);
        display.hWnd = nullptr;
        SetHeadlessWindowsForTesting(false);
    }
    // What the window procedure does on WM_TIMER.
    void TimerFires() {
        blurCountdown = 40;
        lineIndex = -1;
        pageComplete = 0;
        KillTimer(display.hWnd, PAGE_TIMER_ID);
    }
    // Steps until the page is complete, as the frame would; returns the count.
    int RevealPage() {
        int steps = 0;
        while (pageComplete == 0 && steps < 1000) {
            UpdateTextPanel(display);
            ++steps;
        }
        return steps;
    }
    const WindowTimer* PageTimer() {
        WindowRecord* record = FindWindowRecord(display.hWnd);
        if (record == nullptr) return nullptr;
        for (const WindowTimer& timer : record->timers) {
            if (timer.id == PAGE_TIMER_ID) return &timer;
        }
        return nullptr;
    }
    // The sharp pixels of line k of page, made independently of the steps.
    void ExpectBandIsSharpLine(const TextPage* page, int k) {
        uint8_t line[LINE_IMAGE_SIZE];
        RenderTextLine(page->text + 20 * k, line);
        for (int r = 0; r < 13; ++r) {
            for (int x = 0; x < 320; ++x) {
                ASSERT_EQ(panel.Pixel(x, 13 * k + r), Sharp(line, r * 320 + x)) << "line " << k;
            }
        }
    }

    fake::World& world = fake::Reset();
    fake::Surface& panel = world.Make<fake::Surface>("panel", 320, 221, 650);
    DisplayDevice display;
};

TEST_F(RevealTest, CountdownRunsFrom38ToZeroWithTheBlurOfEachWidth) {
    uint16_t expected[LINE_IMAGE_SIZE];
    for (int step = 1; step <= 20; ++step) {
        const int width = 40 - 2 * step;
        ConvertLineImage(width, expected, display.pixelFormat);
        UpdateTextPanel(display);
        ASSERT_EQ(std::memcmp(lineColours, expected, sizeof expected), 0) << "step " << step;
        if (step < 20) {
            EXPECT_EQ(blurCountdown, width);
            EXPECT_EQ(lineIndex, 0);
        }
    }
    EXPECT_EQ(blurCountdown, 40);
    EXPECT_EQ(lineIndex, 1);
    EXPECT_EQ(panel.lockCount, 20);
    EXPECT_EQ(panel.lastLockFlags, DDLOCK_WAIT);
    EXPECT_FALSE(panel.locked);
    uint8_t nextLine[LINE_IMAGE_SIZE];
    RenderTextLine(pageTable[0]->text + 20, nextLine);
    EXPECT_EQ(std::memcmp(LineImage, nextLine, sizeof nextLine), 0);
}

TEST_F(RevealTest, CountdownNeverGoesBelowZero) {
    blurCountdown = 1;
    UpdateTextPanel(display);
    EXPECT_EQ(lineIndex, 1);
    EXPECT_EQ(blurCountdown, 40);
}

TEST_F(RevealTest, PageTakes340StepsAndEndsHeldWithTheTimerSet) {
    EXPECT_EQ(RevealPage(), 17 * 20);
    EXPECT_EQ(pageComplete, 1);
    EXPECT_EQ(lineIndex, 16);
    EXPECT_EQ(currentPage, pageTable[1]);
    const WindowTimer* timer = PageTimer();
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->periodMs, PAGE_HOLD_MS);
    EXPECT_EQ(PAGE_HOLD_MS, 3000u);
    EXPECT_EQ(PAGE_TIMER_ID, 1999u);
    EXPECT_EQ(timer->function, nullptr);
    for (int k = 0; k < 17; ++k) ExpectBandIsSharpLine(pageTable[0], k);
    EXPECT_FALSE(panel.PaddingTouched());
}

TEST_F(RevealTest, BlankLineBandIsWhollyTheKeyColour) {
    ASSERT_EQ(std::string(pageTable[0]->text, 20), std::string(20, ' '));
    RevealPage();
    for (int r = 0; r < 13; ++r) {
        for (int x = 0; x < 320; ++x) ASSERT_EQ(panel.Pixel(x, r), 0xFFFF);
    }
}

TEST_F(RevealTest, AfterTheTimerTwentyStepsShowNothingThenTheNextPageBegins) {
    RevealPage();
    TimerFires();
    EXPECT_EQ(PageTimer(), nullptr);
    const std::vector<uint8_t> before = panel.Memory();
    const int locks = panel.lockCount;
    for (int step = 1; step < 20; ++step) {
        UpdateTextPanel(display);
        ASSERT_EQ(lineIndex, -1);
    }
    UpdateTextPanel(display);
    EXPECT_EQ(panel.lockCount, locks);  // converted, never copied
    EXPECT_EQ(panel.Memory(), before);
    EXPECT_EQ(lineIndex, 0);
    uint8_t firstLine[LINE_IMAGE_SIZE];
    RenderTextLine(pageTable[1]->text, firstLine);
    EXPECT_EQ(std::memcmp(LineImage, firstLine, sizeof firstLine), 0);
}

TEST_F(RevealTest, PagesComeInOrderZeroOneTwoZero) {
    const TextPage* shown[4] = {};
    for (int page = 0; page < 4; ++page) {
        shown[page] = currentPage;
        EXPECT_EQ(RevealPage(), page == 0 ? 340 : 360);
        for (int k = 0; k < 17; ++k) ExpectBandIsSharpLine(shown[page], k);
        TimerFires();
    }
    EXPECT_EQ(shown[0], pageTable[0]);
    EXPECT_EQ(shown[1], pageTable[1]);
    EXPECT_EQ(shown[2], pageTable[2]);
    EXPECT_EQ(shown[3], pageTable[0]);
}

TEST_F(RevealTest, SurvivesAMissingOrUnlockablePanel) {
    world.Fail("panel.Lock", DDERR_SURFACELOST);
    EXPECT_EQ(RevealPage(), 340);
    panelSurface = nullptr;
    TimerFires();
    EXPECT_EQ(RevealPage(), 360);
    EXPECT_EQ(currentPage, pageTable[2]);
}

}  // namespace
