// One whole composed frame, from the clear to the flip, in memory through the
// real stand-in with the embedded assets (no window, no music): the frame
// clock is a fake that ticks before every frame. Reports the median and the
// 99th percentile of single frames besides Google Benchmark's mean.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "app/program_objects.h"
#include "app/win_main.h"
#include "platform/mmsystem/testing.h"
#include "platform/win32/testing.h"
#include "presentation/render_frame.h"

namespace {

DWORD fakeNow = 1000;
DWORD FakeTime() { return fakeNow; }

bool SetUpOnce() {
    static bool ready = [] {
        SetHeadlessWindowsForTesting(true);
        SetTimeSourceForTesting(FakeTime);
        PrepareMainframe(GetModuleHandleA(nullptr));
        return mainframe.CreateMainWindow() == 0 && mainframe.display.CreateDisplay(640, 480, 16) >= 0 &&
               SetUpPresentation() == 0;
    }();
    return ready;
}

void BM_ComposedFrame(benchmark::State& state) {
    if (!SetUpOnce()) {
        state.SkipWithError("the intro could not be set up");
        return;
    }
    std::vector<double> frames;
    for (auto _ : state) {
        fakeNow += 41;
        auto start = std::chrono::steady_clock::now();
        RenderFrame(frameObjects);
        frames.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(frames.begin(), frames.end());
    state.counters["median_us"] = frames[frames.size() / 2];
    state.counters["p99_us"] = frames[frames.size() * 99 / 100];
}
BENCHMARK(BM_ComposedFrame)->Unit(benchmark::kMicrosecond)->MinTime(3.0);

}  // namespace

BENCHMARK_MAIN();
