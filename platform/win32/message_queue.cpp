// Per-thread message queues: posted messages first, then WM_QUIT once nothing
// is posted, then WM_TIMER for a due timer, as Windows produces them.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>

#include "platform/core/frame_pacing.h"
#include "platform/core/stand_in_clock.h"
#include "platform/core/unsupported.h"
#include "platform/win32/screen.h"
#include "platform/win32/window_registry.h"

namespace {

struct ThreadQueue {
    std::mutex mutex;
    std::condition_variable posted;
    std::deque<MSG> messages;
    bool quitPosted = false;
    int quitCode = 0;
};

std::mutex& QueuesMutex() {
    static auto* mutex = new std::mutex();
    return *mutex;
}

std::map<std::thread::id, ThreadQueue*>& Queues() {
    static auto* queues = new std::map<std::thread::id, ThreadQueue*>();  // never destroyed
    return *queues;
}

ThreadQueue& QueueOf(std::thread::id thread) {
    std::lock_guard lock(QueuesMutex());
    ThreadQueue*& queue = Queues()[thread];
    if (queue == nullptr) {
        queue = new ThreadQueue();  // lives as long as the process, like the thread's queue on Windows
    }
    return *queue;
}

ThreadQueue& OwnQueue() { return QueueOf(std::this_thread::get_id()); }

bool Matches(const MSG& msg, HWND filter, UINT filterMin, UINT filterMax) {
    if (filter != nullptr && msg.hwnd != filter) {
        return false;
    }
    if (filterMin == 0 && filterMax == 0) {
        return true;
    }
    return msg.message >= filterMin && msg.message <= filterMax;
}

MSG MakeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG msg{};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = static_cast<DWORD>(QueueClockMs());
    return msg;
}

// A due timer of a window of this thread that passes the filter.
bool TakeDueTimer(MSG* out, HWND filter, UINT filterMin, UINT filterMax, bool remove) {
    std::lock_guard lock(WindowRegistryMutex());
    uint64_t now = QueueClockMs();
    // The program has one window; an unfiltered call looks at the thread's first window.
    WindowRecord* record = filter != nullptr ? FindWindowRecord(filter) : FirstWindowOfThisThread();
    if (record == nullptr || record->owner != std::this_thread::get_id()) {
        return false;
    }
    for (WindowTimer& timer : record->timers) {
        if (timer.dueMs > now) {
            continue;
        }
        MSG msg = MakeMessage(record->handle, WM_TIMER, timer.id, reinterpret_cast<LPARAM>(timer.function));
        if (!Matches(msg, filter, filterMin, filterMax)) {
            return false;
        }
        if (remove) {
            timer.dueMs = now + timer.periodMs;  // ticks do not pile up
        }
        *out = msg;
        return true;
    }
    return false;
}

bool Retrieve(MSG* out, HWND filter, UINT filterMin, UINT filterMax, bool remove) {
    if (ThisThreadHasSdlWindows()) {
        PumpScreenInput();
    }
    ThreadQueue& queue = OwnQueue();
    {
        std::lock_guard lock(queue.mutex);
        for (auto it = queue.messages.begin(); it != queue.messages.end(); ++it) {
            if (Matches(*it, filter, filterMin, filterMax)) {
                *out = *it;
                if (remove) {
                    queue.messages.erase(it);
                }
                return true;
            }
        }
        // WM_QUIT passes every window filter.
        if (queue.quitPosted) {
            *out = MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0);
            if (remove) {
                queue.quitPosted = false;
            }
            return true;
        }
    }
    return TakeDueTimer(out, filter, filterMin, filterMax, remove);
}

// Milliseconds until this thread's first window timer is due (limit when none is sooner).
int MillisecondsToNextTimer(int limit) {
    std::lock_guard lock(WindowRegistryMutex());
    WindowRecord* record = FirstWindowOfThisThread();
    if (record == nullptr) {
        return limit;
    }
    const uint64_t now = QueueClockMs();
    int soonest = limit;
    for (const WindowTimer& timer : record->timers) {
        const uint64_t wait = timer.dueMs <= now ? 0 : timer.dueMs - now;
        soonest = static_cast<int>(std::min<uint64_t>(wait, static_cast<uint64_t>(soonest)));
    }
    return soonest;
}

// Waits up to timeoutMs for something to arrive on this thread's queue. On
// the virtual clock nothing arrives from outside: the wait is to the next
// millisecond, the finest step of the program's clocks, so that the loop sees
// every moment a perfectly fast machine would.
void WaitForInput(int timeoutMs) {
    if (ClockIsVirtual()) {
        ClockWaitUntilUs((ClockNowUs() / 1000 + 1) * 1000);
        return;
    }
    if (ThisThreadHasSdlWindows() && WaitForScreenInput(timeoutMs)) {
        return;
    }
    ThreadQueue& queue = OwnQueue();
    std::unique_lock lock(queue.mutex);
    queue.posted.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                          [&queue] { return !queue.messages.empty() || queue.quitPosted; });
}

}  // namespace

