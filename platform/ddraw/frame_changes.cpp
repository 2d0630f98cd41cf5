#include "platform/ddraw/frame_changes.h"

#include <algorithm>
#include <cstring>

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
            // Only the ends of the changed span matter: scan in from both sides.
            int first = 0;
            while (now[first] == before[first]) {
                ++first;
            }
            int last = width - 1;
            while (now[last] == before[last]) {
                --last;
            }
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
