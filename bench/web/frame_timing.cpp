// The composed frame's time without Google Benchmark, so that the same
// program runs natively and as WebAssembly (under node): the median and the
// 99th percentile of single frames, as one line of JSON.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/presentation/composed_frame.h"

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::atoi(argv[1]) : 600;
    if (!SetUpComposedFrames() || frames < 1) {
        std::fprintf(stderr, "frame_timing: the intro could not be set up\n");
        return 1;
    }
    for (int i = 0; i < 50; ++i) {
        ComposeTimedFrameUs();  // the first frames touch memory for the first time
    }
    std::vector<double> times;
    for (int i = 0; i < frames; ++i) {
        times.push_back(ComposeTimedFrameUs());
    }
    std::sort(times.begin(), times.end());
    std::printf("{\"frames\": %d, \"median_us\": %.1f, \"p99_us\": %.1f}\n", frames, times[times.size() / 2],
                times[times.size() * 99 / 100]);
    return 0;
}
