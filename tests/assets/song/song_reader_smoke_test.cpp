// The tests' module reader must refuse damaged files rather than read past
// them: every truncation of the song is refused, and random damage never
// makes it read outside the bytes (run under the address sanitizer).
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/assets/song/xm_reader.h"
#include "tests/support/files.h"

namespace songtest {
namespace {

TEST(SongReader, RefusesEveryTruncation) {
    const std::vector<uint8_t> bytes = ReadFileBytes(SONG_XM_PATH);
    Module module;
    ASSERT_TRUE(ReadModule(bytes.data(), bytes.size(), module));
    for (size_t size = 0; size < bytes.size(); size += size < 2048 ? 1 : 997) {
        // A copy of exactly `size` bytes, so a read past it is caught.
        const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(size));
        EXPECT_FALSE(ReadModule(cut.data(), cut.size(), module)) << size;
    }
}

TEST(SongReader, SurvivesRandomDamage) {
    const std::vector<uint8_t> bytes = ReadFileBytes(SONG_XM_PATH);
    ASSERT_FALSE(bytes.empty());
    uint32_t state = 0x2545F491u;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    int accepted = 0;
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> damaged = bytes;
        // Damage the structure, not just sample data: aim at the first 24 KiB.
        for (int hit = 0; hit < 4; ++hit) damaged[next() % 24576] = static_cast<uint8_t>(next());
        damaged.resize(damaged.size() - next() % 64);
        Module module;
        accepted += ReadModule(damaged.data(), damaged.size(), module) ? 1 : 0;
    }
    EXPECT_LT(accepted, 300);
}

}  // namespace
}  // namespace songtest
