// Platform-internal: the window records shared by window creation, the
// message queue and the other stand-ins. Guarded by WindowRegistryMutex().
#pragma once

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/windows.h"

struct SDL_Window;

struct WindowTimer {
    UINT_PTR id;
    UINT periodMs;
    uint64_t dueMs;  // on the queue's clock (QueueClockMs)
    TIMERPROC function;
};

struct WindowRecord {
    HWND handle = nullptr;
    WNDPROC procedure = nullptr;
    std::string className;
    SDL_Window* sdlWindow = nullptr;
    std::thread::id owner;
    bool alive = true;
    std::vector<WindowTimer> timers;
};

std::recursive_mutex& WindowRegistryMutex();
// Null when the handle names no window (or a destroyed one when aliveOnly).
WindowRecord* FindWindowRecord(HWND window, bool aliveOnly = true);
// The live window whose SDL window has this SDL id, or null.
WindowRecord* FindWindowBySdlId(uint32_t sdlWindowId);
// The first live window owned by the calling thread, or null.
WindowRecord* FirstWindowOfThisThread();
// True when the calling thread owns a live SDL window (and must pump SDL events).
bool ThisThreadHasSdlWindows();

// True once a window could not be made because no display could be opened.
bool VideoUnavailable();

// Milliseconds on a steady clock, for timers.
uint64_t QueueClockMs();
// Drops the messages posted to a window that has just been destroyed.
void DiscardMessagesFor(HWND window, std::thread::id owner);
// Translates pending SDL events into window messages (main thread only).
void PumpSdlEvents();
// Virtual-key code for an SDL key code, or 0 when the key has none.
int VirtualKeyFromSdl(int32_t sdlKey);
