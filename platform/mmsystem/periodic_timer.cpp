// The multimedia timer: timer capabilities, periods, and timer events run on
// one timer thread of our own.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/core/stand_in_clock.h"
#include "platform/core/thread_start.h"
#include "platform/core/unsupported.h"
#include "platform/mmsystem/mmsystem.h"
#include "platform/mmsystem/testing.h"
#include "platform/mmsystem/timer_thread.h"

namespace {

constexpr UINT PERIOD_MIN = 1;
constexpr UINT PERIOD_MAX = 65535;
// How long the end of the program waits for a running callback before it
// leaves the timer thread behind rather than hang.
constexpr auto EXIT_WAIT = std::chrono::seconds(1);

std::atomic<MultimediaTimerForTesting*> fakeTimer{nullptr};

struct TimerEvent {
    UINT id;
    int64_t periodUs;
    LPTIMECALLBACK callback;
    DWORD_PTR user;
    bool periodic;
    int64_t dueUs;  // on the stand-in's clock
};

// Never deleted: a timer thread left running at exit may still reach it.
class TimerThread {
  public:
    UINT Add(UINT delay, LPTIMECALLBACK callback, DWORD_PTR user, bool periodic) {
        std::lock_guard lock(mutex_);
        if (closed_) {
            return 0;
        }
        if (!thread_.joinable()) {
            ticket_ = ClockAdmitThread();
            try {
                thread_ = StartThread([this, ticket = ticket_] {
                    ClockEnterThread(ticket);
                    Run();
                    ClockLeaveThread();
                });
            } catch (const std::exception&) {
                ClockDismissThread(ticket_);
                ticket_ = -1;
                throw;
            }
        }
        UINT id = nextId_++;
        if (nextId_ == 0) {
            nextId_ = 1;
        }
        const int64_t period = int64_t{delay} * 1000;
        events_.push_back(TimerEvent{id, period, callback, user, periodic, ClockNowUs() + period});
        wake_.notify_all();
        ClockReschedule(ticket_, NextDueUs());  // on the virtual clock the thread waits there
        return id;
    }

    MMRESULT Remove(UINT id) {
        std::lock_guard lock(mutex_);
        auto found =
            std::find_if(events_.begin(), events_.end(), [id](const TimerEvent& e) { return e.id == id; });
        if (found == events_.end()) {
            return MMSYSERR_INVALPARAM;
        }
        events_.erase(found);  // a callback already running is not waited for
        return TIMERR_NOERROR;
    }

    // At the end of the program: no more events; join the thread unless a
    // callback is still running (it may be blocked on something that never
    // comes), in which case the thread is left to the process's end.
    void Close() {
        std::unique_lock lock(mutex_);
        closed_ = true;
        events_.clear();
        wake_.notify_all();
        ClockReschedule(ticket_, ClockNowUs());
        bool idle = wake_.wait_for(lock, EXIT_WAIT, [this] { return !inCallback_; });
        lock.unlock();
        if (!thread_.joinable()) {
            return;
        }
        if (idle) {
            OffClock joining;  // the timer thread needs the clock to see that it is closed
            thread_.join();
        } else {
            thread_.detach();
        }
    }

  private:
    void Run() {
        std::unique_lock lock(mutex_);
        while (!closed_) {
            if (events_.empty()) {
                WaitUntil(lock, NO_EVENT);
                continue;
            }
            auto next =
                std::min_element(events_.begin(), events_.end(),
                                 [](const TimerEvent& a, const TimerEvent& b) { return a.dueUs < b.dueUs; });
            if (const int64_t due = next->dueUs; ClockNowUs() < due) {
                // A copy: events added or removed meanwhile move the list, and
                // the wait reads its deadline again when it wakes.
                WaitUntil(lock, due);
                continue;
            }
            TimerEvent event = *next;
            if (event.periodic) {
                next->dueUs += event.periodUs;  // a late event catches up back to back
            } else {
                events_.erase(next);
            }
            inCallback_ = true;
            lock.unlock();
            event.callback(event.id, 0, event.user, 0, 0);
            lock.lock();
            inCallback_ = false;
            wake_.notify_all();
        }
    }

    static constexpr int64_t NO_EVENT = INT64_MAX;

