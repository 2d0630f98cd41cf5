// SDL input to window messages: key presses become WM_KEYDOWN with virtual-key
// codes, the window manager's close (and SIGINT/SIGTERM) becomes WM_CLOSE, and
// mouse movement sends WM_SETCURSOR as Windows does. Alt+Enter switches the
// window mode; exposing or resizing the window asks the presenter to redraw.
#include <SDL.h>
#include <SDL_syswm.h>

#include <atomic>
#include <cstdio>

#include "platform/win32/screen.h"
#include "platform/win32/sdl_input.h"
#include "platform/win32/window_registry.h"

#if defined(SDL_VIDEO_DRIVER_WAYLAND) && defined(TRELK_HAVE_WAYLAND)
#include <poll.h>
#include <sys/eventfd.h>
#include <wayland-client-core.h>
#endif

namespace {

// SDL reports a Wayland compositor that went away as a request to quit; the
// run must then end as a failure, as it does when an X server goes away.
bool DisplayConnectionLost(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_WAYLAND) && defined(TRELK_HAVE_WAYLAND)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window != nullptr && SDL_GetWindowWMInfo(window, &info) == SDL_TRUE &&
        info.subsystem == SDL_SYSWM_WAYLAND) {
        return wl_display_get_error(info.info.wl.display) != 0;
    }
#else
    (void)window;
#endif
    return false;
}

// SDL's Wayland connection of a window, or null on any other display.
#if defined(SDL_VIDEO_DRIVER_WAYLAND) && defined(TRELK_HAVE_WAYLAND)
wl_display* WaylandDisplayOf(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window != nullptr && SDL_GetWindowWMInfo(window, &info) == SDL_TRUE &&
        info.subsystem == SDL_SYSWM_WAYLAND) {
        return info.info.wl.display;
    }
    return nullptr;
}
#endif

// The compositor hung up on SDL's connection. Debian 13's default libdecor
// plugin (GTK's) ends the whole process with _exit(1) as soon as it notices
// that, which it does whenever SDL pumps events or wakes from a wait; so on
// Wayland the stand-in waits on the connection itself, looks for the hang-up
// before SDL is asked, and asks SDL nothing more after it.
bool WaylandHungUp(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_WAYLAND) && defined(TRELK_HAVE_WAYLAND)
    if (wl_display* display = WaylandDisplayOf(window)) {
        pollfd connection{wl_display_get_fd(display), 0, 0};
        return wl_display_get_error(display) != 0 ||
               (poll(&connection, 1, 0) == 1 && (connection.revents & (POLLHUP | POLLERR)) != 0);
    }
#else
    (void)window;
#endif
    return false;
}

std::atomic<bool> displayGone{false};

// The run ends as a failure, as it does when an X server goes away.
void EndForLostDisplay(WindowRecord* first) {
    std::fprintf(stderr, "trelk: the connection to the display was lost\n");
    MarkVideoUnavailable();
    PostMessageA(first->handle, WM_CLOSE, 0, 0);
}

HWND TargetWindow(uint32_t sdlWindowId) {
    if (WindowRecord* record = FindWindowBySdlId(sdlWindowId)) {
        return record->handle;
    }
    WindowRecord* first = FirstWindowOfThisThread();
    return first != nullptr ? first->handle : nullptr;
}

void PostKey(const SDL_KeyboardEvent& key) {
    int virtualKey = VirtualKeyFromSdl(key.keysym.sym);
    HWND window = TargetWindow(key.windowID);
    if (virtualKey == 0 || window == nullptr) {
        return;
    }
    // lParam: repeat count 1, scan code in bits 16-23, bit 30 set for auto-repeat.
    LPARAM lParam = 1 | ((static_cast<LPARAM>(key.keysym.scancode) & 0xFF) << 16);
    if (key.repeat != 0) {
        lParam |= LPARAM{1} << 30;
    }
    PostMessageA(window, key.type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP, static_cast<WPARAM>(virtualKey),
                 lParam);
}

void SendSetCursor(uint32_t sdlWindowId) {
    WindowRecord* record = FindWindowBySdlId(sdlWindowId);
    if (record != nullptr) {
        // HTCLIENT (1) in the low word, the mouse message in the high word.
        record->procedure(record->handle, WM_SETCURSOR, reinterpret_cast<WPARAM>(record->handle),
                          1 | (0x0200 << 16));
    }
}

}  // namespace

