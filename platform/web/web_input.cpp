#include "platform/web/web_input.h"

#include <emscripten/emscripten.h>
#include <emscripten/threading.h>

#include "platform/core/thread_start.h"
#include "platform/win32/windows.h"

void PostKeyEvent(uint32_t event) {
    const int virtualKey = static_cast<int>(event & 0xFF);
    HWND window = GetForegroundWindow();
    if (window == nullptr || virtualKey == 0) {
        return;
    }
    // lParam as on the desktop: repeat count 1, bit 30 set for auto-repeat.
    LPARAM lParam = 1;
    if ((event & KEY_EVENT_REPEAT) != 0) {
        lParam |= LPARAM{1} << 30;
    }
    PostMessageA(window, (event & KEY_EVENT_DOWN) != 0 ? WM_KEYDOWN : WM_KEYUP,
                 static_cast<WPARAM>(virtualKey), lParam);
}

WebInput::WebInput() {
    MAIN_THREAD_EM_ASM(
        {
            if (Module.trelkPage)
                Module.trelkPage.attachKeys({heap32 : HEAP32, written : $0, events : $1, size : $2});
        },
        &ring_.written, ring_.events, KeyRing::SIZE);
    thread_ = StartThread([this] { Run(); });
}

WebInput::~WebInput() {
    MAIN_THREAD_EM_ASM({
        if (Module.trelkPage) Module.trelkPage.detachKeys();
    });
    stop_.store(true);
    emscripten_futex_wake(&ring_.written, 1);
    thread_.join();
}

void WebInput::Run() {
    int32_t read = 0;
    while (!stop_.load()) {
        const int32_t written = ring_.written.load();
        if (written == read) {
            // Woken by the page's Atomics.notify, by the destructor, or after a while to look again.
            emscripten_futex_wait(&ring_.written, static_cast<uint32_t>(written), 250.0);
            continue;
        }
        // A page more than a ring ahead has lost the oldest keys.
        if (written - read > static_cast<int32_t>(KeyRing::SIZE)) {
            read = written - static_cast<int32_t>(KeyRing::SIZE);
        }
        for (; read != written; ++read) {
            PostKeyEvent(ring_.events[static_cast<uint32_t>(read) % KeyRing::SIZE]);
        }
    }
}
