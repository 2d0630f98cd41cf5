// A short run of the font strip fuzz target on resources of every size
// around the fixed offsets and on mutated strips.
#include <gtest/gtest.h>

#include "image/font_strip.h"
#include "tests/image/font_maker.h"
#include "tests/support/fuzz_smoke.h"

namespace {

TEST(FuzzSmoke, FontStripOnEverySizeAroundTheFixedOffsets) {
    std::mt19937 random(99);
    const std::vector<uint8_t> font = MakeFontResource();
    for (size_t size :
         {size_t{0}, size_t{1}, size_t{20}, size_t{786}, FONT_BYTES_READ - 1, FONT_BYTES_READ, font.size()}) {
        ASSERT_EQ(Fuzz(font.data(), size), 0) << size;
    }
    for (int i = 0; i < 300; ++i) {
        auto input = Mutate(font, random);
        if (i % 3 == 0) {
            for (size_t k = 0; k < 20 && k < input.size(); ++k) input[k] = static_cast<uint8_t>(random());
        }
        ASSERT_EQ(Fuzz(input), 0);
    }
}

}  // namespace
