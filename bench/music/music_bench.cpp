// The sound path's speed: the mixer with 4 and 32 voices for one second of
// sound, and 60 s of the song through player, driver and mixer side by side
// with the module library's own software mixer rendering the same 60 s.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "music/music_thread.h"
#include "music/output_driver_state.h"
#include "music/resource_reader.h"
#include "platform/dsound/audio_backend.h"
#include "platform/dsound/dsound.h"
#include "platform/dsound/testing.h"
#include "platform/mmsystem/testing.h"
#include "platform/win32/resource_table.h"
#include "tests/music/looping_song.h"

extern "C" ULONG VC_WriteBytes(SBYTE* buffer, ULONG bytes);

namespace {

constexpr DWORD RATE = 44100;
constexpr size_t CHUNK_FRAMES = 512;
constexpr int SONG_SECONDS = 60;

// ---- Mixer -----------------------------------------------------------------
void BM_MixVoicesForOneSecond(benchmark::State& state) {
    const auto voices = static_cast<int>(state.range(0));
    SelectAudioBackendForTesting(AudioBackendKind::Memory);
    IDirectSound* device = nullptr;
    if (FAILED(DirectSoundCreate(nullptr, &device, nullptr))) {
        state.SkipWithError("no memory device");
        return;
    }
    std::vector<int16_t> wave(20000);
    for (size_t i = 0; i < wave.size(); ++i) {
        wave[i] = static_cast<int16_t>((i * 7919) % 30000 - 15000);
    }
    WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, RATE, RATE * 2, 2, 16, 0};
    DSBUFFERDESC desc{sizeof(DSBUFFERDESC),
                      DSBCAPS_LOCSOFTWARE | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME,
                      static_cast<DWORD>(wave.size() * 2), 0, &format};
    std::vector<IDirectSoundBuffer*> buffers;
    for (int v = 0; v < voices; ++v) {
        IDirectSoundBuffer* buffer = nullptr;
        device->CreateSoundBuffer(&desc, &buffer, nullptr);
        void* region = nullptr;
        DWORD bytes = 0;
        buffer->Lock(0, 0, &region, &bytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER);
        std::memcpy(region, wave.data(), bytes);
        buffer->Unlock(region, bytes, nullptr, 0);
        buffer->SetFrequency(8000 + static_cast<DWORD>(v) * 1500);
        buffer->SetVolume(-300 * (v % 8));
        buffer->SetPan(-5000 + 300 * v);
        buffer->Play(0, 0, DSBPLAY_LOOPING);
        buffers.push_back(buffer);
    }
    std::vector<int16_t> out(CHUNK_FRAMES * 2);
    for (auto _ : state) {
        for (size_t done = 0; done < RATE; done += CHUNK_FRAMES) {
            PullMemoryAudio(out.data(), CHUNK_FRAMES);
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["realtime_x"] = benchmark::Counter(1.0, benchmark::Counter::kIsIterationInvariantRate);
    for (IDirectSoundBuffer* buffer : buffers) {
        buffer->Release();
    }
    device->Release();
    SelectAudioBackendForTesting(AudioBackendKind::Device);
}
BENCHMARK(BM_MixVoicesForOneSecond)->Arg(4)->Arg(32)->Unit(benchmark::kMillisecond);

// ---- The song --------------------------------------------------------------
// The embedded song when the assets hold it, else a generated one.
std::vector<uint8_t> SongBytes() {
    std::ifstream file(TRELK_SONG_FILE, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (!bytes.empty()) {
        return bytes;
    }
    song::XmModule song = LoopingSong(4);
    for (int row = 0; row < LOOPING_SONG_ROWS; row += 2) {
        for (int c = 0; c < 4; ++c) {
            song::XmCell& cell = song.patterns[0].At(row, c);
            cell.note = static_cast<uint8_t>(40 + (row * 3 + c * 5) % 30);
            cell.instrument = static_cast<uint8_t>(1 + (row + c) % 2);
        }
    }
    return XmBytes(song);
}

class SteppedTimer final : public MultimediaTimerForTesting {
  public:
    UINT SetEvent(UINT, UINT, LPTIMECALLBACK, DWORD_PTR, UINT) override { return ++lastId; }
    MMRESULT KillEvent(UINT) override { return TIMERR_NOERROR; }
    UINT lastId = 0;
};

struct LoadedSong {
    std::vector<uint8_t> bytes;
    ResourceEntry entry{};
    MODULE* module = nullptr;
};

bool LoadSong(LoadedSong& song, UWORD device, UWORD mode) {
    RegisterMusicLibraryParts();  // our driver is 1, the silent one 2
    md_device = device;
    md_mode = mode;
    md_mixfreq = RATE;
    if (MikMod_Init("") != 0) {
        return false;
    }
    song.bytes = SongBytes();
    song.entry = ResourceEntry{116, 10, nullptr, song.bytes.data(), static_cast<uint32_t>(song.bytes.size())};
    InstallResourceTable(&song.entry, 1);
    song.module = LoadModuleFromResource(static_cast<uint32_t>(song.bytes.size()), "#116");
    if (song.module == nullptr) {
        MikMod_Exit();
        return false;
    }
    song.module->wrap = 1;
    song.module->loop = 1;
    return true;
}

void UnloadSong(LoadedSong& song) {
    Player_Stop();
    Player_Free(song.module);
    MikMod_Exit();
    InstallResourceTable(nullptr, 0);
}

// Player ticks and buffer updates from the driver's timer events, and the
// mixer pulling the sound they make, event by event as time passes.
void BM_SongPathThroughOurDriver(benchmark::State& state) {
    SteppedTimer timer;
    SetMultimediaTimerForTesting(&timer);
    SelectAudioBackendForTesting(AudioBackendKind::Memory);
    LoadedSong song;
    if (!LoadSong(song, 1, DMODE_16BITS | DMODE_STEREO)) {
        state.SkipWithError("song not loaded through our driver");
        return;
    }
    std::vector<int16_t> out(RATE * 2);
    for (auto _ : state) {
        Player_Start(song.module);
        double frames = 0;
        size_t pulled = 0;
        const size_t total = static_cast<size_t>(SONG_SECONDS) * RATE;
        while (pulled < total) {
            MikMod_Lock();
            DriverEvent();
            MikMod_Unlock();
            frames += RATE * outputDriver.timer.exactPeriod / 1000.0;
            auto due = static_cast<size_t>(frames) - pulled;
            PullMemoryAudio(out.data(), due);
            pulled += due;
        }
        Player_Stop();
        benchmark::DoNotOptimize(out.data());
    }
    UnloadSong(song);
    SelectAudioBackendForTesting(AudioBackendKind::Device);
    SetMultimediaTimerForTesting(nullptr);
}
BENCHMARK(BM_SongPathThroughOurDriver)->Unit(benchmark::kMillisecond);

// The library's own software mixer on its silent driver: range 0 plain,
// range 1 with interpolation like ours.
void BM_SongPathThroughLibraryMixer(benchmark::State& state) {
    UWORD mode = DMODE_16BITS | DMODE_STEREO | DMODE_SOFT_MUSIC | (state.range(0) != 0 ? DMODE_INTERP : 0);
    LoadedSong song;
    if (!LoadSong(song, 2, mode)) {
        state.SkipWithError("song not loaded through the silent driver");
        return;
    }
    std::vector<SBYTE> out(CHUNK_FRAMES * 4);
    for (auto _ : state) {
        Player_Start(song.module);
        const size_t total = static_cast<size_t>(SONG_SECONDS) * RATE;
        for (size_t pulled = 0; pulled < total; pulled += CHUNK_FRAMES) {
            VC_WriteBytes(out.data(), static_cast<ULONG>(out.size()));
        }
        Player_Stop();
        benchmark::DoNotOptimize(out.data());
    }
    UnloadSong(song);
}
BENCHMARK(BM_SongPathThroughLibraryMixer)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
