// The short fuzz runs every build makes: a fuzz target's entry, compiled into
// the test, fed with seeds made in the test, their cuts and small random edits.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

// The entry on an exact copy of the input, so that a read past its end is a
// detectable fault.
inline int Fuzz(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> copy(data, data + size);
    return LLVMFuzzerTestOneInput(copy.data(), copy.size());
}
inline int Fuzz(const std::vector<uint8_t>& input) { return Fuzz(input.data(), input.size()); }

// Bit flips, byte changes, cuts and splices of a seed.
inline std::vector<uint8_t> Mutate(const std::vector<uint8_t>& seed, std::mt19937& random) {
    std::vector<uint8_t> out = seed;
    const int edits = 1 + static_cast<int>(random() % 4);
    for (int e = 0; e < edits && !out.empty(); ++e) {
        const size_t at = random() % out.size();
        switch (random() % 4) {
            case 0:
                out[at] = static_cast<uint8_t>(out[at] ^ (1u << (random() % 8)));
                break;
            case 1:
                out[at] = static_cast<uint8_t>(random());
                break;
            case 2:
                out.resize(at);
                break;
            default:
                out.insert(out.begin() + static_cast<std::ptrdiff_t>(at), static_cast<uint8_t>(random()));
                break;
        }
    }
    return out;
}

// Every seed whole, cut every `cutStep` bytes (none when 0), and `rounds`
// mutations of the seeds in turn.
inline void FeedSeeds(const std::vector<std::vector<uint8_t>>& seeds, size_t cutStep, int rounds,
                      uint32_t randomSeed) {
    for (const std::vector<uint8_t>& seed : seeds) {
        ASSERT_FALSE(seed.empty());
        ASSERT_EQ(Fuzz(seed), 0);
        for (size_t cut = 0; cutStep > 0 && cut < seed.size(); cut += cutStep) {
            ASSERT_EQ(Fuzz(seed.data(), cut), 0) << "cut at " << cut;
        }
    }
    std::mt19937 random(randomSeed);
    for (int round = 0; round < rounds; ++round) {
        ASSERT_EQ(Fuzz(Mutate(seeds[static_cast<size_t>(round) % seeds.size()], random)), 0) << round;
    }
}
