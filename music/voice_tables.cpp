// The logarithmic tables that turn the player's volume (0..64) and panning
// (0..255) into DirectSound's hundredths of a decibel.
#include <cmath>

#include "music/output_driver_state.h"

namespace {

constexpr int SILENT = -10000;
constexpr int FULL_RIGHT = 10000;
// Full volume sits 10 dB below the buffer's own level; the scale spans 20 dB.
constexpr int VOLUME_OFFSET = 3000;
constexpr int PAN_SPAN = 2000;

}  // namespace

// (10000 / 6) x log2(x), truncated toward zero.
int LogScale(int x) {
    return static_cast<int>(1666.6666666666667 * std::log(static_cast<double>(x)) / std::log(2.0));
}

void FillVolumeTable(int16_t table[65]) {
    table[0] = SILENT;
    for (int v = 1; v <= 64; ++v) {
        table[v] = static_cast<int16_t>(LogScale(v) / 5 - VOLUME_OFFSET);
    }
}

void FillPanTable(int16_t table[256]) {
    for (int p = 0; p < 256; ++p) {
        int a = p - 128;
        int value = 0;
        if (a > 100) {
            value = FULL_RIGHT;
        } else if (a < -100) {
            value = SILENT;
        } else if (a > 0) {
            // The right side divides by 99, the left by 100.
            int n = (99 - a) * 63 / 99;
            value = PAN_SPAN - LogScale(n + 1) / 5;
        } else if (a < 0) {
            int n = (a + 100) * 63 / 100;
            value = LogScale(n + 1) / 5 - PAN_SPAN;
        }
        table[p] = static_cast<int16_t>(value);
    }
}
