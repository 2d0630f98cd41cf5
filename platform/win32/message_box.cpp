// Message boxes as SDL message boxes; without a display the text goes to
// standard error so that nothing blocks and nothing is lost.
#include <SDL.h>

#include <atomic>
#include <cstdio>

#include "platform/win32/sdl_window.h"
#include "platform/win32/testing.h"
#include "platform/win32/windows.h"

namespace {

std::atomic<MessageBoxHook> messageBoxHook{nullptr};
std::atomic<MessageBeepHook> messageBeepHook{nullptr};

Uint32 SdlFlagsFor(UINT type) {
    switch (type & 0xF0) {
        case MB_ICONERROR:
            return SDL_MESSAGEBOX_ERROR;
        case MB_ICONWARNING:
            return SDL_MESSAGEBOX_WARNING;
        default:
            return SDL_MESSAGEBOX_INFORMATION;
    }
}

}  // namespace

void SetMessageBoxHookForTesting(MessageBoxHook hook) { messageBoxHook.store(hook); }
void SetMessageBeepHookForTesting(MessageBeepHook hook) { messageBeepHook.store(hook); }

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    if (MessageBoxHook hook = messageBoxHook.load()) {
        return hook(owner, text, caption, type);
    }
    // A null caption shows the system's default caption.
    const char* title = caption != nullptr ? caption : "Error";
    const char* body = text != nullptr ? text : "";
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0 &&
        SDL_ShowSimpleMessageBox(SdlFlagsFor(type), title, body, SdlWindowOf(owner)) == 0) {
        return IDOK;
    }
    std::fprintf(stderr, "%s: %s\n", title, body);
    return IDOK;
}

BOOL MessageBeep(UINT type) {
    if (MessageBeepHook hook = messageBeepHook.load()) {
        hook(type);
    }
    // Deliberately silent otherwise: the beeps only mark a missing font.
    return TRUE;
}
