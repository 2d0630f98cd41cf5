// Windows on the desktop through SDL: the main window is an SDL window
// covering the chosen monitor with the cursor hidden, or with --windowed a
// 640 x 480 window that can be resized.
#include "platform/present/sdl_window.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/core/stand_in_settings.h"
#include "platform/present/renderer_choice.h"
#include "platform/win32/screen.h"
#include "platform/win32/sdl_input.h"
#include "platform/win32/window_registry.h"

namespace {

// A fully transparent cursor. SDL's own hidden state is not always carried
// over to the X window, a cursor image of its own is.
void HideCursor() {
    static SDL_Cursor* blank = nullptr;
    if (blank == nullptr) {
        const Uint8 nothing[8] = {};
        blank = SDL_CreateCursor(nothing, nothing, 8, 8, 0, 0);
    }
    if (blank != nullptr) {
        SDL_SetCursor(blank);
    } else {
        SDL_ShowCursor(SDL_DISABLE);
    }
}

// No cursor over the full-screen picture; over a window, the desktop's own.
void ApplyCursor(bool fullScreen) {
    if (fullScreen) {
        HideCursor();
        return;
    }
    SDL_SetCursor(SDL_GetDefaultCursor());
    SDL_ShowCursor(SDL_ENABLE);
}

// False when SDL fell back to a video driver that shows nothing (off-screen,
// dummy), which it does when the named X display cannot be opened; a driver
// chosen on purpose with SDL_VIDEODRIVER is taken as it is.
bool OnScreenDriver() {
    const char* chosen = std::getenv("SDL_VIDEODRIVER");
    if (chosen != nullptr && chosen[0] != '\0') {
        return true;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0 &&
           std::strcmp(driver, "evdev") != 0;
}

// Starts SDL video. An X server that is busy setting up (a display just
// started, say) can refuse the first attempt, and SDL then settles for its
// off-screen driver: such a start is undone and tried again for up to a second.
bool StartVideo() {
    // With only an X display named, ask for X11 alone: probing Wayland first
    // only prints complaints.
    const char* chosen = std::getenv("SDL_VIDEODRIVER");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((chosen == nullptr || chosen[0] == '\0') && (wayland == nullptr || wayland[0] == '\0')) {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    }
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
            if (OnScreenDriver()) {
                return true;
            }
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
        }
        SDL_Delay(100);
    }
    return false;
}

bool IsWaylandDriver() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && std::strcmp(driver, "wayland") == 0;
}

// The chosen monitor, or a clear error when this desktop has no such monitor.
bool ChosenDisplayExists(int display) {
    const int displays = SDL_GetNumVideoDisplays();
    if (display < displays) {
        return true;
    }
    std::fprintf(stderr, "trelk: there is no display %d (this desktop has %d, counted from 0)\n", display,
                 displays);
    return false;
}

}  // namespace

SDL_Window* CreateScreenWindow(LPCSTR className, LPCSTR title, bool* presentsWithGpu) {
    // X11 reports the window class to the window manager and to tools such as
    // xdotool; SDL reads it when video starts.
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        setenv("SDL_VIDEO_X11_WMCLASS", className, 1);
    }
    if (!StartVideo()) {
        std::fprintf(stderr, "trelk: no display available (%s)\n", SDL_GetError());
        MarkVideoUnavailable();
        return nullptr;
    }
    if (!OnScreenDriver()) {
        const char* driver = SDL_GetCurrentVideoDriver();
        std::fprintf(stderr, "trelk: no display available (cannot open display \"%s\"; video driver %s)\n",
                     std::getenv("DISPLAY") != nullptr ? std::getenv("DISPLAY") : "",
                     driver != nullptr ? driver : "none");
        MarkVideoUnavailable();
        return nullptr;
    }
    const StandInSettings& settings = Settings();
    if (!ChosenDisplayExists(settings.display)) {
        MarkVideoUnavailable();
        return nullptr;
    }
    const bool wayland = IsWaylandDriver();
    std::string reason;
    // On Wayland even the software presenter's surface is an OpenGL ES texture
    // inside SDL: the window is made for OpenGL either way, so it is never replaced.
    const bool openGl = WindowWantsOpenGl(settings.renderer, wayland, &reason) || wayland;
    Verbose("video driver %s, %d display(s); window %s OpenGL (%s)", SDL_GetCurrentVideoDriver(),
            SDL_GetNumVideoDisplays(), openGl ? "with" : "without", reason.c_str());
    if (!wayland) {
        // The window's pixels go straight to the X server (shared memory);
        // left to itself SDL would put an OpenGL texture behind the surface.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    }
    // Focus moving to another monitor must not minimise a full-screen intro.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");

    Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI | (openGl ? SDL_WINDOW_OPENGL : 0);
    SDL_Rect bounds{0, 0, 640, 480};
    if (settings.windowed) {
        flags |= SDL_WINDOW_RESIZABLE;
        bounds.x = static_cast<int>(SDL_WINDOWPOS_CENTERED_DISPLAY(settings.display));
        bounds.y = bounds.x;
    } else {
        flags |= SDL_WINDOW_BORDERLESS;
        SDL_GetDisplayBounds(settings.display, &bounds);
    }
    SDL_Window* window =
        SDL_CreateWindow(title != nullptr ? title : "", bounds.x, bounds.y, bounds.w, bounds.h, flags);
    if (window == nullptr) {
        std::fprintf(stderr, "trelk: cannot make the window: %s\n", SDL_GetError());
        return nullptr;
    }
    *presentsWithGpu = openGl && settings.renderer != RendererChoice::Software &&
                       SetUpGpuRenderer(window, settings.renderer, wayland);
    if (!openGl || settings.renderer == RendererChoice::Software) {
        Verbose("presenting in software (%s)", reason.c_str());  // else SetUpGpuRenderer said why
    }
    ApplyCursor(!settings.windowed);
    return window;
}

void ShowScreenWindow(SDL_Window* window, bool fullScreen) {
    if (fullScreen) {
        SetWindowFillsScreen(window, true);  // full screen from the moment it is mapped
    }
    SDL_ShowWindow(window);
    SDL_RaiseWindow(window);
    ApplyCursor(fullScreen);
}

void DestroyScreenWindow(SDL_Window* window) { SDL_DestroyWindow(window); }

void ApplyScreenCursor() {
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
        WindowRecord* record = FirstWindowOfThisThread();
        ApplyCursor(record == nullptr || record->fullScreen);
    }
}

void ToggleWindowMode(WindowRecord* record) {
    if (record == nullptr || record->sdlWindow == nullptr) {
        return;
    }
    record->fullScreen = !record->fullScreen;
    record->repaint = true;
    SwitchSdlWindowMode(record->sdlWindow, record->fullScreen);
    ApplyCursor(record->fullScreen);
}
