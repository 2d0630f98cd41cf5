// A short run of the GIF decoder fuzz target on giflib-written streams and
// their mutations, so that the normal and sanitizer builds exercise it too.
#include <gtest/gtest.h>

#include "tests/image/gif_writer.h"
#include "tests/support/fuzz_smoke.h"

namespace {

std::vector<std::vector<uint8_t>> GifSeeds() {
    std::vector<std::vector<uint8_t>> seeds;
    for (int colours : {2, 16, 256}) {
        for (bool interlaced : {false, true}) {
            GifStreamSpec layout = RandomGif(23, 11, colours, 1u, interlaced, 3);
            GifFrame& frame = layout.frames[0];
            if (colours == 16) {
                frame.localColours = RandomColours(4, 2u);
                frame.pixels = RandomPixels(23, 11, 4, 3u, 3);
            }
            frame.extensions = {GifExtension{0xF9, {{1, 2, 3, 4}}}};
            seeds.push_back(WriteGifWithGiflib(layout));
        }
    }
    return seeds;
}

TEST(FuzzSmoke, GifDecoderOnSeedsAndMutations) {
    FeedSeeds(GifSeeds(), 0, 20000, 2024);
    std::mt19937 random(2025);
    std::vector<uint8_t> noise(300);
    for (int i = 0; i < 2000; ++i) {
        for (auto& byte : noise) byte = static_cast<uint8_t>(random());
        noise[0] = 'G';
        noise[1] = 'I';
        noise[2] = 'F';
        ASSERT_EQ(Fuzz(noise), 0);
    }
}

}  // namespace
