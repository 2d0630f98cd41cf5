// The frame scaler against a per-pixel reference written straight from the
// sampling its header documents: odd sizes, whole scales, scaling down,
// regions, both source layouts and targets, every instruction-set level; and
// the promises of the two rectangle mappings.
#include "platform/present/frame_scaler.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "platform/ddraw/testing.h"

namespace {

constexpr uint32_t UNTOUCHED = 0x12345678;
constexpr ScalerCode CODES[] = {ScalerCode::Portable, ScalerCode::Sse2, ScalerCode::Avx2};
constexpr ScaleFilter FILTERS[] = {ScaleFilter::Nearest, ScaleFilter::Linear};

struct Frame {
    int width;
    int height;
    int pitch;  // in pixels, wider than the frame so that the padding is noticed if read
    SourceLayout layout;
    std::vector<uint16_t> pixels;

    uint16_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * pitch + x]; }
};

Frame RandomFrame(int width, int height, SourceLayout layout, uint32_t seed) {
    Frame frame{width, height, width + 3, layout,
                std::vector<uint16_t>(static_cast<size_t>(width + 3) * height)};
    std::mt19937 random(seed);
    for (uint16_t& pixel : frame.pixels) {
        pixel = static_cast<uint16_t>(random());
    }
    return frame;
}

struct Picture {
    int width;
    int height;
    TargetLayout target;
    std::vector<uint32_t> pixels;  // rows width + 2 apart

    int Pitch() const { return width + 2; }
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * Pitch() + x]; }
};

Picture Blank(int width, int height, TargetLayout target) {
    return {width, height, target, std::vector<uint32_t>(static_cast<size_t>(width + 2) * height, UNTOUCHED)};
}

void Scale(const Frame& frame, Picture& picture, ScaleFilter filter, ScaleRect region) {
    ScaleFrame(frame.pixels.data(), frame.width, frame.height, frame.pitch, frame.layout,
               picture.pixels.data(), picture.Pitch() * 4, picture.width, picture.height, picture.target,
               filter, region);
}

Picture Scaled(const Frame& frame, int width, int height, TargetLayout target, ScaleFilter filter) {
    Picture picture = Blank(width, height, target);
    Scale(frame, picture, filter, {0, 0, width, height});
    return picture;
}

bool Inside(ScaleRect rect, int x, int y) {
    return x >= rect.x && x < rect.x + rect.width && y >= rect.y && y < rect.y + rect.height;
}

// Red, green, blue of a source pixel widened to 8 bits.
std::array<double, 3> Channels(uint16_t pixel, SourceLayout layout) {
    const int greenBits = layout == SourceLayout::Rgb565 ? 6 : 5;
    const int red = pixel >> (5 + greenBits) & 31;
    const int green = pixel >> 5 & ((1 << greenBits) - 1);
    const int blue = pixel & 31;
    auto widen = [](int value, int bits) {
        const int maximum = (1 << bits) - 1;
        return (value * 255 + maximum / 2) / maximum;
    };
    return {static_cast<double>(widen(red, 5)), static_cast<double>(widen(green, greenBits)),
            static_cast<double>(widen(blue, 5))};
}

// The two source pixels and the weight of the second, along one axis.
struct Taps {
    int first;
    int second;
    double weight;
};

Taps Sample(int x, int n, int m, ScaleFilter filter) {
    const double centre = (x + 0.5) * n / m;
    if (filter == ScaleFilter::Nearest) {
        const int index = static_cast<int>(std::floor(centre));
        return {index, index, 0.0};
    }
    const double position = std::max(centre - 0.5, 0.0);
    const int index = static_cast<int>(std::floor(position));
    if (index >= n - 1) {
        return {n - 1, n - 1, 0.0};
    }
    return {index, index + 1, position - index};
}

std::array<double, 3> ReferencePixel(const Frame& frame, int x, int y, int width, int height,
                                     ScaleFilter filter) {
    const Taps across = Sample(x, frame.width, width, filter);
    const Taps down = Sample(y, frame.height, height, filter);
    std::array<double, 3> sum{};
    for (const auto& [sourceX, sourceY, weight] :
         {std::tuple{across.first, down.first, (1 - across.weight) * (1 - down.weight)},
          std::tuple{across.second, down.first, across.weight * (1 - down.weight)},
          std::tuple{across.first, down.second, (1 - across.weight) * down.weight},
          std::tuple{across.second, down.second, across.weight * down.weight}}) {
        const std::array<double, 3> channels = Channels(frame.At(sourceX, sourceY), frame.layout);
        for (int c = 0; c < 3; ++c) {
            sum[c] += weight * channels[c];
        }
    }
    return sum;
}

