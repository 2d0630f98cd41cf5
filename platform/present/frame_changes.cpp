#include "platform/present/frame_changes.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

// The ends of the changed span of a row that differs somewhere, four pixels
// at a time: the ring's rows change only in their middle, and a pixel at a
// time the scan in from both sides cost more than the rest of the comparison.
uint64_t FourPixels(const uint16_t* row, int x) {
    uint64_t word;
    std::memcpy(&word, row + x, sizeof word);
    return word;
}

int FirstDifference(const uint16_t* now, const uint16_t* before, int width) {
    int x = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; x + 4 <= width; x += 4) {
            if (const uint64_t differ = FourPixels(now, x) ^ FourPixels(before, x)) {
                return x + std::countr_zero(differ) / 16;
            }
        }
    }
    while (now[x] == before[x]) {
        ++x;
    }
    return x;
}

int LastDifference(const uint16_t* now, const uint16_t* before, int width) {
    int x = width;
    if constexpr (std::endian::native == std::endian::little) {
        for (; x >= 4; x -= 4) {
            if (const uint64_t differ = FourPixels(now, x - 4) ^ FourPixels(before, x - 4)) {
                return x - 1 - std::countl_zero(differ) / 16;
            }
        }
    }
    do {
        --x;
    } while (now[x] == before[x]);
    return x;
}

}  // namespace

std::vector<ChangedArea> TakeFrameChanges(const uint16_t* frame, std::vector<uint16_t>& previous, int width,
                                          int height, int bandRows) {
    std::vector<ChangedArea> changes;
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (previous.size() != pixels) {
        previous.assign(frame, frame + pixels);
        changes.push_back({0, 0, width, height});
        return changes;
    }
    const size_t rowBytes = static_cast<size_t>(width) * sizeof(uint16_t);
    for (int bandTop = 0; bandTop < height; bandTop += bandRows) {
        const int bandBottom = std::min(bandTop + bandRows, height);
        int left = width;
        int right = -1;
        int top = -1;
        int bottom = -1;
        for (int row = bandTop; row < bandBottom; ++row) {
            const uint16_t* now = frame + static_cast<size_t>(row) * width;
            uint16_t* before = previous.data() + static_cast<size_t>(row) * width;
            if (std::memcmp(now, before, rowBytes) == 0) {
                continue;
            }
            const int first = FirstDifference(now, before, width);
            const int last = LastDifference(now, before, width);
            left = std::min(left, first);
            right = std::max(right, last);
            top = top < 0 ? row : top;
            bottom = row;
            std::memcpy(before + first, now + first,
                        static_cast<size_t>(last - first + 1) * sizeof(uint16_t));
        }
        if (right >= 0) {
            changes.push_back({left, top, right - left + 1, bottom - top + 1});
        }
    }
    return changes;
}
