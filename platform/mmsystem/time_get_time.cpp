#include <atomic>

#include "platform/core/stand_in_clock.h"
#include "platform/mmsystem/mmsystem.h"
#include "platform/mmsystem/testing.h"

namespace {

std::atomic<TimeSourceFunction> timeSource{nullptr};

}  // namespace

DWORD timeGetTime() {
    if (TimeSourceFunction source = timeSource.load(std::memory_order_acquire)) {
        return source();
    }
    // Counts from the program's start (the stand-in's clock), so that float
    // arithmetic on it keeps its precision however long the machine has been up.
    return static_cast<DWORD>(ClockNowUs() / 1000);
}

void SetTimeSourceForTesting(TimeSourceFunction source) {
    timeSource.store(source, std::memory_order_release);
}
