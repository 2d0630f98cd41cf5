// A short run of the module reader's fuzz target on hand-made and mutated
// songs, so that it runs in every build, sanitizers included.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "tests/music/module_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

void Feed(const std::vector<uint8_t>& bytes) {
    EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0);
}

std::vector<std::vector<uint8_t>> Seeds() {
    TestSong mod = MakeLoopingSong(4);
    mod.rows = 64;
    mod.patterns = {EmptyPattern(64, 4)};
    mod.patterns[0][0] = TestNote{MOD_C3_NOTE, 1, 0, 0, 0};
    mod.patterns[0][1] = TestNote{MOD_C3_NOTE + 5, 2, 0, 0xC, 0x20};
    TestSong loops = MakeLoopingSong(8);
    loops.patterns[0][3].effect = 0xB;  // position jump
    loops.patterns[0][3].param = 0;
    return {WriteXm(MakeLoopingSong(4)), WriteXm(loops), WriteMod(mod)};
}

TEST(ModuleReaderFuzzSmoke, SeedsAndTheirTruncations) {
    Feed({});
    for (const std::vector<uint8_t>& seed : Seeds()) {
        Feed(seed);
        for (size_t cut = 0; cut < seed.size(); cut += 97) {
            Feed(std::vector<uint8_t>(seed.begin(), seed.begin() + static_cast<long>(cut)));
        }
    }
}

TEST(ModuleReaderFuzzSmoke, MutatedSeeds) {
    std::mt19937 random(1234);
    for (const std::vector<uint8_t>& seed : Seeds()) {
        for (int round = 0; round < 150; ++round) {
            std::vector<uint8_t> bytes = seed;
            int flips = 1 + static_cast<int>(random() % 8);
            for (int i = 0; i < flips; ++i) {
                size_t at = random() % bytes.size();
                bytes[at] = static_cast<uint8_t>(random() % 3 == 0 ? 0xFF : random());
            }
            Feed(bytes);
        }
    }
}

}  // namespace
