#include <atomic>
#include <chrono>

#include "platform/mmsystem/mmsystem.h"

namespace {

using Clock = std::chrono::steady_clock;
// Fixed when the program starts, so timeGetTime counts from there.
const Clock::time_point programStart = Clock::now();
std::atomic<TimeSourceFunction> timeSource{nullptr};

}  // namespace

DWORD timeGetTime() {
    if (TimeSourceFunction source = timeSource.load(std::memory_order_acquire)) {
        return source();
    }
    auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - programStart);
    return static_cast<DWORD>(elapsed.count());
}

void SetTimeSourceForTesting(TimeSourceFunction source) { timeSource.store(source, std::memory_order_release); }
