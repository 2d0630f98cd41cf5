#include "platform/win32/program_entry.h"

#include <SDL.h>

#include <cstdio>

int RunWinMain(WinMainFunction winMain) {
    // SDL turns SIGINT and SIGTERM into a quit event, which reaches the window as WM_CLOSE.
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "trelk: no display available (%s)\n", SDL_GetError());
        return 1;
    }
    char commandLine[] = "";
    return winMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOW);
}
