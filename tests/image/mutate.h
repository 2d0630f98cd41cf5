// Test helper: small random edits of a byte string, for the fuzz smoke runs.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

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
