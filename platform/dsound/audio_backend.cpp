#include "platform/dsound/audio_backend.h"

#include <SDL.h>

#include <atomic>
#include <mutex>

#include "platform/dsound/testing.h"

namespace {

std::atomic<AudioBackendKind> selectedBackend{AudioBackendKind::Sdl};
std::atomic<int> selectedVolume{100};

// ---- SDL2 ------------------------------------------------------------------
class SdlAudioOutput final : public AudioOutput {
  public:
    SdlAudioOutput(SDL_AudioDeviceID device, AudioPullFunction pull, void* user, int volume)
        : device_(device), pull_(pull), user_(user), volume_(volume) {}
    ~SdlAudioOutput() override {
        // Closing waits for a running callback, so nothing pulls afterwards.
        SDL_CloseAudioDevice(device_);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    SdlAudioOutput(const SdlAudioOutput&) = delete;
    SdlAudioOutput& operator=(const SdlAudioOutput&) = delete;

    void Start() { SDL_PauseAudioDevice(device_, 0); }

    static void Callback(void* self, Uint8* stream, int length) {
        auto* output = static_cast<SdlAudioOutput*>(self);
        auto* samples = reinterpret_cast<int16_t*>(stream);
        const size_t frames = static_cast<size_t>(length) / 4;
        output->pull_(output->user_, samples, frames);
        ApplyOutputLevel(samples, frames * 2, output->volume_);
    }

    void Bind(SDL_AudioDeviceID device) { device_ = device; }

  private:
    SDL_AudioDeviceID device_;
    AudioPullFunction pull_;
    void* user_;
    int volume_;
};

std::unique_ptr<AudioOutput> OpenSdlOutput(int rate, AudioPullFunction pull, void* user, int volume) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0) {
        return nullptr;
    }
    auto output = std::make_unique<SdlAudioOutput>(0, pull, user, volume);
    SDL_AudioSpec want{};
    want.freq = rate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 512;  // about 12 ms: the play cursor leads what is heard by that much
    want.callback = &SdlAudioOutput::Callback;
    want.userdata = output.get();
    // No changes allowed: SDL converts to whatever the device really takes.
    SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    output->Bind(device);
    output->Start();
    return output;
}

// ---- Memory ----------------------------------------------------------------
struct MemoryDevice {
    std::mutex mutex;
    AudioPullFunction pull = nullptr;
    void* user = nullptr;
};

MemoryDevice& TheMemoryDevice() {
    static MemoryDevice device;
    return device;
}

class MemoryAudioOutput final : public AudioOutput {
  public:
    ~MemoryAudioOutput() override {
        MemoryDevice& device = TheMemoryDevice();
        std::lock_guard lock(device.mutex);
        device.pull = nullptr;
        device.user = nullptr;
    }
};

// One memory output at a time, like a single sound card.
std::unique_ptr<AudioOutput> OpenMemoryOutput(AudioPullFunction pull, void* user) {
    MemoryDevice& device = TheMemoryDevice();
    std::lock_guard lock(device.mutex);
    if (device.pull != nullptr) {
        return nullptr;
    }
    device.pull = pull;
    device.user = user;
    return std::make_unique<MemoryAudioOutput>();
}

}  // namespace

void ApplyOutputLevel(int16_t* samples, size_t count, int volume) {
    if (volume >= 100) {
        return;
    }
    // Scaling down never overflows: a 16-bit sample times at most 99, over 100.
    const int32_t level = volume <= 0 ? 0 : volume;
    for (size_t i = 0; i < count; ++i) {
        samples[i] = static_cast<int16_t>(samples[i] * level / 100);
    }
}

std::unique_ptr<AudioOutput> OpenAudioOutput(int rate, AudioPullFunction pull, void* user) {
    if (pull == nullptr || rate <= 0) {
        return nullptr;
    }
    switch (selectedBackend.load()) {
        case AudioBackendKind::Sdl:
            return OpenSdlOutput(rate, pull, user, selectedVolume.load());
        case AudioBackendKind::Memory:
            return OpenMemoryOutput(pull, user);
        case AudioBackendKind::Unavailable:
            break;
    }
    return nullptr;
}

void SelectAudioBackend(AudioBackendKind kind, int volume) {
    selectedVolume.store(volume);
    selectedBackend.store(kind);
}

void SelectAudioBackendForTesting(AudioBackendKind kind) { SelectAudioBackend(kind); }

size_t PullMemoryAudio(int16_t* stereo, size_t frames) {
    MemoryDevice& device = TheMemoryDevice();
    std::lock_guard lock(device.mutex);
    if (device.pull == nullptr || stereo == nullptr) {
        return 0;
    }
    device.pull(device.user, stereo, frames);
    return frames;
}
