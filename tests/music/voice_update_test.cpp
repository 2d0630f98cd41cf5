#include <gtest/gtest.h>

#include "tests/music/driver_test_support.h"

namespace {

class VoiceUpdate : public DriverTest {
  protected:
    void SetUp() override {
        DriverTest::SetUp();
        std::vector<int16_t> data(300, 1000);
        handle = LoadSample({data, true});
        ASSERT_EQ(handle, 0);
        software = sound.Buffer(sound.buffers.size() - 1);
        software->ClearCalls();
    }
    SoundVoice& Voice(int i) { return outputDriver.voices[i]; }

    SWORD handle = -1;
    FakeSoundBuffer* software = nullptr;
};

TEST_F(VoiceUpdate, StartSetsPositionParametersAndPlaysOnce) {
    VoiceSetVolume(0, 256);
    VoiceSetPanning(0, 128);
    VoiceSetFrequency(0, 8363);
    VoicePlay(0, handle, 40, 300, 0, 0, 0);
    UpdateVoice(Voice(0));
    EXPECT_EQ(Voice(0).buffer, software);
    EXPECT_EQ(Voice(0).state, VOICE_SOFTWARE);
    EXPECT_EQ(software->CallText(),
              "SetCurrentPosition:80 SetFrequency:8363 SetVolume:-1000 SetPan:0 Play:0");
    EXPECT_EQ(Voice(0).kick, 0);
}

TEST_F(VoiceUpdate, ParametersAreAppliedOnlyWhenTheyChange) {
    StartVoice(0, handle, 300);
    software->ClearCalls();
    UpdateVoice(Voice(0));
    EXPECT_EQ(software->CallText(), "");
    VoiceSetVolume(0, 128);
    UpdateVoice(Voice(0));
    EXPECT_EQ(software->CallText(), "SetVolume:-1334");
    software->ClearCalls();
    VoiceSetPanning(0, 64);
    VoiceSetFrequency(0, 22050);
    UpdateVoice(Voice(0));
    EXPECT_EQ(software->CallText(), "SetFrequency:22050 SetPan:-493");
}

TEST_F(VoiceUpdate, VolumeAndPanningReachTheBufferThroughTheTables) {
    StartVoice(0, handle, 300);
    const std::pair<UWORD, LONG> volumes[] = {{0, -10000}, {256, -1000}, {4, -3000}};
    for (auto [volume, level] : volumes) {
        VoiceSetVolume(0, volume);
        UpdateVoice(Voice(0));
        EXPECT_EQ(software->volume, level) << "library volume " << volume;
    }
    const std::pair<ULONG, LONG> pannings[] = {{0, -10000}, {27, -10000}, {28, -2000},  {128, 0},
                                               {228, 2000}, {229, 10000}, {255, 10000}, {PAN_SURROUND, 0}};
    for (auto [panning, level] : pannings) {
        VoiceSetPanning(0, 100);
        UpdateVoice(Voice(0));
        VoiceSetPanning(0, panning);
        UpdateVoice(Voice(0));
        EXPECT_EQ(software->pan, level) << "panning " << panning;
    }
}

TEST_F(VoiceUpdate, FrequencyIsClampedToWhatABufferPlays) {
    VoiceSetFrequency(0, 40);
    EXPECT_EQ(Voice(0).frequency, 100u);
    VoiceSetFrequency(0, 358000);
    EXPECT_EQ(Voice(0).frequency, 100000u);
}

TEST_F(VoiceUpdate, RestartWhileTheSampleSoundsElsewhereGetsADuplicate) {
    StartVoice(0, handle, 300);
    ASSERT_TRUE(software->playing);
    StartVoice(1, handle, 300);
    FakeSoundBuffer* duplicate = sound.Buffer(sound.buffers.size() - 1);
    EXPECT_EQ(duplicate->duplicateOf, software);
    EXPECT_EQ(Voice(1).buffer, duplicate);
    EXPECT_EQ(Voice(1).state, VOICE_SOFTWARE | VOICE_DUPLICATE);
    EXPECT_TRUE(duplicate->playing);
    // Its next start releases the duplicate and takes the (now free) original.
    software->playing = false;
    StartVoice(1, handle, 300);
    EXPECT_EQ(duplicate->references, 0);
    EXPECT_EQ(Voice(1).buffer, software);
    EXPECT_EQ(Voice(1).state, VOICE_SOFTWARE);
}

TEST_F(VoiceUpdate, HardwareCopyIsPreferredAndDuplicatedWhileHardwareIsFree) {
    sound.freeHardwareBuffers = 2;
    SWORD both = LoadSample({std::vector<int16_t>(50, 9), true});
    FakeSoundBuffer* hardware = static_cast<FakeSoundBuffer*>(outputDriver.slots[both].hardwareBuffer);
    ASSERT_NE(hardware, nullptr);
    StartVoice(0, both, 50);
    EXPECT_EQ(Voice(0).buffer, hardware);
    EXPECT_EQ(Voice(0).state, 0);
    StartVoice(1, both, 50);
    EXPECT_EQ(Voice(1).state, VOICE_DUPLICATE);
    EXPECT_EQ(static_cast<FakeSoundBuffer*>(Voice(1).buffer)->duplicateOf, hardware);
    // No free hardware left: the software copy.
    sound.freeHardwareBuffers = 0;
    StartVoice(2, both, 50);
    EXPECT_EQ(Voice(2).buffer, outputDriver.slots[both].softwareBuffer);
    EXPECT_EQ(Voice(2).state, VOICE_SOFTWARE);
}

TEST_F(VoiceUpdate, FailedDuplicateFallsBackToTheSoftwareCopy) {
    sound.freeHardwareBuffers = 2;
    SWORD both = LoadSample({std::vector<int16_t>(50, 9), true});
    StartVoice(0, both, 50);
    sound.failDuplicate = true;
    StartVoice(1, both, 50);
    EXPECT_EQ(Voice(1).buffer, outputDriver.slots[both].softwareBuffer);
    EXPECT_EQ(Voice(1).state, VOICE_SOFTWARE);
    // Software copy busy too and duplicates failing: the voice stays silent.
    StartVoice(2, both, 50);
    EXPECT_EQ(Voice(2).buffer, nullptr);
}

TEST_F(VoiceUpdate, HardwareVoiceAboutToRestartIsMutedAtTheTick) {
    sound.freeHardwareBuffers = 1;
    SWORD both = LoadSample({std::vector<int16_t>(50, 9), true});
    auto* hardware = static_cast<FakeSoundBuffer*>(outputDriver.slots[both].hardwareBuffer);
    StartVoice(0, both, 50);
    StartVoice(1, handle, 300);
    hardware->ClearCalls();
    software->ClearCalls();
    VoicePlay(0, both, 0, 50, 0, 0, 0);
    VoicePlay(1, handle, 0, 300, 0, 0, 0);
    TickVoices();
    EXPECT_EQ(hardware->CallText(), "SetVolume:-10000");
    EXPECT_EQ(software->CallText(), "") << "software voices are not muted";
}

TEST_F(VoiceUpdate, LoopWrapKeepsThePhase) {
    std::vector<int16_t> data(300, 5);
    SWORD looped = LoadSample({data, true, true, 100, 200});
    StartVoice(0, looped, 300, 100, 200, true);
    auto* buffer = static_cast<FakeSoundBuffer*>(Voice(0).buffer);
    buffer->position = 2 * (200 + 3072);  // not beyond the threshold yet
    TickVoices();
    EXPECT_EQ(Voice(0).state & VOICE_WRAP_PENDING, 0);
    buffer->position = 2 * (200 + 3073);
    TickVoices();
    EXPECT_NE(Voice(0).state & VOICE_WRAP_PENDING, 0);
    buffer->position = 2 * 3437;  // the cursor moved on before the update
    buffer->ClearCalls();
    UpdateVoice(Voice(0));
    uint32_t expected = 100 + (3437 - 100) % 100;
    EXPECT_EQ(buffer->CallText(), "SetCurrentPosition:" + std::to_string(expected * 2));
    EXPECT_EQ(Voice(0).state & VOICE_WRAP_PENDING, 0);
}

TEST_F(VoiceUpdate, WrappedHardwareVoiceGetsItsVolumeBack) {
    sound.freeHardwareBuffers = 1;
    SWORD both = LoadSample({std::vector<int16_t>(300, 5), true, true, 100, 200});
    VoiceSetVolume(0, 256);
    StartVoice(0, both, 300, 100, 200, true);
    auto* hardware = static_cast<FakeSoundBuffer*>(Voice(0).buffer);
    ASSERT_EQ(hardware, outputDriver.slots[both].hardwareBuffer);
    hardware->position = 2 * 3400;
    hardware->ClearCalls();
    TickVoices();
    UpdateVoice(Voice(0));
    EXPECT_EQ(hardware->CallText(), "SetVolume:-10000 SetCurrentPosition:200 SetVolume:-1000");
}

TEST_F(VoiceUpdate, VoiceThatEndedByItselfLetsGoOfItsBuffer) {
    StartVoice(0, handle, 300);
    StartVoice(1, handle, 300);
    auto* duplicate = static_cast<FakeSoundBuffer*>(Voice(1).buffer);
    duplicate->playing = false;
    software->playing = false;
    UpdateVoice(Voice(0));
    UpdateVoice(Voice(1));
    EXPECT_EQ(Voice(0).buffer, nullptr);
    EXPECT_EQ(Voice(1).buffer, nullptr);
    EXPECT_EQ(Voice(0).state, 0);
    EXPECT_EQ(Voice(1).state, 0);
    EXPECT_EQ(duplicate->references, 0) << "the duplicate is released";
    EXPECT_EQ(software->references, 1) << "the slot's own copy is kept";
    EXPECT_TRUE(VoiceStopped(0));
}

TEST_F(VoiceUpdate, StopIsCarriedOutAtTheNextUpdate) {
    StartVoice(0, handle, 300);
    EXPECT_FALSE(VoiceStopped(0));
    VoiceStop(0);
    EXPECT_TRUE(VoiceStopped(0));
    software->ClearCalls();
    UpdateVoice(Voice(0));
    EXPECT_EQ(software->CallText(), "Stop");
    EXPECT_EQ(Voice(0).buffer, nullptr);
    // A start after a stop in the same tick wins.
    VoiceStop(0);
    VoicePlay(0, handle, 0, 300, 0, 0, 0);
    EXPECT_FALSE(VoiceStopped(0));
    UpdateVoice(Voice(0));
    EXPECT_TRUE(software->playing);
}

TEST_F(VoiceUpdate, VoicePlayIgnoresStartsPastTheEndAndTrimsLoops) {
    VoicePlay(0, handle, 300, 300, 0, 0, 0);
    EXPECT_EQ(Voice(0).kick, 0);
    VoicePlay(0, handle, 0, 300, 100, 500, SF_LOOP | SF_16BITS);
    EXPECT_EQ(Voice(0).loopEnd, 300u);
    EXPECT_NE(Voice(0).sampleFlags & SF_LOOP, 0);
    VoicePlay(0, handle, 0, 300, 120, 120, SF_LOOP);
    EXPECT_EQ(Voice(0).sampleFlags & SF_LOOP, 0) << "an empty loop plays unlooped";
    VoicePlay(0, handle, 0, 300, 400, 900, SF_LOOP);
    EXPECT_EQ(Voice(0).sampleFlags & SF_LOOP, 0) << "a loop that starts past the end is empty once trimmed";
}

TEST_F(VoiceUpdate, StartWithoutAUsableSlotLeavesTheVoiceSilent) {
    VoicePlay(0, 99, 0, 10, 0, 0, 0);
    UpdateVoice(Voice(0));
    EXPECT_EQ(Voice(0).buffer, nullptr);
    VoicePlay(0, -1, 0, 10, 0, 0, 0);
    UpdateVoice(Voice(0));
    EXPECT_EQ(Voice(0).buffer, nullptr);
    EXPECT_EQ(Voice(0).kick, 0);
}

}  // namespace
