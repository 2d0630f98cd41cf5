#include "platform/dsound/sound_mixer.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr LONG SILENT = -10000;
constexpr uint64_t FRACTION_MASK = (uint64_t{1} << MIX_FRACTION_BITS) - 1;
constexpr float FRACTION_SCALE = 1.0f / static_cast<float>(uint64_t{1} << MIX_FRACTION_BITS);

// The frame after `index` for interpolation: wraps for a looping voice and is
// silence behind the end of a voice played once.
inline float NextSample(const MixVoice& voice, uint32_t index, uint32_t channel) {
    uint32_t next = index + 1;
    if (next >= voice.frameCount) {
        if (!voice.looping) {
            return 0.0f;
        }
        next = 0;
    }
    return voice.samples[static_cast<size_t>(next) * voice.channels + channel];
}

inline float Interpolate(const MixVoice& voice, uint32_t index, float fraction, uint32_t channel) {
    float a = voice.samples[static_cast<size_t>(index) * voice.channels + channel];
    float b = NextSample(voice, index, channel);
    return a + (b - a) * fraction;
}

// Brings the cursor back inside the data; false when a voice played once ended.
inline bool KeepInside(MixVoice& voice) {
    uint64_t length = static_cast<uint64_t>(voice.frameCount) << MIX_FRACTION_BITS;
    if (voice.position < length) {
        return true;
    }
    if (voice.looping) {
        voice.position %= length;
        return true;
    }
    voice.playing = false;
    voice.position = 0;
    return false;
}

}  // namespace

float AttenuationGain(LONG hundredthsOfDecibel) {
    if (hundredthsOfDecibel <= SILENT) {
        return 0.0f;
    }
    return static_cast<float>(std::pow(10.0, static_cast<double>(hundredthsOfDecibel) / 2000.0));
}

void PanGains(LONG volume, LONG pan, float* left, float* right) {
    *left = AttenuationGain(volume - std::max<LONG>(pan, 0));
    *right = AttenuationGain(volume + std::min<LONG>(pan, 0));
}

uint64_t ResampleStep(DWORD frequency, DWORD outputRate) {
    if (outputRate == 0) {
        return 0;
    }
    return (static_cast<uint64_t>(frequency) << MIX_FRACTION_BITS) / outputRate;
}

bool MixVoiceInto(MixVoice& voice, float* accumulator, size_t frames) {
    if (!voice.playing || voice.frameCount == 0 || voice.samples == nullptr) {
        voice.playing = false;
        return false;
    }
    const float left = voice.leftGain;
    const float right = voice.rightGain;
    for (size_t i = 0; i < frames; ++i) {
        if (!KeepInside(voice)) {
            return false;
        }
        auto index = static_cast<uint32_t>(voice.position >> MIX_FRACTION_BITS);
        float fraction = static_cast<float>(voice.position & FRACTION_MASK) * FRACTION_SCALE;
        if (voice.channels == 2) {
            accumulator[2 * i] += Interpolate(voice, index, fraction, 0) * left;
            accumulator[2 * i + 1] += Interpolate(voice, index, fraction, 1) * right;
        } else {
            float sample = Interpolate(voice, index, fraction, 0);
            accumulator[2 * i] += sample * left;
            accumulator[2 * i + 1] += sample * right;
        }
        voice.position += voice.step;
    }
    // A voice played once that ends exactly here stops now, not at the next call.
    return KeepInside(voice);
}

void SoundMixer::StartVoice(MixVoice* voice) {
    if (std::find(playing_.begin(), playing_.end(), voice) == playing_.end()) {
        playing_.push_back(voice);
    }
    voice->playing = true;
}

void SoundMixer::StopVoice(MixVoice* voice) {
    voice->playing = false;
    playing_.erase(std::remove(playing_.begin(), playing_.end(), voice), playing_.end());
}

void SoundMixer::Mix(int16_t* stereo, size_t frames) {
    std::lock_guard lock(mutex_);
    accumulator_.assign(frames * 2, 0.0f);
    for (MixVoice* voice : playing_) {
        MixVoiceInto(*voice, accumulator_.data(), frames);
    }
    playing_.erase(std::remove_if(playing_.begin(), playing_.end(), [](const MixVoice* v) { return !v->playing; }),
                   playing_.end());
    for (size_t i = 0; i < frames * 2; ++i) {
        float value = std::clamp(accumulator_[i], -32768.0f, 32767.0f);
        stereo[i] = static_cast<int16_t>(std::lrint(value));
    }
}
