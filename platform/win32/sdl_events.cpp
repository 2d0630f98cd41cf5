// SDL input to window messages: key presses become WM_KEYDOWN with virtual-key
// codes, the window manager's close (and SIGINT/SIGTERM) becomes WM_CLOSE, and
// mouse movement sends WM_SETCURSOR as Windows does. Alt+Enter switches the
// window mode; exposing or resizing the window asks the presenter to redraw.
#include <SDL.h>

#include "platform/win32/window_registry.h"

namespace {

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
    PostMessageA(window, key.type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP, static_cast<WPARAM>(virtualKey), lParam);
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

void PumpSdlEvents() {
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
                        PostMessageA(first->handle, WM_CLOSE, 0, 0);
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
