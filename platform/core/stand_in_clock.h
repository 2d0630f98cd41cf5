// The one clock behind every time the stand-in tells or waits on: timeGetTime,
// Sleep, window timers, the multimedia timer, the message loop's waits and the
// sound device's pace. A live run uses the system's steady clock; a capture
// switches to a virtual clock (see virtual_clock.h) before the program starts,
// on which the threads the stand-in makes take part. Platform-internal.
#pragma once

#include <cstdint>

// Microseconds since the program started.
int64_t ClockNowUs();
// Waits that long: really, or on the virtual clock.
void ClockSleepUs(int64_t microseconds);
bool ClockIsVirtual();

// Capture: the calling thread (the main thread) becomes the clock's first
// participant. Dissolving ends the virtual time, releasing every waiter.
void StartVirtualClock();
void DissolveVirtualClock();

// A thread the stand-in starts takes part in the virtual time: admitted by
// its creator before it starts (a ticket, -1 on the live clock), entered as
// the new thread's first step, left as its last. Lower ranks run first among
// threads due at the same moment.
int ClockAdmitThread(int rank = 0);
void ClockEnterThread(int ticket);
void ClockLeaveThread();
// A ticket whose thread could not be started.
void ClockDismissThread(int ticket);

// The calling thread's ticket (-1 when it takes no part).
int ClockTicket();
// Waits until the deadline; another thread may move it (ClockReschedule).
void ClockWaitUntilUs(int64_t deadlineUs);
void ClockReschedule(int ticket, int64_t deadlineUs);

// While the calling thread blocks on something other than the clock (joining
// a thread that needs the clock to end), the others go on.
class OffClock {
  public:
    OffClock();
    ~OffClock();
    OffClock(const OffClock&) = delete;
    OffClock& operator=(const OffClock&) = delete;

  private:
    int ticket_;
};
