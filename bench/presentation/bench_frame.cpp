// One whole composed frame, from the clear to the flip, in memory through the
// real stand-in with the embedded assets (no window, no music): the frame
// clock is a fake that ticks before every frame. Reports the median and the
// 99th percentile of single frames besides Google Benchmark's mean.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "bench/presentation/composed_frame.h"

namespace {

void BM_ComposedFrame(benchmark::State& state) {
    if (!SetUpComposedFrames()) {
        state.SkipWithError("the intro could not be set up");
        return;
    }
    std::vector<double> frames;
    for (auto _ : state) {
        frames.push_back(ComposeTimedFrameUs());
    }
    std::sort(frames.begin(), frames.end());
    state.counters["median_us"] = frames[frames.size() / 2];
    state.counters["p99_us"] = frames[frames.size() * 99 / 100];
}
BENCHMARK(BM_ComposedFrame)->Unit(benchmark::kMicrosecond)->MinTime(3.0);

}  // namespace

BENCHMARK_MAIN();
