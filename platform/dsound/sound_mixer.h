// Platform-internal: the software mixer behind DirectSound secondary buffers.
// Each playing buffer is a MixVoice: 16-bit frames resampled by linear
// interpolation, scaled by its channel gains, summed into the stereo output
// stream with saturation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/win32/windows.h"

// Fixed point for positions and steps: frames with a 32-bit fraction.
constexpr int MIX_FRACTION_BITS = 32;

struct MixVoice {
    const int16_t* samples = nullptr;  // interleaved frames, shared buffer memory
    uint32_t frameCount = 0;
    uint32_t channels = 1;  // 1 or 2
    uint64_t position = 0;  // frames, MIX_FRACTION_BITS fraction
    uint64_t step = 0;      // source frames per output frame, same fixed point
    float leftGain = 1.0f;
    float rightGain = 1.0f;
    bool playing = false;
    bool looping = false;
};

// Gain of an attenuation in hundredths of a decibel: 10^(v / 2000), and
// exactly 0 at -10000 or below.
float AttenuationGain(LONG hundredthsOfDecibel);
// Channel gains for a volume and a pan: the pan takes its amount off the
// other channel (left = volume - max(pan, 0), right = volume + min(pan, 0)).
void PanGains(LONG volume, LONG pan, float* left, float* right);
// Source frames per output frame for a playback rate, in mixer fixed point.
uint64_t ResampleStep(DWORD frequency, DWORD outputRate);

// Adds `frames` resampled stereo frames of `voice` to `accumulator` and moves
// its cursor. A voice played once stops at its end with the cursor back at 0;
// a looping voice wraps. Returns false once the voice has stopped.
bool MixVoiceInto(MixVoice& voice, float* accumulator, size_t frames);

// Shared by a DirectSound object and all its buffers, so that buffers stay
// valid after the device is gone. The mutex guards every MixVoice and the
// sample memory they read; buffer methods take it, the audio thread mixes under it.
class SoundMixer {
  public:
    explicit SoundMixer(DWORD outputRate) : outputRate_(outputRate) {}

    DWORD OutputRate() const { return outputRate_; }
    std::mutex& Mutex() { return mutex_; }

    // With the mutex held.
    void StartVoice(MixVoice* voice);
    void StopVoice(MixVoice* voice);

    // Audio thread (or a test): fills `frames` interleaved stereo frames.
    void Mix(int16_t* stereo, size_t frames);

    static void Pull(void* mixer, int16_t* stereo, size_t frames) {
        static_cast<SoundMixer*>(mixer)->Mix(stereo, frames);
    }

  private:
    const DWORD outputRate_;
    std::mutex mutex_;
    std::vector<MixVoice*> playing_;
    std::vector<float> accumulator_;
};
