// The sound device through SDL2: its audio thread pulls the mix.
#include <SDL.h>

#include "platform/dsound/audio_backend.h"

namespace {

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

}  // namespace

std::unique_ptr<AudioOutput> OpenDeviceOutput(int rate, AudioPullFunction pull, void* user, int volume) {
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
