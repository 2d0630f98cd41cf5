#include "platform/win32/program_entry.h"

#include <cstdio>
#include <cstdlib>

#include "platform/win32/window_registry.h"

namespace {

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

}  // namespace

int RunWinMain(WinMainFunction winMain) {
#if defined(__unix__) && !defined(__ANDROID__)
    // SDL would otherwise settle for an off-screen or console video driver and
    // the intro would run unseen. Video itself starts with the first window,
    // once its class name is known (starting it twice in one process loses
    // the X connection with this SDL).
    if (!IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY") && !IsSet("SDL_VIDEODRIVER")) {
        std::fprintf(stderr, "trelk: no display available (neither DISPLAY nor WAYLAND_DISPLAY is set)\n");
        // Nothing of the program ran: end without its exit-time clean-up, which
        // would leave a log line behind for a run that never started.
        std::_Exit(1);
    }
#endif
    char commandLine[] = "";
    int result = winMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOW);
    // A display that is named but cannot be opened: the window was never made.
    return VideoUnavailable() ? 1 : result;
}
