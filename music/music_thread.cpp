#include "music/music_thread.h"

#include <cstdio>
#include <mutex>

#include "music/output_driver_state.h"
#include "music/resource_reader.h"

std::atomic<bool> RepeatSong{false};

namespace {

constexpr UWORD MIX_FREQUENCY = 44100;
// Software mixing is asked for only so that the silent fallback driver has
// voices to play on (it has no others and would crash without them); our
// driver declines it in its Init and mixes nothing on the processor.
constexpr UWORD MODE_16BIT_STEREO = DMODE_16BITS | DMODE_STEREO | DMODE_SOFT_MUSIC;
constexpr DWORD POLL_MS = 10;

MusicParams musicParams{};
std::once_flag registration;

}  // namespace

// The library appends to its lists, so the preferred entries come first: our
// driver before the silent one; loaders S3M, MOD, XM. Only once per process:
// a loader registered twice would point at itself.
void RegisterMusicLibraryParts() {
    std::call_once(registration, [] {
        MikMod_RegisterDriver(&directSoundDriver);
        MikMod_RegisterDriver(&drv_nos);
        MikMod_RegisterLoader(&load_s3m);
        MikMod_RegisterLoader(&load_mod);
        MikMod_RegisterLoader(&load_xm);
    });
    RegisterMusicTick();
}

namespace {

void ReportLoadError() {
    // A missing resource leaves no library error: the line then has no text.
    const char* text = MikMod_errno != 0 ? MikMod_strerror(MikMod_errno) : "";
    std::printf("MikMod Error: %s\n", text != nullptr ? text : "");
    std::fflush(stdout);
}

// Plays until the song ends or a stop is requested.
void PollUntilStop(const std::atomic<int32_t>& control) {
    while (Player_Active()) {
        if (control.load() == StopRequested) {
            break;
        }
        MikMod_Update();
        Sleep(POLL_MS);
    }
}

}  // namespace

DWORD MusicThreadMain(LPVOID params) {
    const MusicParams& music = *static_cast<const MusicParams*>(params);
    md_mixfreq = MIX_FREQUENCY;
    md_mode = MODE_16BIT_STEREO;
    md_device = 0;  // the first driver that is present
    // This library version has no DMA buffer-size setting.
    RegisterMusicLibraryParts();
    MikMod_InitThreads();
    if (MikMod_Init("") != 0) {
        return 0;
    }
    MikMod_errno = 0;
    MODULE* module = LoadModuleFromResource(music.moduleSize, music.resourceName);
    if (module == nullptr) {
        ReportLoadError();
        return 0;
    }
    module->extspd = music.extendedSpeed != 0 ? 1 : 0;
    module->wrap = RepeatSong.load() ? 1 : 0;
    module->loop = 1;  // backward jumps are followed
    Player_Start(module);
    PollUntilStop(*music.control);
    Player_Stop();
    Player_Free(module);
    MikMod_Exit();
    music.control->store(Stopped);
    ExitThread(0);
}

int StartMusic(int extendedSpeed, uint32_t moduleSize, const char* resourceName,
               std::atomic<int32_t>* control) {
    musicParams.resourceName = resourceName;
    musicParams.moduleSize = moduleSize;
    musicParams.extendedSpeed = extendedSpeed;
    musicParams.control = control;
    HANDLE thread = CreateThread(nullptr, 0, MusicThreadMain, &musicParams, 0, nullptr);
    if (thread == nullptr) {
        MessageBoxA(nullptr, "Yer machine is pretty cooked!\nCannot thread.", nullptr, MB_ICONWARNING);
        return 0;
    }
    CloseHandle(thread);  // never waited on
    return 1;
}
