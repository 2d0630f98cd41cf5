// The main window's full-screen state, switched by DirectDraw's cooperative level.
//
// SDL's own switch on X11 asks the window manager and then polls for up to
// 100 ms to see the window move or resize. Ours already covers the screen, so
// it never changes and every switch cost the whole 100 ms: most of the time
// from start to the first picture, and again at exit. The request itself is
// all a window manager needs (the EWMH _NET_WM_STATE protocol), so on X11 it
// is made here without the wait; other video drivers go through SDL.
#include <SDL.h>
#include <SDL_syswm.h>

#include "platform/win32/sdl_window.h"

#if defined(SDL_VIDEO_DRIVER_X11) && defined(TRELK_HAVE_XLIB)
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <vector>

namespace {

constexpr long NET_WM_STATE_REMOVE = 0;
constexpr long NET_WM_STATE_ADD = 1;

// A mapped window asks the window manager, which owns _NET_WM_STATE from then on.
void AskWindowManager(Display* display, Window window, Atom state, Atom fullscreen, bool fills) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = state;
    event.xclient.format = 32;
    event.xclient.data.l[0] = fills ? NET_WM_STATE_ADD : NET_WM_STATE_REMOVE;
    event.xclient.data.l[1] = static_cast<long>(fullscreen);
    event.xclient.data.l[3] = 1;  // a normal application
    XSendEvent(display, DefaultRootWindow(display), False, SubstructureNotifyMask | SubstructureRedirectMask,
               &event);
}

// An unmapped window states its wish in the property itself, keeping the other states.
void WriteInitialState(Display* display, Window window, Atom state, Atom fullscreen, bool fills) {
    std::vector<Atom> atoms;
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, state, 0, 64, False, XA_ATOM, &type, &format, &count, &after, &data) ==
            Success &&
        data != nullptr) {
        if (type == XA_ATOM && format == 32) {
            const auto* existing = reinterpret_cast<const Atom*>(data);
            for (unsigned long i = 0; i < count; ++i) {
                if (existing[i] != fullscreen) {
                    atoms.push_back(existing[i]);
                }
            }
        }
        XFree(data);
    }
    if (fills) {
        atoms.push_back(fullscreen);
    }
    if (atoms.empty()) {
        XDeleteProperty(display, window, state);
    } else {
        XChangeProperty(display, window, state, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(atoms.data()), static_cast<int>(atoms.size()));
    }
}

bool SwitchThroughXlib(SDL_Window* sdlWindow, bool fills) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(sdlWindow, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        return false;
    }
    Display* display = info.info.x11.display;
    const Window window = info.info.x11.window;
    const Atom state = XInternAtom(display, "_NET_WM_STATE", False);
    const Atom fullscreen = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes) != 0 && attributes.map_state != IsUnmapped) {
        AskWindowManager(display, window, state, fullscreen, fills);
    } else {
        WriteInitialState(display, window, state, fullscreen, fills);
    }
    XFlush(display);
    return true;
}

}  // namespace
#else
namespace {
bool SwitchThroughXlib(SDL_Window*, bool) { return false; }
}  // namespace
#endif

void SetWindowFillsScreen(SDL_Window* window, bool fills) {
    if (window == nullptr || SwitchThroughXlib(window, fills)) {
        return;
    }
    SDL_SetWindowFullscreen(window, fills ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
}