// Compares with the reference: exactly for nearest, within 1 per channel for linear.
void ExpectMatchesReference(const Frame& frame, const Picture& picture, ScaleFilter filter) {
    const double tolerance = filter == ScaleFilter::Nearest ? 0.0 : 1.0;
    int failures = 0;
    for (int y = 0; y < picture.height && failures < 5; ++y) {
        for (int x = 0; x < picture.width && failures < 5; ++x) {
            const std::array<double, 3> expected =
                ReferencePixel(frame, x, y, picture.width, picture.height, filter);
            const uint32_t word = picture.At(x, y);
            const bool rgb = picture.target == TargetLayout::Xrgb8888;
            const std::array<int, 3> actual{static_cast<int>(word >> (rgb ? 16 : 0) & 0xFF),
                                            static_cast<int>(word >> 8 & 0xFF),
                                            static_cast<int>(word >> (rgb ? 0 : 16) & 0xFF)};
            bool ok = word >> 24 == 0xFF;
            for (int c = 0; c < 3; ++c) {
                ok = ok && std::fabs(actual[c] - std::round(expected[c])) <= tolerance;
            }
            if (!ok) {
                ++failures;
                ADD_FAILURE() << frame.width << "x" << frame.height << " -> " << picture.width << "x"
                              << picture.height << " pixel (" << x << ", " << y << ") is " << std::hex << word
                              << std::dec << ", expected r g b " << expected[0] << " " << expected[1] << " "
                              << expected[2];
            }
        }
    }
}

// Runs the body once per instruction-set level the processor has, leaving the best one in use.
template <class Body>
void ForEachCode(Body body) {
    for (ScalerCode code : CODES) {
        if (UseScalerCodeForTesting(code)) {
            SCOPED_TRACE(static_cast<int>(code));
            body();
        }
    }
}

struct SizeCase {
    int frameWidth;
    int frameHeight;
    int pictureWidth;
    int pictureHeight;
};

TEST(FrameScalerTest, WholePicturesFollowTheSamplingOnEveryLevel) {
    std::vector<SizeCase> cases = {{640, 480, 641, 479}, {640, 480, 1000, 750}, {640, 480, 333, 250},
                                   {640, 480, 64, 48},   {640, 480, 7, 5},      {640, 480, 1, 1},
                                   {640, 480, 7680, 2},  {3, 2, 5, 5760},       {1, 1, 9, 4},
                                   {40, 30, 480, 360}};  // scale 12
    for (int scale = 1; scale <= 6; ++scale) {
        cases.push_back({97, 61, 97 * scale, 61 * scale});
    }
    for (size_t round = 0; round < 2 * cases.size(); ++round) {
        const SizeCase& size = cases[round / 2];
        const ScaleFilter filter = FILTERS[round % 2];
        // Each filter meets every layout and target over four sizes; the widening has its own test.
        const auto layout = (round / 2 + round) % 2 == 0 ? SourceLayout::Rgb565 : SourceLayout::Rgb555;
        const auto target = round / 4 % 2 == 0 ? TargetLayout::Xrgb8888 : TargetLayout::Xbgr8888;
        const Frame frame =
            RandomFrame(size.frameWidth, size.frameHeight, layout, static_cast<uint32_t>(round));
        std::vector<uint32_t> first;
        ForEachCode([&] {
            const Picture picture = Scaled(frame, size.pictureWidth, size.pictureHeight, target, filter);
            if (first.empty()) {
                ExpectMatchesReference(frame, picture, filter);
                first = picture.pixels;
            } else {
                EXPECT_TRUE(picture.pixels == first)
                    << "levels differ at " << size.pictureWidth << "x" << size.pictureHeight;
            }
        });
    }
}

TEST(FrameScalerTest, EveryPixelValueWidensToTheNearestEightBitLevel) {
    Frame frame{256, 256, 256, SourceLayout::Rgb565, std::vector<uint16_t>(65536)};
    for (int value = 0; value < 65536; ++value) {
        frame.pixels[value] = static_cast<uint16_t>(value);
    }
    for (SourceLayout layout : {SourceLayout::Rgb565, SourceLayout::Rgb555}) {
        for (TargetLayout target : {TargetLayout::Xrgb8888, TargetLayout::Xbgr8888}) {
            frame.layout = layout;
            ExpectMatchesReference(frame, Scaled(frame, 256, 256, target, ScaleFilter::Nearest),
                                   ScaleFilter::Nearest);
            // At scale 1 the linear filter lands on pixel centres and must not shift a level either.
            ExpectMatchesReference(frame, Scaled(frame, 256, 256, target, ScaleFilter::Linear),
                                   ScaleFilter::Nearest);
        }
    }
}

