// Where the picture goes on a screen, and what the software presenter sends.
#include <gtest/gtest.h>

#include <vector>

#include "platform/present/frame_changes.h"
#include "platform/present/picture_layout.h"

namespace {

struct Placement {
    int outputWidth, outputHeight;
    ScaleChoice scale;
    FilterChoice filter;
    int x, y, width, height;
    bool smooth;
};

TEST(PictureLayout, KeepsTheShapeCentredOnEveryScreen) {
    const std::vector<Placement> cases = {
        {640, 480, ScaleChoice::Fit, FilterChoice::Auto, 0, 0, 640, 480, false},
        {1920, 1080, ScaleChoice::Fit, FilterChoice::Auto, 240, 0, 1440, 1080, true},
        {3840, 2160, ScaleChoice::Fit, FilterChoice::Auto, 480, 0, 2880, 2160, true},
        {2560, 1440, ScaleChoice::Fit, FilterChoice::Auto, 320, 0, 1920, 1440, false},
        {1280, 1024, ScaleChoice::Fit, FilterChoice::Auto, 0, 32, 1280, 960, false},
        {1000, 560, ScaleChoice::Fit, FilterChoice::Nearest, 127, 0, 746, 560, false},
        {1920, 1080, ScaleChoice::Integer, FilterChoice::Auto, 320, 60, 1280, 960, false},
        {3840, 2160, ScaleChoice::Integer, FilterChoice::Linear, 640, 120, 2560, 1920, true},
        {500, 300, ScaleChoice::Integer, FilterChoice::Auto, 50, 0, 400, 300, true},  // not even once: fit
        {641, 481, ScaleChoice::Fit, FilterChoice::Auto, 0, 0, 641, 480, true},
    };
    for (const Placement& c : cases) {
        const PictureLayout layout =
            LayoutPicture(640, 480, c.outputWidth, c.outputHeight, c.scale, c.filter);
        EXPECT_EQ(layout.x, c.x) << c.outputWidth << "x" << c.outputHeight;
        EXPECT_EQ(layout.y, c.y) << c.outputWidth << "x" << c.outputHeight;
        EXPECT_EQ(layout.width, c.width) << c.outputWidth << "x" << c.outputHeight;
        EXPECT_EQ(layout.height, c.height) << c.outputWidth << "x" << c.outputHeight;
        EXPECT_EQ(layout.smooth, c.smooth) << c.outputWidth << "x" << c.outputHeight;
    }
    EXPECT_EQ(LayoutPicture(640, 480, 0, 0, ScaleChoice::Fit, FilterChoice::Auto).width, 0);
}

TEST(FrameChanges, BandsCoverEveryChangedPixelAndTheCopyFollows) {
    constexpr int WIDTH = 64;
    constexpr int HEIGHT = 40;
    std::vector<uint16_t> frame(WIDTH * HEIGHT, 0x1234);
    std::vector<uint16_t> previous;
    // The first frame is all new.
    std::vector<ChangedArea> changes = TakeFrameChanges(frame.data(), previous, WIDTH, HEIGHT, 16);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].width * changes[0].height, WIDTH * HEIGHT);
    EXPECT_TRUE(TakeFrameChanges(frame.data(), previous, WIDTH, HEIGHT, 16).empty());
    // Two pixels in the first band, one in the third.
    frame[3 * WIDTH + 5] = 1;
    frame[9 * WIDTH + 40] = 2;
    frame[39 * WIDTH + 63] = 3;
    changes = TakeFrameChanges(frame.data(), previous, WIDTH, HEIGHT, 16);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ((std::vector<int>{changes[0].x, changes[0].y, changes[0].width, changes[0].height}),
              (std::vector<int>{5, 3, 36, 7}));
    EXPECT_EQ((std::vector<int>{changes[1].x, changes[1].y, changes[1].width, changes[1].height}),
              (std::vector<int>{63, 39, 1, 1}));
    EXPECT_EQ(previous, frame);
    EXPECT_TRUE(TakeFrameChanges(frame.data(), previous, WIDTH, HEIGHT, 16).empty());
}

TEST(FrameChanges, FindsTheEndsOfASpanAtEveryPlaceInAnOddRow) {
    constexpr int ODD = 13;  // words of four pixels and a tail of one
    for (int first = 0; first < ODD; ++first) {
        for (int last = first; last < ODD; ++last) {
            std::vector<uint16_t> frame(ODD * 2, 7);
            std::vector<uint16_t> previous = frame;
            frame[ODD + first] = 8;
            frame[ODD + last] = 9;
            const std::vector<ChangedArea> changes = TakeFrameChanges(frame.data(), previous, ODD, 2, 16);
            ASSERT_EQ(changes.size(), 1u);
            EXPECT_EQ((std::vector<int>{changes[0].x, changes[0].y, changes[0].width, changes[0].height}),
                      (std::vector<int>{first, 1, last - first + 1, 1}))
                << first << ".." << last;
            EXPECT_EQ(previous, frame);
        }
    }
}

}  // namespace
