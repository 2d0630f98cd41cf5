// How long the main loop may sleep between frames. The program polls for
// messages and starts a frame when its clock says so; the stand-in learns the
// frames' cadence from the Flips it sees and lets PeekMessageA wait for input
// until shortly before the next frame can be due, instead of waking every
// millisecond. Input still ends the wait at once. Platform-internal.
#pragma once

#include <array>
#include <cstdint>

class FramePacer {
  public:
    void NoteFlip(int64_t nowUs);
    // Microseconds from nowUs that can pass without a frame falling due: at
    // least MIN_WAIT_US, and MIN_WAIT_US until the cadence is known.
    int64_t IdleBudgetUs(int64_t nowUs) const;

    static constexpr int64_t MIN_WAIT_US = 1000;
    static constexpr int64_t MAX_WAIT_US = 100000;
    static constexpr int64_t MARGIN_US = 1500;  // wake this much before the earliest next frame

  private:
    static constexpr int HISTORY = 8;
    int64_t lastFlipUs_ = -1;
    std::array<int64_t, HISTORY> intervals_{};
    int known_ = 0;
    int next_ = 0;
};

// The main thread's pacer, on the stand-in's clock.
void NoteFramePresented();
int64_t IdleBudgetUs();