uint64_t QueueClockMs() { return static_cast<uint64_t>(ClockNowUs() / 1000); }

void DiscardMessagesFor(HWND window, std::thread::id owner) {
    ThreadQueue& queue = QueueOf(owner);
    std::lock_guard lock(queue.mutex);
    std::erase_if(queue.messages, [window](const MSG& msg) { return msg.hwnd == window; });
}

BOOL PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
    if ((removeFlags & ~PM_REMOVE) != 0) {
        ReportUnsupported("PeekMessageA flags other than PM_REMOVE");
    }
    bool remove = (removeFlags & PM_REMOVE) != 0;
    if (Retrieve(msg, window, filterMin, filterMax, remove)) {
        return TRUE;
    }
    // Nothing waiting: give the core away until input arrives, a timer falls
    // due or shortly before the next frame can be (at least a millisecond).
    const int budgetMs = static_cast<int>(IdleBudgetUs() / 1000);
    WaitForInput(std::max(1, MillisecondsToNextTimer(budgetMs)));
    return Retrieve(msg, window, filterMin, filterMax, remove) ? TRUE : FALSE;
}

BOOL GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
    for (;;) {
        if (window != nullptr && FindWindowRecord(window) == nullptr) {
            // A window that no longer exists still lets a pending WM_QUIT through.
            ThreadQueue& queue = OwnQueue();
            std::lock_guard lock(queue.mutex);
            if (!queue.quitPosted) {
                return -1;
            }
        }
        if (Retrieve(msg, window, filterMin, filterMax, true)) {
            return msg->message == WM_QUIT ? 0 : 1;
        }
        WaitForInput(5);
    }
}

// Character messages are not used by the program: translation has nothing to add.
BOOL TranslateMessage(const MSG* msg) { return msg != nullptr && msg->message == WM_KEYDOWN ? TRUE : FALSE; }

LRESULT DispatchMessageA(const MSG* msg) {
    if (msg == nullptr) {
        return 0;
    }
    if (msg->message == WM_TIMER && msg->lParam != 0) {
        reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
        return 0;
    }
    WindowRecord* record = FindWindowRecord(msg->hwnd);
    if (record == nullptr) {
        return 0;
    }
    return record->procedure(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    std::thread::id owner = std::this_thread::get_id();
    bool ownerWaitsInSdl = false;
    if (window != nullptr) {
        std::lock_guard lock(WindowRegistryMutex());
        WindowRecord* record = FindWindowRecord(window);
        if (record == nullptr) {
            return FALSE;
        }
        owner = record->owner;
        ownerWaitsInSdl = record->sdlWindow != nullptr;
    }
    ThreadQueue& queue = QueueOf(owner);
    {
        std::lock_guard lock(queue.mutex);
        queue.messages.push_back(MakeMessage(window, message, wParam, lParam));
    }
    queue.posted.notify_all();
    if (ownerWaitsInSdl && owner != std::this_thread::get_id()) {
        // Wakes the window's thread, which waits for input from the screen.
        WakeScreenInput();
    }
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    ThreadQueue& queue = OwnQueue();
    {
        std::lock_guard lock(queue.mutex);
        queue.quitPosted = true;
        queue.quitCode = exitCode;
    }
    queue.posted.notify_all();
}

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapseMs, TIMERPROC function) {
    if (window == nullptr) {
        return ReportUnsupported("SetTimer without a window", UINT_PTR{0});
    }
    std::lock_guard lock(WindowRegistryMutex());
    WindowRecord* record = FindWindowRecord(window);
    if (record == nullptr) {
        return 0;
    }
    uint64_t due = QueueClockMs() + elapseMs;
    for (WindowTimer& timer : record->timers) {
        if (timer.id == id) {  // setting an existing timer restarts it
            timer = {id, elapseMs, due, function};
            return id;
        }
    }
    record->timers.push_back({id, elapseMs, due, function});
    return id;
}

BOOL KillTimer(HWND window, UINT_PTR id) {
    std::lock_guard lock(WindowRegistryMutex());
    WindowRecord* record = FindWindowRecord(window);
    if (record == nullptr) {
        return FALSE;
    }
    return std::erase_if(record->timers, [id](const WindowTimer& timer) { return timer.id == id; }) > 0
               ? TRUE
               : FALSE;
}
