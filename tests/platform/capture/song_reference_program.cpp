// The song as the mixer alone makes it, for the capture's sound test: the
// intro's music thread plays it on the virtual clock into the memory sound
// device, which is pulled 512 frames at a time at the device's pace, as a
// capture does, but with nothing else running: no window, no frames, no
// capture sink. The first `seconds` of it go to standard output as raw
// 16-bit stereo at 44100 Hz.
//
//     song_reference_program SECONDS > song.raw
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "app/program_objects.h"
#include "app/win_main.h"
#include "music/music_thread.h"
#include "platform/core/stand_in_clock.h"
#include "platform/dsound/audio_backend.h"

namespace {

constexpr int64_t RATE = 44100;
constexpr int64_t DEVICE_FRAMES = 512;
constexpr int PULLER_RANK = 1;  // at the same moment the music's threads go first, as in a capture

void Pull(int64_t frames) {
    std::vector<int16_t> buffer(DEVICE_FRAMES * 2);
    for (int64_t done = 0, pulls = 0; done < frames; done += DEVICE_FRAMES, ++pulls) {
        ClockWaitUntilUs((pulls * DEVICE_FRAMES * 1000000 + RATE - 1) / RATE);
        std::fill(buffer.begin(), buffer.end(), 0);
        PullMemoryAudio(buffer.data(), DEVICE_FRAMES);
        const int64_t keep = std::min(DEVICE_FRAMES, frames - done);
        std::fwrite(buffer.data(), sizeof(int16_t) * 2, static_cast<size_t>(keep), stdout);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc == 2 ? std::atoi(argv[1]) : 0;
    if (seconds <= 0) {
        std::fprintf(stderr, "usage: song_reference_program SECONDS > song.raw\n");
        return 64;
    }
    SelectAudioBackend(AudioBackendKind::Memory);
    StartVirtualClock();
    const int ticket = ClockAdmitThread(PULLER_RANK);
    std::thread puller([ticket, seconds] {
        ClockEnterThread(ticket);
        Pull(seconds * RATE);
        ClockLeaveThread();
    });
    StartSong();
    {
        OffClock waiting;
        puller.join();
    }
    // Stopped as the intro stops it, so that the music thread ends cleanly.
    int32_t running = Running;
    if (MusicControl.compare_exchange_strong(running, StopRequested)) {
        while (MusicControl.load() != Stopped) {
            ClockSleepUs(10000);
        }
    }
    DissolveVirtualClock();
    return std::fflush(stdout) == 0 ? 0 : 1;
}
