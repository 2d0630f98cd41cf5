// The mixer against the DirectSound laws: gains in hundredths of a decibel,
// resampling steps, play-once ends, loops and saturation.
#include "platform/dsound/sound_mixer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

MixVoice VoiceOver(const std::vector<int16_t>& samples, uint32_t channels = 1) {
    MixVoice voice;
    voice.samples = samples.data();
    voice.frameCount = static_cast<uint32_t>(samples.size() / channels);
    voice.channels = channels;
    voice.step = ResampleStep(44100, 44100);
    voice.playing = true;
    return voice;
}

TEST(AttenuationGain, FollowsTenToTheVolumeOver2000) {
    EXPECT_FLOAT_EQ(AttenuationGain(0), 1.0f);
    EXPECT_NEAR(AttenuationGain(-2000), 0.1f, 1e-6);
    EXPECT_NEAR(AttenuationGain(-600), std::pow(10.0, -0.3), 1e-6);
    EXPECT_NEAR(AttenuationGain(-9999), std::pow(10.0, -9999.0 / 2000.0), 1e-9);
    EXPECT_EQ(AttenuationGain(-10000), 0.0f) << "exactly silent";
    EXPECT_EQ(AttenuationGain(-12000), 0.0f);
}

TEST(PanGains, PanTakesItsAmountOffTheOtherChannel) {
    float left = 0;
    float right = 0;
    PanGains(0, 0, &left, &right);
    EXPECT_FLOAT_EQ(left, 1.0f);
    EXPECT_FLOAT_EQ(right, 1.0f);
    PanGains(-1000, 2000, &left, &right);
    EXPECT_NEAR(left, std::pow(10.0, -3000.0 / 2000.0), 1e-6);
    EXPECT_NEAR(right, std::pow(10.0, -1000.0 / 2000.0), 1e-6);
    PanGains(-1000, -2000, &left, &right);
    EXPECT_NEAR(left, std::pow(10.0, -0.5), 1e-6);
    EXPECT_NEAR(right, std::pow(10.0, -1.5), 1e-6);
    PanGains(0, 10000, &left, &right);
    EXPECT_EQ(left, 0.0f) << "right only";
    EXPECT_FLOAT_EQ(right, 1.0f);
    PanGains(0, -10000, &left, &right);
    EXPECT_FLOAT_EQ(left, 1.0f);
    EXPECT_EQ(right, 0.0f) << "left only";
}

TEST(ResampleStep, AdvancesFrequencyOverDeviceRateSourceFramesPerFrame) {
    EXPECT_EQ(ResampleStep(44100, 44100), uint64_t{1} << 32);
    EXPECT_EQ(ResampleStep(22050, 44100), uint64_t{1} << 31);
    EXPECT_EQ(ResampleStep(88200, 44100), uint64_t{2} << 32);
    EXPECT_EQ(ResampleStep(100, 0), 0u);
}

TEST(MixVoiceInto, HalfRateInterpolatesBetweenNeighbours) {
    std::vector<int16_t> samples{0, 1000, 3000, 3000};
    MixVoice voice = VoiceOver(samples);
    voice.step = ResampleStep(22050, 44100);
    std::vector<float> out(2 * 6, 0.0f);
    EXPECT_TRUE(MixVoiceInto(voice, out.data(), 6));
    const float expected[] = {0, 500, 1000, 2000, 3000, 3000};
    for (int i = 0; i < 6; ++i) {
        EXPECT_FLOAT_EQ(out[2 * i], expected[i]) << "frame " << i;
        EXPECT_FLOAT_EQ(out[2 * i + 1], expected[i]) << "frame " << i;
    }
    EXPECT_EQ(voice.position >> MIX_FRACTION_BITS, 3u);
}

TEST(MixVoiceInto, PlayedOnceStopsAtTheEndWithItsCursorBackAtZero) {
    std::vector<int16_t> samples{100, 200, 300};
    MixVoice voice = VoiceOver(samples);
    std::vector<float> out(2 * 5, 0.0f);
    EXPECT_FALSE(MixVoiceInto(voice, out.data(), 5));
    EXPECT_FALSE(voice.playing);
    EXPECT_EQ(voice.position, 0u);
    EXPECT_FLOAT_EQ(out[4], 300.0f);
    EXPECT_FLOAT_EQ(out[6], 0.0f) << "silence after the end";
    EXPECT_FLOAT_EQ(out[8], 0.0f);
}

