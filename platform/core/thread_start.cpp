// The one way the stand-in starts a thread of its own, with its test seam.
#include "platform/core/thread_start.h"

#include <atomic>
#include <cerrno>
#include <system_error>
#include <utility>

#include "platform/core/testing.h"

namespace {

std::atomic<bool> threadStartFails{false};

}  // namespace

void SetThreadStartFailureForTesting(bool fail) { threadStartFails.store(fail); }

std::thread StartThread(std::function<void()> body) {
    if (threadStartFails.load()) {
        throw std::system_error(EAGAIN, std::generic_category(), "no thread for the stand-in");
    }
    return std::thread(std::move(body));
}
