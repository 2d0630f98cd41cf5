#include "platform/dsound/audio_backend.h"

#include <atomic>
#include <mutex>

#include "platform/dsound/testing.h"

namespace {

std::atomic<AudioBackendKind> selectedBackend{AudioBackendKind::Device};
std::atomic<int> selectedVolume{100};

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
        case AudioBackendKind::Device:
            return OpenDeviceOutput(rate, pull, user, selectedVolume.load());
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
