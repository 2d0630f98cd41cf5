// The sound device of a web page: a thread of ours keeps a ring of mixed
// frames filled a little ahead (web_audio_ring.h), and the page's audio
// worklet reads it straight from the program's memory. The
// ring's fill is what is heard next, so it is kept short: the play cursor
// leads what is heard by at most RING_AHEAD frames, as the SDL device leads by
// its buffer natively.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/core/thread_start.h"
#include "platform/dsound/audio_backend.h"
#include "platform/web/web_audio_ring.h"

namespace {

class WebAudioOutput final : public AudioOutput {
  public:
    WebAudioOutput(int rate, AudioPullFunction pull, void* user, int volume)
        : ring_(AudioRing::Shared()), pull_(pull), user_(user), volume_(volume) {
        const uint32_t generation = ring_.Open();
        MAIN_THREAD_EM_ASM(
            {
                if (Module.trelkPage)
                    Module.trelkPage.openAudio({
                        memory : HEAPU8.buffer,
                        samples : $0,
                        frames : $1,
                        written : $2,
                        read : $3,
                        generationCounter : $4,
                        generation : $5,
                        rate : $6
                    });
            },
            ring_.Samples(), AudioRing::FRAMES, ring_.WrittenCounter(), ring_.ReadCounter(),
            ring_.GenerationCounter(), generation, rate);
        feeder_ = StartThread([this] { Feed(); });
    }

    ~WebAudioOutput() override {
        stop_.store(true);
        if (feeder_.joinable()) {
            feeder_.join();  // after this nothing pulls
        }
        ring_.Close();
        MAIN_THREAD_EM_ASM({
            if (Module.trelkPage) Module.trelkPage.closeAudio();
        });
    }

    WebAudioOutput(const WebAudioOutput&) = delete;
    WebAudioOutput& operator=(const WebAudioOutput&) = delete;

  private:
    static constexpr uint32_t RING_AHEAD = 3072;  // about 70 ms at 44.1 kHz
    static constexpr uint32_t CHUNK = 512;

    void Feed() {
        std::vector<int16_t> chunk(CHUNK * 2);
        while (!stop_.load()) {
            const uint32_t room = RING_AHEAD - std::min(RING_AHEAD, ring_.Filled());
            if (room < CHUNK) {
                std::this_thread::sleep_for(std::chrono::milliseconds(4));
                continue;
            }
            pull_(user_, chunk.data(), CHUNK);
            ApplyOutputLevel(chunk.data(), chunk.size(), volume_);
            ring_.Write(chunk.data(), CHUNK);
        }
    }

    AudioRing& ring_;
    AudioPullFunction pull_;
    void* user_;
    int volume_;
    std::atomic<bool> stop_{false};
    std::thread feeder_;
};

}  // namespace

AudioRing& AudioRing::Shared() {
    static AudioRing ring;  // never destroyed: see web_audio_ring.h
    return ring;
}

std::unique_ptr<AudioOutput> OpenDeviceOutput(int rate, AudioPullFunction pull, void* user, int volume) {
    const bool pagePlays =
        MAIN_THREAD_EM_ASM_INT({ return Module.trelkPage && Module.trelkPage.canPlay() ? 1 : 0; });
    if (pagePlays == 0) {
        return nullptr;  // no Web Audio: as on a PC without a sound card
    }
    return std::make_unique<WebAudioOutput>(rate, pull, user, volume);
}
