// A short run of the display fuzz target's entry on hand-made and mutated
// inputs, so that the normal and sanitizer builds exercise it too.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <limits>
#include <random>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/fuzz_smoke.h"

namespace {

std::vector<uint8_t> FromFloats(uint8_t states, std::initializer_list<float> values) {
    std::vector<uint8_t> bytes{states};
    for (float value : values) {
        uint8_t raw[4];
        std::memcpy(raw, &value, 4);
        bytes.insert(bytes.end(), raw, raw + 4);
    }
    return bytes;
}

TEST(DisplayFuzzSmoke, HandMadeInputs) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::vector<std::vector<uint8_t>> inputs = {
        {},
        {0xFF},
        FromFloats(16, {1, 0.5f, 0.5f, 0.5f, 0.5f, -3, -1, -5, 0, -1, 0, 1e19f, 1, 0.2f}),
        FromFloats(64 | 16,
                   {nan, inf, -inf, 1e30f, -1e30f, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nan, inf, 1, 1, 1, 1, 1}),
        FromFloats(3, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
    };
    for (const std::vector<uint8_t>& input : inputs) {
        EXPECT_EQ(Fuzz(input), 0);
    }
}

// Inputs the fuzzer once found faults with (fuzz/display/regressions): a
// nearly degenerate triangle that rounding made cross a clip plane more often
// than a convex one can, overflowing the clipper's corner buffer.
TEST(DisplayFuzzSmoke, EarlierFindingsStayFixed) {
    int replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TRELK_DISPLAY_REGRESSIONS)) {
        EXPECT_EQ(Fuzz(ReadFileBytes(entry.path())), 0) << entry.path();
        ++replayed;
    }
    EXPECT_GE(replayed, 1);
}

TEST(DisplayFuzzSmoke, RandomAndMutatedInputs) {
    std::mt19937 random(20240601);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 600);
    std::uniform_real_distribution<float> near(-30.0f, 30.0f);
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> input(static_cast<size_t>(length(random)));
        for (uint8_t& b : input) {
            b = static_cast<uint8_t>(byte(random));
        }
        // Half the time plausible coordinates, so that triangles reach the screen.
        if (round % 2 == 0) {
            for (size_t at = 1; at + 4 <= input.size(); at += 4) {
                const float value = near(random);
                std::memcpy(&input[at], &value, 4);
            }
        }
        ASSERT_EQ(Fuzz(input), 0) << round;
    }
}

}  // namespace
