#include "platform/core/stand_in_clock.h"

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/core/virtual_clock.h"

namespace {

using Steady = std::chrono::steady_clock;
// Fixed when the program starts, so the clock counts from there.
const Steady::time_point programStart = Steady::now();

std::atomic<VirtualClock*> virtualClock{nullptr};  // never deleted: threads may still ask at exit
thread_local int threadTicket = -1;

VirtualClock* Virtual() {
    VirtualClock* clock = virtualClock.load(std::memory_order_acquire);
    return clock != nullptr && !clock->Dissolved() ? clock : nullptr;
}

}  // namespace

int64_t ClockNowUs() {
    if (VirtualClock* clock = virtualClock.load(std::memory_order_acquire)) {
        return clock->NowUs();  // a dissolved clock stands still at the capture's end
    }
    return std::chrono::duration_cast<std::chrono::microseconds>(Steady::now() - programStart).count();
}

void ClockSleepUs(int64_t microseconds) {
    VirtualClock* clock = Virtual();
    if (clock != nullptr && threadTicket >= 0) {
        clock->WaitUntil(threadTicket, clock->NowUs() + microseconds);
        return;
    }
    if (microseconds > 0) {
        std::this_thread::sleep_for(std::chrono::microseconds(microseconds));
    }
}

bool ClockIsVirtual() { return Virtual() != nullptr; }

void StartVirtualClock() {
    // An earlier capture's clock stays (a thread of that run may still ask
    // it), reachable from here, when a process captures more than once.
    static auto* earlier = new std::vector<VirtualClock*>();
    if (VirtualClock* previous = virtualClock.load()) {
        earlier->push_back(previous);
    }
    auto* clock = new VirtualClock();
    threadTicket = 0;  // the first participant
    virtualClock.store(clock, std::memory_order_release);
}

void DissolveVirtualClock() {
    if (VirtualClock* clock = virtualClock.load()) {
        clock->Dissolve();
    }
}

int ClockAdmitThread(int rank) {
    VirtualClock* clock = Virtual();
    return clock != nullptr ? clock->Admit(rank) : -1;
}

void ClockEnterThread(int ticket) {
    threadTicket = ticket;
    if (VirtualClock* clock = Virtual(); clock != nullptr && ticket >= 0) {
        clock->Enter(ticket);
    }
}

void ClockLeaveThread() {
    if (VirtualClock* clock = virtualClock.load(); clock != nullptr && threadTicket >= 0) {
        clock->Leave(threadTicket);
    }
    threadTicket = -1;
}

void ClockDismissThread(int ticket) {
    if (VirtualClock* clock = virtualClock.load(); clock != nullptr && ticket >= 0) {
        clock->Leave(ticket);
    }
}

int ClockTicket() { return threadTicket; }

void ClockWaitUntilUs(int64_t deadlineUs) {
    if (VirtualClock* clock = Virtual(); clock != nullptr && threadTicket >= 0) {
        clock->WaitUntil(threadTicket, deadlineUs);
    }
}

void ClockReschedule(int ticket, int64_t deadlineUs) {
    if (VirtualClock* clock = Virtual(); clock != nullptr && ticket >= 0) {
        clock->Reschedule(ticket, deadlineUs);
    }
}

OffClock::OffClock() : ticket_(threadTicket) {
    if (VirtualClock* clock = Virtual(); clock != nullptr && ticket_ >= 0) {
        clock->StepOff(ticket_);
    }
}

OffClock::~OffClock() {
    if (VirtualClock* clock = Virtual(); clock != nullptr && ticket_ >= 0) {
        clock->StepOn(ticket_);
    }
}
