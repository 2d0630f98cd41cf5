// The stand-in's clocks: the virtual clock of a capture, and the pacing that
// lets the live message loop sleep between frames.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/frame_pacing.h"
#include "platform/core/virtual_clock.h"

namespace {

// Three participants step through their own deadlines; what they see is
// logged as "name@time", and must be the same order on every run.
std::vector<std::string> RunParticipants() {
    VirtualClock clock;  // this thread is the first participant
    std::mutex mutex;
    std::vector<std::string> seen;
    auto note = [&](const std::string& name) {
        std::lock_guard lock(mutex);
        seen.push_back(name + "@" + std::to_string(clock.NowUs()));
    };
    auto participant = [&](int ticket, std::string name, int64_t step) {
        clock.Enter(ticket);
        for (int64_t t = step; t <= 30; t += step) {
            clock.WaitUntil(ticket, t);
            note(name);
        }
        clock.Leave(ticket);
    };
    const int a = clock.Admit();
    const int b = clock.Admit(1);  // after a at equal moments
    std::thread first(participant, a, "a", 10);
    std::thread second(participant, b, "b", 15);
    clock.WaitUntil(0, 20);
    note("main");
    {
        // Off the clock while joining: the others run on to their end.
        clock.StepOff(0);
        first.join();
        second.join();
        clock.StepOn(0);
    }
    note("main");
    clock.Leave(0);
    return seen;
}

TEST(VirtualClock, ParticipantsTakeTurnsInDeadlineOrderAndTimeJumpsBetween) {
    const std::vector<std::string> expected = {"a@10", "b@15", "main@20", "a@20", "a@30", "b@30", "main@30"};
    for (int run = 0; run < 20; ++run) {
        ASSERT_EQ(RunParticipants(), expected) << "run " << run;
    }
}

TEST(VirtualClock, RescheduledAndDissolvedWaitsReturn) {
    VirtualClock clock;
    const int timer = clock.Admit();
    std::thread waiter([&] {
        clock.Enter(timer);
        clock.WaitUntil(timer, VirtualClock::NEVER);  // until rescheduled
        EXPECT_EQ(clock.NowUs(), 50);
        clock.WaitUntil(timer, 1000000);  // until the clock is dissolved
        clock.Leave(timer);
    });
    clock.WaitUntil(0, 5);
    clock.Reschedule(timer, 50);
    clock.WaitUntil(0, 60);
    EXPECT_EQ(clock.NowUs(), 60);
    clock.Dissolve();
    waiter.join();
    clock.WaitUntil(0, 2000000);  // returns at once
    EXPECT_EQ(clock.NowUs(), 60);
}

TEST(FramePacer, SleepsUntilShortlyBeforeTheNextFrameOnceTheCadenceIsKnown) {
    FramePacer pacer;
    EXPECT_EQ(pacer.IdleBudgetUs(0), FramePacer::MIN_WAIT_US);
    int64_t flip = 0;
    for (int frame = 0; frame < 3; ++frame, flip += 41000) {
        EXPECT_EQ(pacer.IdleBudgetUs(flip), FramePacer::MIN_WAIT_US) << "cadence not yet known";
        pacer.NoteFlip(flip);
    }
    pacer.NoteFlip(flip);  // 41 ms apart, four times
    EXPECT_EQ(pacer.IdleBudgetUs(flip + 1000), 41000 - FramePacer::MARGIN_US - 1000);
    EXPECT_EQ(pacer.IdleBudgetUs(flip + 40000), FramePacer::MIN_WAIT_US) << "due soon: poll";
    pacer.NoteFlip(flip + 20000);  // a shorter interval: never sleep past it
    EXPECT_EQ(pacer.IdleBudgetUs(flip + 20000), 20000 - FramePacer::MARGIN_US);
}

}  // namespace
