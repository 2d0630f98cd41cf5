// The multimedia timer: timer capabilities, periods, and timer events run on
// one timer thread of our own.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/mmsystem/mmsystem.h"
#include "platform/mmsystem/timer_seam.h"
#include "platform/win32/thread_start.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr UINT PERIOD_MIN = 1;
constexpr UINT PERIOD_MAX = 65535;
// How long the end of the program waits for a running callback before it
// leaves the timer thread behind rather than hang.
constexpr auto EXIT_WAIT = std::chrono::seconds(1);

std::atomic<MultimediaTimerForTesting*> fakeTimer{nullptr};

struct TimerEvent {
    UINT id;
    Clock::duration period;
    LPTIMECALLBACK callback;
    DWORD_PTR user;
    bool periodic;
    Clock::time_point due;
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
            thread_ = StartThread([this] { Run(); });
        }
        UINT id = nextId_++;
        if (nextId_ == 0) {
            nextId_ = 1;
        }
        auto period = std::chrono::milliseconds(delay);
        events_.push_back(TimerEvent{id, period, callback, user, periodic, Clock::now() + period});
        wake_.notify_all();
        return id;
    }

    MMRESULT Remove(UINT id) {
        std::lock_guard lock(mutex_);
        auto found = std::find_if(events_.begin(), events_.end(), [id](const TimerEvent& e) { return e.id == id; });
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
        bool idle = wake_.wait_for(lock, EXIT_WAIT, [this] { return !inCallback_; });
        lock.unlock();
        if (!thread_.joinable()) {
            return;
        }
        if (idle) {
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
                wake_.wait(lock);
                continue;
            }
            auto next = std::min_element(events_.begin(), events_.end(),
                                         [](const TimerEvent& a, const TimerEvent& b) { return a.due < b.due; });
            if (const Clock::time_point due = next->due; Clock::now() < due) {
                // A copy: events added or removed meanwhile move the list, and
                // the wait reads its deadline again when it wakes.
                wake_.wait_until(lock, due);
                continue;
            }
            TimerEvent event = *next;
            if (event.periodic) {
                next->due += event.period;  // a late event catches up back to back
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

    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<TimerEvent> events_;
    std::thread thread_;
    UINT nextId_ = 1;
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