TEST(MixVoiceInto, EndingExactlyAtTheLastFrameStopsAtOnce) {
    std::vector<int16_t> samples{1, 2, 3, 4};
    MixVoice voice = VoiceOver(samples);
    std::vector<float> out(2 * 4, 0.0f);
    EXPECT_FALSE(MixVoiceInto(voice, out.data(), 4));
    EXPECT_EQ(voice.position, 0u);
}

TEST(MixVoiceInto, LoopingWrapsAndInterpolatesAcrossTheSeam) {
    std::vector<int16_t> samples{0, 100, 200, 300};
    MixVoice voice = VoiceOver(samples);
    voice.looping = true;
    voice.step = ResampleStep(33075, 44100);  // three quarters of a frame
    std::vector<float> out(2 * 8, 0.0f);
    EXPECT_TRUE(MixVoiceInto(voice, out.data(), 8));
    // Positions 0, .75, 1.5, 2.25, 3, 3.75 (between 300 and the first 0), 0.5, 1.25.
    const float expected[] = {0, 75, 150, 225, 300, 75, 50, 125};
    for (int i = 0; i < 8; ++i) {
        EXPECT_NEAR(out[2 * i], expected[i], 1e-3) << "frame " << i;
    }
}

// Frame by frame in double precision, straight from the definition.
std::vector<double> ReferenceMix(const std::vector<int16_t>& samples, double step, double start, bool looping,
                                 size_t frames) {
    std::vector<double> out(frames, 0.0);
    const double length = static_cast<double>(samples.size());
    double position = start;
    for (size_t i = 0; i < frames; ++i) {
        if (position >= length) {
            if (!looping) {
                break;
            }
            position = std::fmod(position, length);
        }
        auto index = static_cast<size_t>(position);
        double next = index + 1 < samples.size() ? samples[index + 1] : (looping ? samples[0] : 0);
        out[i] = samples[index] + (next - samples[index]) * (position - static_cast<double>(index));
        position += step;
    }
    return out;
}

TEST(MixVoiceInto, LongRunsMatchTheReferenceAtAnyRate) {
    std::vector<int16_t> samples(1237);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<int16_t>((i * 7919 + i * i * 31) % 60000 - 30000);
    }
    for (DWORD frequency : {100u, 8363u, 22050u, 44100u, 48000u, 100000u}) {
        for (bool looping : {false, true}) {
            MixVoice voice = VoiceOver(samples);
            voice.step = ResampleStep(frequency, 44100);
            voice.looping = looping;
            voice.position = uint64_t{17} << MIX_FRACTION_BITS;
            const size_t frames = 3000;
            std::vector<float> out(2 * frames, 0.0f);
            // In uneven pieces, as the device asks for them.
            for (size_t done = 0, piece = 1; done < frames; done += piece, piece = piece * 3 % 509 + 1) {
                piece = std::min(piece, frames - done);
                MixVoiceInto(voice, out.data() + 2 * done, piece);
            }
            double step = static_cast<double>(voice.step) / 4294967296.0;
            std::vector<double> expected = ReferenceMix(samples, step, 17.0, looping, frames);
            for (size_t i = 0; i < frames; ++i) {
                ASSERT_NEAR(out[2 * i], expected[i], 2.0) << frequency << " Hz, frame " << i;
                ASSERT_EQ(out[2 * i], out[2 * i + 1]);
            }
        }
    }
}

// Long runs take the four-wide path, single frames the plain one: they must
// agree to the bit, whatever the step's fraction does over many frames.
TEST(MixVoiceInto, FourWideRunsEqualFrameByFrameMixing) {
    std::vector<int16_t> samples(2011);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<int16_t>((i * 2654435761u) >> 16);
    }
    for (DWORD frequency : {1u, 8363u, 33333u, 44100u, 96001u, 200000u}) {
        MixVoice whole = VoiceOver(samples);
        whole.step = ResampleStep(frequency, 44100);
        whole.looping = true;
        whole.position = (uint64_t{5} << MIX_FRACTION_BITS) + 0xFFFF'F000u;
        whole.leftGain = 0.3f;
        whole.rightGain = 0.9f;
        MixVoice single = whole;
        const size_t frames = 4099;
        std::vector<float> fast(2 * frames, 1.0f);
        std::vector<float> slow(2 * frames, 1.0f);
        MixVoiceInto(whole, fast.data(), frames);
        for (size_t i = 0; i < frames; ++i) {
            MixVoiceInto(single, slow.data() + 2 * i, 1);
        }
        EXPECT_EQ(whole.position, single.position) << frequency << " Hz";
        for (size_t i = 0; i < 2 * frames; ++i) {
            ASSERT_EQ(fast[i], slow[i]) << frequency << " Hz, value " << i;
        }
    }
}

