#include "platform/dsound/sound_mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr LONG SILENT = -10000;
constexpr uint64_t FRACTION_MASK = (uint64_t{1} << MIX_FRACTION_BITS) - 1;
// Interpolation weights use the top 16 bits of the fraction: a signed 32-bit
// value converts to float in one instruction, an unsigned 64-bit one does not.
constexpr int WEIGHT_SHIFT = MIX_FRACTION_BITS - 16;
constexpr float WEIGHT_SCALE = 1.0f / 65536.0f;

inline float Weight(uint64_t position) {
    return static_cast<float>(static_cast<int32_t>((position & FRACTION_MASK) >> WEIGHT_SHIFT)) *
           WEIGHT_SCALE;
}

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

namespace {

// Output frames that can be made before the cursor reaches the last source
// frame, where the next frame for interpolation needs the edge rules.
size_t FramesBeforeEdge(const MixVoice& voice, size_t frames) {
    if (voice.frameCount < 2 || voice.step == 0) {
        return voice.step == 0 ? frames : 0;
    }
    const uint64_t edge = static_cast<uint64_t>(voice.frameCount - 1) << MIX_FRACTION_BITS;
    if (voice.position >= edge) {
        return 0;
    }
    uint64_t fit = (edge - voice.position + voice.step - 1) / voice.step;
    return fit < frames ? static_cast<size_t>(fit) : frames;
}

// The inner loop: both neighbours lie inside the data.
template <uint32_t CHANNELS>
void MixRun(MixVoice& voice, float* accumulator, size_t frames) {
    const int16_t* samples = voice.samples;
    const float left = voice.leftGain;
    const float right = voice.rightGain;
    uint64_t position = voice.position;
    const uint64_t step = voice.step;
    for (size_t i = 0; i < frames; ++i) {
        const size_t index = static_cast<size_t>(position >> MIX_FRACTION_BITS) * CHANNELS;
        const float fraction = Weight(position);
        const float a = samples[index];
        const float b = samples[index + CHANNELS];
        const float first = a + (b - a) * fraction;
        if constexpr (CHANNELS == 2) {
            const float c = samples[index + 1];
            const float d = samples[index + 3];
            accumulator[2 * i] += first * left;
            accumulator[2 * i + 1] += (c + (d - c) * fraction) * right;
        } else {
            accumulator[2 * i] += first * left;
            accumulator[2 * i + 1] += first * right;
        }
        position += step;
    }
    voice.position = position;
}

#if defined(__SSE2__)
// A frame and the one after it in one 32-bit load: low half, high half.
inline int32_t SamplePair(const int16_t* samples, size_t index) {
    int32_t pair;
    std::memcpy(&pair, samples + index, sizeof pair);
    return pair;
}

// Mono, four output frames at a time: each frame's two neighbours come in one
// load, the interpolation and gains are done four wide. The weights come from
// the low 32 bits of the four cursors, which advance with wrapping 32-bit adds
// exactly as the 64-bit cursors do.
size_t MixMonoFours(MixVoice& voice, float* accumulator, size_t frames) {
    static_assert(MIX_FRACTION_BITS == 32, "the weights are the cursors' low 32 bits");
    const int16_t* samples = voice.samples;
    const __m128 left = _mm_set1_ps(voice.leftGain);
    const __m128 right = _mm_set1_ps(voice.rightGain);
    const __m128 scale = _mm_set1_ps(WEIGHT_SCALE);
    const uint64_t step = voice.step;
    uint64_t p0 = voice.position;
    const auto low = [](uint64_t position) { return static_cast<int32_t>(static_cast<uint32_t>(position)); };
    __m128i fractions = _mm_set_epi32(low(p0 + 3 * step), low(p0 + 2 * step), low(p0 + step), low(p0));
    const __m128i fourSteps = _mm_set1_epi32(low(4 * step));
    size_t i = 0;
    for (; i + 4 <= frames; i += 4) {
        const uint64_t p1 = p0 + step;
        const uint64_t p2 = p1 + step;
        const uint64_t p3 = p2 + step;
        const __m128i pairs = _mm_set_epi32(
            SamplePair(samples, p3 >> MIX_FRACTION_BITS), SamplePair(samples, p2 >> MIX_FRACTION_BITS),
            SamplePair(samples, p1 >> MIX_FRACTION_BITS), SamplePair(samples, p0 >> MIX_FRACTION_BITS));
        const __m128 a = _mm_cvtepi32_ps(_mm_srai_epi32(_mm_slli_epi32(pairs, 16), 16));
        const __m128 b = _mm_cvtepi32_ps(_mm_srai_epi32(pairs, 16));
        const __m128 weight = _mm_mul_ps(_mm_cvtepi32_ps(_mm_srli_epi32(fractions, WEIGHT_SHIFT)), scale);
        fractions = _mm_add_epi32(fractions, fourSteps);
        const __m128 value = _mm_add_ps(a, _mm_mul_ps(_mm_sub_ps(b, a), weight));
        const __m128 l = _mm_mul_ps(value, left);
        const __m128 r = _mm_mul_ps(value, right);
        float* out = accumulator + 2 * i;
        _mm_storeu_ps(out, _mm_add_ps(_mm_loadu_ps(out), _mm_unpacklo_ps(l, r)));
        _mm_storeu_ps(out + 4, _mm_add_ps(_mm_loadu_ps(out + 4), _mm_unpackhi_ps(l, r)));
        p0 = p3 + step;
    }
    voice.position = p0;
    return i;
}
#endif

// One frame at the edge, with the wrap or silence rules.
void MixEdgeFrame(MixVoice& voice, float* accumulator) {
    auto index = static_cast<uint32_t>(voice.position >> MIX_FRACTION_BITS);
    float fraction = Weight(voice.position);
    if (voice.channels == 2) {
        accumulator[0] += Interpolate(voice, index, fraction, 0) * voice.leftGain;
        accumulator[1] += Interpolate(voice, index, fraction, 1) * voice.rightGain;
    } else {
        float sample = Interpolate(voice, index, fraction, 0);
        accumulator[0] += sample * voice.leftGain;
        accumulator[1] += sample * voice.rightGain;
    }
    voice.position += voice.step;
}

// A voice nobody hears only moves its cursor, exactly as mixing would.
bool AdvanceSilently(MixVoice& voice, size_t frames) {
    voice.position += voice.step * frames;
    return KeepInside(voice);
}

// Rounds to the nearest integer and saturates to 16 bits.
void ConvertToPcm(const float* accumulator, int16_t* stereo, size_t count) {
    size_t i = 0;
#if defined(__SSE2__)
    for (; i + 8 <= count; i += 8) {
        __m128i low = _mm_cvtps_epi32(_mm_loadu_ps(accumulator + i));
        __m128i high = _mm_cvtps_epi32(_mm_loadu_ps(accumulator + i + 4));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(stereo + i), _mm_packs_epi32(low, high));
    }
#endif
    for (; i < count; ++i) {
        float value = std::clamp(accumulator[i], -32768.0f, 32767.0f);
        stereo[i] = static_cast<int16_t>(std::nearbyint(value));
    }
}

}  // namespace

bool MixVoiceInto(MixVoice& voice, float* accumulator, size_t frames) {
    if (!voice.playing || voice.frameCount == 0 || voice.samples == nullptr) {
        voice.playing = false;
        return false;
    }
    if (voice.leftGain == 0.0f && voice.rightGain == 0.0f) {
        return AdvanceSilently(voice, frames);
    }
    size_t done = 0;
    while (done < frames) {
        if (!KeepInside(voice)) {
            return false;
        }
        size_t run = FramesBeforeEdge(voice, frames - done);
        if (run > 0) {
            if (voice.channels == 2) {
                MixRun<2>(voice, accumulator + 2 * done, run);
            } else {
                size_t fours = 0;
#if defined(__SSE2__)
                fours = MixMonoFours(voice, accumulator + 2 * done, run);
#endif
                MixRun<1>(voice, accumulator + 2 * (done + fours), run - fours);
            }
            done += run;
        } else {
            MixEdgeFrame(voice, accumulator + 2 * done);
            ++done;
        }
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
    playing_.erase(
        std::remove_if(playing_.begin(), playing_.end(), [](const MixVoice* v) { return !v->playing; }),
        playing_.end());
    ConvertToPcm(accumulator_.data(), stereo, frames * 2);
}
