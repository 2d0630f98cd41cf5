// The music thread: sets up the module library with our output driver, reads
// the song out of resource memory, plays it and stops on request.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/win32/windows.h"

// Values of the stop handshake word. The application owns the word (a
// std::atomic<int32_t>), writes Running before StartMusic and StopRequested
// only while it reads Running; the music thread writes Stopped last of all.
enum MusicControlValue : int32_t { Running = 0, StopRequested = 1, Stopped = 2 };

// The song-repeat switch, off at program start; set once by the application
// right after StartMusic. The thread copies it into the module when loaded.
extern std::atomic<bool> RepeatSong;

struct MusicParams {
    const char* resourceName;
    uint32_t moduleSize;
    int32_t extendedSpeed;  // 0: set-speed values of 32 and more set ticks per row, not tempo
    std::atomic<int32_t>* control;
};

// Main thread. Starts the music thread over the RCDATA resource
// `resourceName` of `moduleSize` bytes. Returns 1 when the thread runs, 0
// (after a warning box) when it could not be made. The parameters live in
// static storage: call once.
int StartMusic(int extendedSpeed, uint32_t moduleSize, const char* resourceName,
               std::atomic<int32_t>* control);

// The thread entry; `params` points to a MusicParams. Always 0.
DWORD MusicThreadMain(LPVOID params);

// Registers our driver, the silent driver, the XM, MOD and S3M loaders (once
// per process) and MusicTick as the player callback. Music thread.
void RegisterMusicLibraryParts();