bool SdlDisplayGone() {
    if (!displayGone.load()) {
        WindowRecord* first = FirstWindowOfThisThread();
        if (first != nullptr && WaylandHungUp(first->sdlWindow)) {
            displayGone.store(true);
            EndForLostDisplay(first);
        }
    }
    return displayGone.load();
}

#if defined(SDL_VIDEO_DRIVER_WAYLAND) && defined(TRELK_HAVE_WAYLAND)
namespace {
// Written by other threads' posts to wake a wait on the Wayland connection.
int WakeFd() {
    static const int fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    return fd;
}
}  // namespace
#endif

void WakeWaylandWait() {
#if defined(SDL_VIDEO_DRIVER_WAYLAND) && defined(TRELK_HAVE_WAYLAND)
    if (WakeFd() >= 0) {
        eventfd_write(WakeFd(), 1);
    }
#endif
}

bool WaitOnWaylandConnection(int timeoutMs) {
#if defined(SDL_VIDEO_DRIVER_WAYLAND) && defined(TRELK_HAVE_WAYLAND)
    WindowRecord* first = FirstWindowOfThisThread();
    wl_display* display = first != nullptr ? WaylandDisplayOf(first->sdlWindow) : nullptr;
    if (display == nullptr || WakeFd() < 0) {
        return false;
    }
    // Events already read but not handed out: no wait.
    if (wl_display_prepare_read(display) != 0) {
        return true;
    }
    wl_display_flush(display);
    pollfd waits[2] = {{wl_display_get_fd(display), POLLIN, 0}, {WakeFd(), POLLIN, 0}};
    poll(waits, 2, timeoutMs);
    // SDL reads the connection itself when it is next pumped.
    wl_display_cancel_read(display);
    eventfd_t ignored = 0;
    eventfd_read(WakeFd(), &ignored);
    return true;
#else
    (void)timeoutMs;
    return false;
#endif
}

void PumpScreenInput() {
    if (SdlDisplayGone()) {
        return;
    }
    SDL_Event event;
    bool closeSent = false;
    while (SDL_PollEvent(&event) != 0) {
        switch (event.type) {
            case SDL_KEYDOWN:
                if (event.key.keysym.sym == SDLK_RETURN && (event.key.keysym.mod & KMOD_ALT) != 0) {
                    // Alt+Enter belongs to the stand-in: full screen or a window.
                    if (event.key.repeat == 0) {
                        ToggleWindowMode(FindWindowBySdlId(event.key.windowID));
                    }
                    break;
                }
                PostKey(event.key);
                break;
            case SDL_KEYUP:
                PostKey(event.key);
                break;
            case SDL_WINDOWEVENT:
                if (event.window.event == SDL_WINDOWEVENT_EXPOSED ||
                    event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                    if (WindowRecord* record = FindWindowBySdlId(event.window.windowID)) {
                        record->repaint = true;
                    }
                }
                if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
                    if (HWND window = TargetWindow(event.window.windowID)) {
                        PostMessageA(window, WM_CLOSE, 0, 0);
                        closeSent = true;
                    }
                }
                break;
            case SDL_QUIT:
                if (!closeSent) {
                    if (WindowRecord* first = FirstWindowOfThisThread()) {
                        if (DisplayConnectionLost(first->sdlWindow)) {
                            displayGone.store(true);
                            EndForLostDisplay(first);
                        } else {
                            PostMessageA(first->handle, WM_CLOSE, 0, 0);
                        }
                        closeSent = true;
                    }
                }
                break;
            case SDL_MOUSEMOTION:
                SendSetCursor(event.motion.windowID);
                break;
            default:
                break;
        }
    }
}

bool WaitForScreenInput(int timeoutMs) {
    if (SdlDisplayGone()) {
        return false;
    }
    if (!WaitOnWaylandConnection(timeoutMs)) {
        SDL_WaitEventTimeout(nullptr, timeoutMs);
    }
    return true;
}

void WakeScreenInput() {
    SDL_Event wake{};
    wake.type = SDL_USEREVENT;
    SDL_PushEvent(&wake);
    WakeWaylandWait();
}

WindowRecord* FindWindowBySdlId(uint32_t sdlWindowId) {
    return FindWindowOfSdlWindow(SDL_GetWindowFromID(sdlWindowId));
}
