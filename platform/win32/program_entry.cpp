#include "platform/win32/program_entry.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

namespace {

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

// True when a window can be shown. SDL would otherwise settle for an
// off-screen or console video driver and the intro would run unseen.
bool DisplayAvailable() {
#if defined(__unix__) && !defined(__ANDROID__)
    if (!IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY") && !IsSet("SDL_VIDEODRIVER")) {
        std::fprintf(stderr, "trelk: no display available (neither DISPLAY nor WAYLAND_DISPLAY is set)\n");
        return false;
    }
#endif
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "trelk: no display available (%s)\n", SDL_GetError());
        return false;
    }
    // Window creation starts video again, once the window class is known.
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return true;
}

}  // namespace

int RunWinMain(WinMainFunction winMain) {
    if (!DisplayAvailable()) {
        // Nothing of the program ran: end without running its exit-time clean-up,
        // which would leave a log line behind for a run that never started.
        std::_Exit(1);
    }
    char commandLine[] = "";
    return winMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOW);
}
