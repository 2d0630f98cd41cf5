// The mixer against the DirectSound laws: gains in hundredths of a decibel,
// resampling steps, play-once ends, loops and saturation.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/dsound/sound_mixer.h"

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
