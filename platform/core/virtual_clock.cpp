#include "platform/core/virtual_clock.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <tuple>

VirtualClock::VirtualClock() {
    auto first = std::make_unique<Participant>();
    first->state = State::Running;
    running_ = nextTicket_++;
    participants_.emplace(running_, std::move(first));
}

int64_t VirtualClock::NowUs() const {
    std::lock_guard lock(mutex_);
    return now_;
}

int VirtualClock::Admit(int rank) {
    std::lock_guard lock(mutex_);
    auto participant = std::make_unique<Participant>();
    participant->deadline = now_;
    participant->rank = rank;
    participant->order = nextOrder_++;
    const int ticket = nextTicket_++;
    participants_.emplace(ticket, std::move(participant));
    if (running_ < 0 && !dissolved_) {
        PassTurn();  // nobody held the turn (all stepped off): start at once
    }
    return ticket;
}

void VirtualClock::Enter(int ticket) {
    std::unique_lock lock(mutex_);
    AwaitTurn(lock, ticket);
}

void VirtualClock::Leave(int ticket) {
    std::lock_guard lock(mutex_);
    participants_.erase(ticket);
    if (running_ == ticket) {
        running_ = -1;
        PassTurn();
    }
}

void VirtualClock::WaitUntil(int ticket, int64_t deadlineUs) {
    std::unique_lock lock(mutex_);
    auto found = participants_.find(ticket);
    if (dissolved_ || found == participants_.end()) {
        return;
    }
    Participant& self = *found->second;
    self.state = State::Waiting;
    self.deadline = std::max(deadlineUs, now_);
    self.order = nextOrder_++;
    if (running_ == ticket) {
        running_ = -1;
        PassTurn();
    }
    AwaitTurn(lock, ticket);
}

void VirtualClock::Reschedule(int ticket, int64_t deadlineUs) {
    std::lock_guard lock(mutex_);
    auto found = participants_.find(ticket);
    if (found != participants_.end() && found->second->state == State::Waiting) {
        found->second->deadline = std::max(deadlineUs, now_);
    }
}

void VirtualClock::StepOff(int ticket) {
    std::lock_guard lock(mutex_);
    auto found = participants_.find(ticket);
    if (found == participants_.end()) {
        return;
    }
    found->second->state = State::Off;
    if (running_ == ticket) {
        running_ = -1;
        PassTurn();
    }
}

void VirtualClock::StepOn(int ticket) {
    std::unique_lock lock(mutex_);
    auto found = participants_.find(ticket);
    if (found == participants_.end()) {
        return;
    }
    Participant& self = *found->second;
    self.state = State::Waiting;
    self.deadline = now_;
    self.order = nextOrder_++;
    if (running_ < 0 && !dissolved_) {
        PassTurn();
    }
    AwaitTurn(lock, ticket);
}

void VirtualClock::Dissolve() {
    std::lock_guard lock(mutex_);
    dissolved_ = true;
    for (auto& [ticket, participant] : participants_) {
        participant->turn.notify_all();
    }
}

bool VirtualClock::Dissolved() const {
    std::lock_guard lock(mutex_);
    return dissolved_;
}

void VirtualClock::PassTurn() {
    Participant* next = nullptr;
    int nextTicket = -1;
    for (auto& [ticket, participant] : participants_) {
        if (participant->state != State::Waiting || participant->deadline == NEVER) {
            continue;
        }
        if (next == nullptr || std::tie(participant->deadline, participant->rank, participant->order) <
                                   std::tie(next->deadline, next->rank, next->order)) {
            next = participant.get();
            nextTicket = ticket;
        }
    }
    if (next == nullptr) {
        // Nobody can run: everyone waits for ever or is off the clock. Those
        // off the clock may come back; if none is, the run could never move.
        const bool anyOff = std::any_of(participants_.begin(), participants_.end(),
                                        [](const auto& entry) { return entry.second->state == State::Off; });
        if (!anyOff && !participants_.empty()) {
            std::fprintf(stderr, "trelk: every thread waits and no time is due: the capture cannot go on\n");
            std::abort();
        }
        return;
    }
    now_ = std::max(now_, next->deadline);
    next->state = State::Running;
    running_ = nextTicket;
    next->turn.notify_all();
}

void VirtualClock::AwaitTurn(std::unique_lock<std::mutex>& lock, int ticket) {
    for (;;) {
        if (dissolved_ || running_ == ticket) {
            return;
        }
        auto found = participants_.find(ticket);
        if (found == participants_.end()) {
            return;
        }
        found->second->turn.wait(lock);
    }
}
