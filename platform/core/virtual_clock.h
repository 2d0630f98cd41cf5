// A clock that moves on only when every thread taking part waits on it: the
// time of a capture. One participant runs at a time (it holds the turn); when
// it waits, the turn goes to the waiting participant with the earliest
// deadline (then the lowest rank, then the earliest to wait), and the clock
// jumps to that deadline. So a run is the same however fast the machine is
// and however the system schedules its threads: deterministic, and as fast as
// the work allows. Platform-internal; every member is thread-safe.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <mutex>

class VirtualClock {
  public:
    static constexpr int64_t NEVER = std::numeric_limits<int64_t>::max();

    // The calling thread becomes the first participant and holds the turn.
    VirtualClock();
    VirtualClock(const VirtualClock&) = delete;
    VirtualClock& operator=(const VirtualClock&) = delete;

    int64_t NowUs() const;

    // A thread about to be started takes part from now on: it is waiting to
    // run at the present time. Lower ranks run first among equal deadlines.
    int Admit(int rank = 0);
    // The admitted thread, once running: waits for its turn.
    void Enter(int ticket);
    // The participant is done (its thread ends): the turn goes on.
    void Leave(int ticket);
    // Gives the turn away until deadlineUs (NEVER: until rescheduled).
    void WaitUntil(int ticket, int64_t deadlineUs);
    // Moves a waiting participant's deadline (a timer thread given an earlier event).
    void Reschedule(int ticket, int64_t deadlineUs);
    // The participant blocks on something other than the clock (joining a
    // thread): it gives the turn away without a deadline and takes part again
    // at the present time once it comes back.
    void StepOff(int ticket);
    void StepOn(int ticket);

    // Ends the virtual time: every wait returns at once from now on.
    void Dissolve();
    bool Dissolved() const;

  private:
    enum class State { Running, Waiting, Off };
    struct Participant {
        State state = State::Waiting;
        int64_t deadline = 0;
        int rank = 0;
        uint64_t order = 0;
        std::condition_variable turn;
    };

    void PassTurn();  // with mutex_ held, from the participant that had the turn
    void AwaitTurn(std::unique_lock<std::mutex>& lock, int ticket);

    mutable std::mutex mutex_;
    std::map<int, std::unique_ptr<Participant>> participants_;
    int64_t now_ = 0;
    int running_ = -1;
    int nextTicket_ = 0;
    uint64_t nextOrder_ = 0;
    bool dissolved_ = false;
};