TEST(FrameScalerTest, RegionsWriteTheirPixelsAndNothingElse) {
    std::mt19937 random(11);
    const Frame frame = RandomFrame(640, 480, SourceLayout::Rgb565, 5);
    for (const SizeCase& size :
         {SizeCase{640, 480, 1000, 750}, SizeCase{640, 480, 2100, 90}, SizeCase{640, 480, 97, 61}}) {
        for (ScaleFilter filter : FILTERS) {
            const Picture whole =
                Scaled(frame, size.pictureWidth, size.pictureHeight, TargetLayout::Xrgb8888, filter);
            ForEachCode([&] {
                for (int round = 0; round < 12; ++round) {
                    // Odd corners and widths, some past the edges, some 1 pixel wide.
                    const int x = static_cast<int>(random() % (size.pictureWidth + 20)) - 10;
                    const int y = static_cast<int>(random() % (size.pictureHeight + 20)) - 10;
                    const ScaleRect region{x, y, static_cast<int>(random() % (round % 3 == 0 ? 2 : 80)),
                                           static_cast<int>(random() % 90)};
                    Picture picture = Blank(size.pictureWidth, size.pictureHeight, TargetLayout::Xrgb8888);
                    Scale(frame, picture, filter, region);
                    for (int py = 0; py < picture.height; ++py) {
                        for (int px = 0; px < picture.Pitch(); ++px) {
                            const bool inside = Inside(region, px, py) && px < picture.width;
                            const uint32_t expected = inside ? whole.At(px, py) : UNTOUCHED;
                            ASSERT_EQ(picture.At(px, py), expected)
                                << "(" << px << ", " << py << ") filter " << static_cast<int>(filter);
                        }
                    }
                }
            });
        }
    }
}

// The frame with every bit inverted, so every channel changes, in the pixels inside (or outside) rect.
Frame Inverted(const Frame& frame, ScaleRect rect, bool inside) {
    Frame changed = frame;
    for (int y = 0; y < frame.height; ++y) {
        for (int x = 0; x < frame.width; ++x) {
            if (Inside(rect, x, y) == inside) {
                changed.pixels[static_cast<size_t>(y) * frame.pitch + x] ^= 0xFFFF;
            }
        }
    }
    return changed;
}

ScaleRect RandomRect(std::mt19937& random, int width, int height, int most) {
    return {static_cast<int>(random() % width), static_cast<int>(random() % height),
            1 + static_cast<int>(random() % most), 1 + static_cast<int>(random() % most)};
}

// A change of source pixels alters picture pixels only inside the region
// reported for it (for nearest, exactly that region); a change outside the
// source rectangle reported for a picture region leaves that region be.
TEST(FrameScalerTest, RectangleMappingsCoverEveryInfluence) {
    std::mt19937 random(3);
    for (int round = 0; round < 80; ++round) {
        const int frameWidth = 1 + static_cast<int>(random() % 40);
        const int frameHeight = 1 + static_cast<int>(random() % 30);
        const int width = 1 + static_cast<int>(random() % 200);
        const int height = 1 + static_cast<int>(random() % 150);
        const ScaleFilter filter = FILTERS[round % 2];
        const Frame frame = RandomFrame(frameWidth, frameHeight, SourceLayout::Rgb565, round);
        const ScaleRect change = RandomRect(random, frameWidth, frameHeight, 8);
        const ScaleRect region =
            PictureRegionForSource(change, frameWidth, frameHeight, width, height, filter);
        const ScaleRect view = RandomRect(random, width, height, 40);
        const ScaleRect read = SourceRectForPicture(view, frameWidth, frameHeight, width, height, filter);
        const Picture original = Scaled(frame, width, height, TargetLayout::Xrgb8888, filter);
        const Picture changed =
            Scaled(Inverted(frame, change, true), width, height, TargetLayout::Xrgb8888, filter);
        const Picture unread =
            Scaled(Inverted(frame, read, false), width, height, TargetLayout::Xrgb8888, filter);
        int left = width;
        int top = height;
        int right = 0;
        int bottom = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (changed.At(x, y) != original.At(x, y)) {
                    ASSERT_TRUE(Inside(region, x, y)) << "round " << round << " (" << x << ", " << y << ")";
                    left = std::min(left, x);
                    top = std::min(top, y);
                    right = std::max(right, x + 1);
                    bottom = std::max(bottom, y + 1);
                }
                if (Inside(view, x, y)) {
                    ASSERT_EQ(unread.At(x, y), original.At(x, y))
                        << "round " << round << " (" << x << ", " << y << ")";
                }
            }
        }
        if (filter == ScaleFilter::Nearest) {
            EXPECT_EQ(ScaleRect(left, top, right - left, bottom - top), region) << "round " << round;
        }
    }
}

}  // namespace