    int64_t NextDueUs() const {
        int64_t next = NO_EVENT;
        for (const TimerEvent& event : events_) {
            next = std::min(next, event.dueUs);
        }
        return next;
    }

    // On the virtual clock the thread gives its turn away until the event
    // (Add moves that deadline); on the live clock it waits on wake_.
    void WaitUntil(std::unique_lock<std::mutex>& lock, int64_t dueUs) {
        if (ClockIsVirtual() && ticket_ >= 0) {
            lock.unlock();
            ClockWaitUntilUs(dueUs);
            lock.lock();
        } else if (dueUs == NO_EVENT) {
            wake_.wait(lock);
        } else {
            wake_.wait_for(lock, std::chrono::microseconds(dueUs - ClockNowUs()));
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<TimerEvent> events_;
    std::thread thread_;
    UINT nextId_ = 1;
    int ticket_ = -1;  // the thread's place on the virtual clock
    bool inCallback_ = false;
    bool closed_ = false;
};

TimerThread& TheTimerThread() {
    static TimerThread* timer = new TimerThread();
    return *timer;
}

// Stops the timer thread when the program ends.
struct TimerThreadCloser {
    TimerThreadCloser() { TheTimerThread(); }
    ~TimerThreadCloser() { TheTimerThread().Close(); }
    TimerThreadCloser(const TimerThreadCloser&) = delete;
    TimerThreadCloser& operator=(const TimerThreadCloser&) = delete;
};

void EnsureCloser() { static TimerThreadCloser closer; }

struct PeriodRequests {
    std::mutex mutex;
    std::map<UINT, int> counts;
};

PeriodRequests& ThePeriodRequests() {
    static PeriodRequests requests;
    return requests;
}

}  // namespace

void CloseTimerThread() { TheTimerThread().Close(); }

void SetMultimediaTimerForTesting(MultimediaTimerForTesting* fake) { fakeTimer.store(fake); }

MMRESULT timeGetDevCaps(TIMECAPS* caps, UINT size) {
    if (caps == nullptr || size != sizeof(TIMECAPS)) {
        return TIMERR_NOCANDO;
    }
    caps->wPeriodMin = PERIOD_MIN;
    caps->wPeriodMax = PERIOD_MAX;
    return TIMERR_NOERROR;
}

// The timer thread already waits as precisely as the system allows, so the
// periods are only counted, to check that every end matches a begin.
MMRESULT timeBeginPeriod(UINT period) {
    if (period < PERIOD_MIN || period > PERIOD_MAX) {
        return TIMERR_NOCANDO;
    }
    PeriodRequests& requests = ThePeriodRequests();
    std::lock_guard lock(requests.mutex);
    ++requests.counts[period];
    return TIMERR_NOERROR;
}

MMRESULT timeEndPeriod(UINT period) {
    PeriodRequests& requests = ThePeriodRequests();
    std::lock_guard lock(requests.mutex);
    auto found = requests.counts.find(period);
    if (found == requests.counts.end()) {
        return TIMERR_NOCANDO;
    }
    if (--found->second == 0) {
        requests.counts.erase(found);
    }
    return TIMERR_NOERROR;
}

UINT timeSetEvent(UINT delay, UINT resolution, LPTIMECALLBACK callback, DWORD_PTR user, UINT flags) {
    if (MultimediaTimerForTesting* fake = fakeTimer.load()) {
        return fake->SetEvent(delay, resolution, callback, user, flags);
    }
    if (callback == nullptr || delay < PERIOD_MIN || delay > PERIOD_MAX) {
        return 0;
    }
    if ((flags & ~TIME_PERIODIC) != 0) {
        ReportUnsupported("timeSetEvent flags other than TIME_PERIODIC (callbacks are functions)");
    }
    // No exception leaves the interface: a timer thread (or an event record)
    // that cannot be had makes the event fail, with 0.
    try {
        EnsureCloser();
        return TheTimerThread().Add(delay, callback, user, (flags & TIME_PERIODIC) != 0);
    } catch (const std::exception&) {
        return 0;
    }
}

MMRESULT timeKillEvent(UINT timerId) {
    if (MultimediaTimerForTesting* fake = fakeTimer.load()) {
        return fake->KillEvent(timerId);
    }
    if (timerId == 0) {
        return MMSYSERR_INVALPARAM;
    }
    return TheTimerThread().Remove(timerId);
}
