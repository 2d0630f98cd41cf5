// The main window's full-screen state, switched by DirectDraw's cooperative level.
//
// SDL's own switch on X11 asks the window manager and then polls for up to
// 100 ms to see the window move or resize. Ours already covers the screen, so
// it never changes and every switch cost the whole 100 ms: most of the time
// from start to the first picture, and again at exit. The request itself is
// all a window manager needs (the EWMH _NET_WM_STATE protocol), so on X11 a
// shown window makes it here without the wait; everything else goes through SDL.
//
// A window not shown yet carries its state in its own _NET_WM_STATE, which the
// window manager reads when it maps the window. The full-screen window is marked
// so before it is first shown: it is then full screen from the start on the
// monitor it was placed on. A request that only comes once the window is shown
// leaves the choice of monitor to the window manager, and Weston's X window
// manager, busy mapping the window, lets it cover a monitor without being full
// screen (its panel stays on top) or fills the monitor under the pointer.
#include <SDL.h>
#include <SDL_syswm.h>

#include "platform/present/sdl_window.h"

#if defined(SDL_VIDEO_DRIVER_X11) && defined(TRELK_HAVE_XLIB)
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <vector>

namespace {

constexpr long NET_WM_STATE_REMOVE = 0;
constexpr long NET_WM_STATE_ADD = 1;

// A shown window asks the window manager, which owns _NET_WM_STATE from then on.
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

// A window not shown yet: its own property, the other states in it kept.
void SetInitialState(Display* display, Window window, Atom state, Atom fullscreen, bool fills) {
    std::vector<Atom> atoms;
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, state, 0, 64, False, XA_ATOM, &type, &format, &count, &after,
                           &data) == Success &&
        data != nullptr) {
        const Atom* listed = reinterpret_cast<const Atom*>(data);
        for (unsigned long i = 0; format == 32 && i < count; ++i) {
            if (listed[i] != fullscreen) {
                atoms.push_back(listed[i]);
            }
        }
        XFree(data);
    }
    if (fills) {
        atoms.push_back(fullscreen);
    }
    XChangeProperty(display, window, state, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(atoms.data()), static_cast<int>(atoms.size()));
}

bool SwitchThroughXlib(SDL_Window* sdlWindow, bool fills) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(sdlWindow, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
        return false;
    }
    Display* display = info.info.x11.display;
    const Window window = info.info.x11.window;
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes) == 0) {
        return false;
    }
    const Atom state = XInternAtom(display, "_NET_WM_STATE", False);
    const Atom fullscreen = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
    if (attributes.map_state == IsUnmapped) {
        SetInitialState(display, window, state, fullscreen, fills);
    } else {
        AskWindowManager(display, window, state, fullscreen, fills);
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

namespace {

void AskForFullScreen(SDL_Window* window, bool fills) {
    if (!SwitchThroughXlib(window, fills)) {
        SDL_SetWindowFullscreen(window, fills ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    }
}

}  // namespace

void SetWindowFillsScreen(SDL_Window* window, bool fills) {
    if (window == nullptr || (fills && !WindowWantsFullScreen(window))) {
        return;
    }
    AskForFullScreen(window, fills);
}

void SwitchSdlWindowMode(SDL_Window* window, bool fullScreen) {
    int display = SDL_GetWindowDisplayIndex(window);
    SDL_Rect bounds{0, 0, 640, 480};
    SDL_GetDisplayBounds(display < 0 ? 0 : display, &bounds);
    if (fullScreen) {
        // Sized to the monitor first, so that without a window manager (or
        // before it answers) the window covers it all the same.
        SDL_SetWindowResizable(window, SDL_FALSE);
        SDL_SetWindowBordered(window, SDL_FALSE);
        SDL_SetWindowPosition(window, bounds.x, bounds.y);
        SDL_SetWindowSize(window, bounds.w, bounds.h);
        AskForFullScreen(window, true);
        return;
    }
    AskForFullScreen(window, false);
    SDL_SetWindowBordered(window, SDL_TRUE);
    SDL_SetWindowResizable(window, SDL_TRUE);
    SDL_SetWindowSize(window, 640, 480);
    SDL_SetWindowPosition(window, bounds.x + (bounds.w - 640) / 2, bounds.y + (bounds.h - 480) / 2);
}
