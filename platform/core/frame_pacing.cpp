#include "platform/core/frame_pacing.h"

#include <algorithm>
#include <mutex>

#include "platform/core/stand_in_clock.h"

void FramePacer::NoteFlip(int64_t nowUs) {
    if (lastFlipUs_ >= 0 && nowUs > lastFlipUs_) {
        intervals_[static_cast<size_t>(next_)] = nowUs - lastFlipUs_;
        next_ = (next_ + 1) % HISTORY;
        known_ = std::min(known_ + 1, HISTORY);
    }
    lastFlipUs_ = nowUs;
}

int64_t FramePacer::IdleBudgetUs(int64_t nowUs) const {
    if (known_ < 3) {
        return MIN_WAIT_US;
    }
    // The shortest recent interval: a frame is never due earlier than that.
    const int64_t shortest = *std::min_element(intervals_.begin(), intervals_.begin() + known_);
    const int64_t budget = lastFlipUs_ + shortest - MARGIN_US - nowUs;
    return std::clamp(budget, MIN_WAIT_US, MAX_WAIT_US);
}

namespace {

// Flips come from the main thread; any thread may poll for messages.
std::mutex pacerMutex;
FramePacer mainPacer;

}  // namespace

void NoteFramePresented() {
    std::lock_guard lock(pacerMutex);
    mainPacer.NoteFlip(ClockNowUs());
}

int64_t IdleBudgetUs() {
    std::lock_guard lock(pacerMutex);
    return mainPacer.IdleBudgetUs(ClockNowUs());
}
