// Message boxes as SDL message boxes, once video has started.
#include <SDL.h>

#include "platform/present/sdl_window.h"
#include "platform/win32/screen.h"

namespace {

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

bool ShowScreenMessageBox(UINT type, const char* title, const char* text, HWND owner) {
    return SDL_WasInit(SDL_INIT_VIDEO) != 0 &&
           SDL_ShowSimpleMessageBox(SdlFlagsFor(type), title, text, SdlWindowOf(owner)) == 0;
}
