// Threads and waiting on std::thread; a created thread runs detached, as the
// program never waits on a thread handle.
#include <pthread.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <exception>
#include <memory>
#include <system_error>
#include <thread>

#include "platform/core/stand_in_clock.h"
#include "platform/core/thread_start.h"
#include "platform/core/unsupported.h"
#include "platform/win32/testing.h"
#include "platform/win32/windows.h"

struct HANDLE__ {
    DWORD threadId;
};

namespace {

std::atomic<SleepHook> sleepHook{nullptr};
std::atomic<DWORD> nextThreadId{1};

}  // namespace

void SetSleepHookForTesting(SleepHook hook) { sleepHook.store(hook); }

HANDLE CreateThread(SECURITY_ATTRIBUTES* attributes, size_t stackSize, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD flags, DWORD* threadId) {
    if (attributes != nullptr) {
        ReportUnsupported("CreateThread security attributes");
    }
    if (stackSize != 0) {
        ReportUnsupported("CreateThread stack sizes (the system's default is used)");
    }
    if (flags != 0) {
        ReportUnsupported("CreateThread flags (threads start at once)");
    }
    if (start == nullptr) {
        return nullptr;
    }
    // No exception leaves the interface: a thread or a handle that cannot be
    // had is a null handle, as on Windows, and the caller's failure path runs.
    try {
        auto handle = std::make_unique<HANDLE__>(HANDLE__{nextThreadId.fetch_add(1)});
        const int ticket = ClockAdmitThread();
        try {
            StartThread([start, parameter, ticket] {
                ClockEnterThread(ticket);
                start(parameter);
                ClockLeaveThread();
            }).detach();
        } catch (const std::exception&) {
            ClockDismissThread(ticket);
            throw;
        }
        if (threadId != nullptr) {
            *threadId = handle->threadId;
        }
        return handle.release();
    } catch (const std::exception&) {
        return nullptr;
    }
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