TEST(MixVoiceInto, SilentVoiceMovesLikeAHeardOne) {
    std::vector<int16_t> samples(500, 1);
    for (bool looping : {false, true}) {
        MixVoice heard = VoiceOver(samples);
        heard.step = ResampleStep(30000, 44100);
        heard.looping = looping;
        MixVoice silent = heard;
        silent.leftGain = 0.0f;
        silent.rightGain = 0.0f;
        std::vector<float> out(2 * 256, 0.0f);
        for (int call = 0; call < 5; ++call) {
            bool a = MixVoiceInto(heard, out.data(), 256);
            bool b = MixVoiceInto(silent, out.data(), 256);
            EXPECT_EQ(a, b);
            EXPECT_EQ(heard.position, silent.position) << "call " << call;
            EXPECT_EQ(heard.playing, silent.playing);
        }
    }
}

TEST(MixVoiceInto, GainsScaleEachChannel) {
    std::vector<int16_t> samples(16, 10000);
    MixVoice voice = VoiceOver(samples);
    PanGains(-2000, 2000, &voice.leftGain, &voice.rightGain);
    std::vector<float> out(2 * 4, 0.0f);
    MixVoiceInto(voice, out.data(), 4);
    EXPECT_NEAR(out[0], 10000 * std::pow(10.0, -2.0), 1e-2);
    EXPECT_NEAR(out[1], 10000 * std::pow(10.0, -1.0), 1e-2);
}

TEST(MixVoiceInto, StereoSourceKeepsItsChannels) {
    std::vector<int16_t> samples{100, -100, 200, -200};
    MixVoice voice = VoiceOver(samples, 2);
    std::vector<float> out(2 * 2, 0.0f);
    MixVoiceInto(voice, out.data(), 2);
    EXPECT_EQ(out, (std::vector<float>{100, -100, 200, -200}));
}

TEST(SoundMixer, SumsVoicesAndSaturates) {
    SoundMixer mixer(44100);
    std::vector<int16_t> loud(64, 30000);
    std::vector<int16_t> quiet(64, -20000);
    MixVoice a = VoiceOver(loud);
    MixVoice b = VoiceOver(loud);
    MixVoice c = VoiceOver(quiet);
    {
        std::lock_guard lock(mixer.Mutex());
        mixer.StartVoice(&a);
        mixer.StartVoice(&b);
    }
    int16_t out[8];
    mixer.Mix(out, 4);
    EXPECT_EQ(out[0], 32767);
    EXPECT_EQ(out[7], 32767);
    {
        std::lock_guard lock(mixer.Mutex());
        mixer.StopVoice(&b);
        mixer.StartVoice(&c);
    }
    mixer.Mix(out, 4);
    EXPECT_EQ(out[0], 10000);
    quiet.assign(64, -32768);
    mixer.Mix(out, 4);
    EXPECT_EQ(out[0], -2768);
    MixVoice d = VoiceOver(quiet);
    {
        std::lock_guard lock(mixer.Mutex());
        mixer.StopVoice(&a);
        mixer.StartVoice(&d);
    }
    mixer.Mix(out, 4);
    EXPECT_EQ(out[0], -32768);
}

TEST(SoundMixer, VoicesThatEndedLeaveTheMix) {
    SoundMixer mixer(44100);
    std::vector<int16_t> samples{1000, 1000};
    MixVoice voice = VoiceOver(samples);
    {
        std::lock_guard lock(mixer.Mutex());
        mixer.StartVoice(&voice);
    }
    int16_t out[8];
    mixer.Mix(out, 4);
    EXPECT_EQ(out[0], 1000);
    EXPECT_EQ(out[4], 0);
    EXPECT_FALSE(voice.playing);
    voice.playing = true;  // not in the mixer's list any more
    mixer.Mix(out, 4);
    EXPECT_EQ(out[0], 0);
}

}  // namespace
