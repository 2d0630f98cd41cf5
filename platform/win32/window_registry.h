// Room win32/: windows, messages, timers, resources, threads, message boxes.
// Includes core/, present/ and include/, no other interface's room.
// Platform-internal: the window records shared by window creation, the
// message queue and the other stand-ins. Guarded by WindowRegistryMutex().
#pragma once

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/present/picture_layout.h"
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
    std::string title;
    SDL_Window* sdlWindow = nullptr;
    std::thread::id owner;
    bool alive = true;
    std::vector<WindowTimer> timers;
    bool presentsWithGpu = false;  // decided when the SDL window is made
    PictureScaling scaling;        // --scale and --filter when the window was made
    bool fullScreen = true;        // the window mode the user wants (Alt+Enter switches)
    bool repaint = false;          // exposed or resized: the presenter redraws everything
};

std::recursive_mutex& WindowRegistryMutex();
// Null when the handle names no window (or a destroyed one when aliveOnly).
WindowRecord* FindWindowRecord(HWND window, bool aliveOnly = true);
// The first live window owned by the calling thread, or null.
WindowRecord* FirstWindowOfThisThread();
// The live window with this SDL window, or null.
WindowRecord* FindWindowOfSdlWindow(const SDL_Window* sdlWindow);
// True when the calling thread owns a live SDL window (and must pump SDL events).
bool ThisThreadHasSdlWindows();

// True once the run could not show its window: no display could be opened,
// the chosen monitor does not exist, or nothing can be presented.
bool VideoUnavailable();
void MarkVideoUnavailable();
// Windows made from now on have no SDL window and need no display (a capture).
void SetWindowsOffScreen();

// Milliseconds on a steady clock, for timers.
uint64_t QueueClockMs();
// Drops the messages posted to a window that has just been destroyed.
void DiscardMessagesFor(HWND window, std::thread::id owner);
