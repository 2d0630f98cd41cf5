// Room web/: the stand-in's backend for a web page (emscripten). The program
// runs on a thread of its own; its windows are off screen, the page shows the
// frames (web_presenter), plays the sound (web_audio_output) and sends the
// keys (web_input). Includes core/, present/, win32/, dsound/, mmsystem/
// and include/.
//
// What the window code asks of a screen, in a page: the page owns the
// screen, its full-screen state and its cursor.
#include <emscripten/emscripten.h>

#include <cstdio>

#include "platform/present/presenter.h"
#include "platform/present/sdl_window.h"
#include "platform/win32/screen.h"
#include "platform/win32/window_registry.h"

SDL_Window* CreateScreenWindow(LPCSTR /*className*/, LPCSTR /*title*/, bool* /*presentsWithGpu*/) {
    // The page's windows are made off screen (web_entry.cpp): this is never reached.
    std::fprintf(stderr, "trelk: a web page has no desktop to make windows on\n");
    MarkVideoUnavailable();
    return nullptr;
}

// Every frame goes to the page's presenter (web_entry.cpp sets it in the
// off-screen presenter's place): there is no window to present in.
void PresentTarget::PresentInWindow(const FrameView& /*frame*/) {}

void ShowScreenWindow(SDL_Window* /*window*/, bool /*fullScreen*/) {}
void DestroyScreenWindow(SDL_Window* /*window*/) {}
void ApplyScreenCursor() {}
void SetWindowFillsScreen(SDL_Window* /*window*/, bool /*fills*/) {}

// Keys arrive as posted messages (web_entry.cpp): the queue's own wait sees them.
void PumpScreenInput() {}
bool WaitForScreenInput(int /*timeoutMs*/) { return false; }
void WakeScreenInput() {}

// The page shows the box over the picture; the run goes on as after OK.
bool ShowScreenMessageBox(UINT /*type*/, const char* title, const char* text, HWND /*owner*/) {
    MAIN_THREAD_ASYNC_EM_ASM(
        {
            if (Module.trelkPage) Module.trelkPage.messageBox(UTF8ToString($0), UTF8ToString($1));
        },
        title, text);
    std::fprintf(stderr, "%s: %s\n", title, text);
    return true;
}
