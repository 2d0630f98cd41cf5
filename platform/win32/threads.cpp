// Threads and waiting on std::thread; a created thread runs detached, as the
// program never waits on a thread handle.
#include <atomic>
#include <chrono>
#include <pthread.h>
#include <thread>

#include "platform/win32/stand_in_clock.h"
#include "platform/win32/test_hooks.h"
#include "platform/win32/windows.h"

struct HANDLE__ {
    DWORD threadId;
};

namespace {

std::atomic<SleepHook> sleepHook{nullptr};
std::atomic<CreateThreadHook> createThreadHook{nullptr};
std::atomic<DWORD> nextThreadId{1};

}  // namespace

void SetSleepHookForTesting(SleepHook hook) { sleepHook.store(hook); }
void SetCreateThreadHookForTesting(CreateThreadHook hook) { createThreadHook.store(hook); }

HANDLE CreateThread(SECURITY_ATTRIBUTES* /*attributes*/, size_t /*stackSize*/, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD /*flags*/, DWORD* threadId) {
    if (CreateThreadHook hook = createThreadHook.load()) {
        return hook(start, parameter);
    }
    if (start == nullptr) {
        return nullptr;
    }
    auto* handle = new HANDLE__{nextThreadId.fetch_add(1)};
    const int ticket = ClockAdmitThread();
    std::thread thread([start, parameter, ticket] {
        ClockEnterThread(ticket);
        start(parameter);
        ClockLeaveThread();
    });
    thread.detach();
    if (threadId != nullptr) {
        *threadId = handle->threadId;
    }
    return handle;
}

void ExitThread(DWORD /*exitCode*/) {
    ClockLeaveThread();
    // Unwinds the calling thread's stack and ends it, like returning from its entry.
    pthread_exit(nullptr);
}

BOOL CloseHandle(HANDLE handle) {
    delete handle;
    return TRUE;
}

void Sleep(DWORD milliseconds) {
    if (SleepHook hook = sleepHook.load()) {
        hook(milliseconds);
        return;
    }
    ClockSleepUs(int64_t{milliseconds} * 1000);
}
