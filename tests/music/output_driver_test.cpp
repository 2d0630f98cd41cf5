#include <gtest/gtest.h>

#include <cstring>

#include "platform/dsound/testing.h"
#include "tests/music/driver_test_support.h"

namespace {

// Init is run by each test itself here.
using DriverLifecycle = FakeSoundTest;

TEST_F(DriverLifecycle, RecordIsNamedDirectSoundWithThirtyTwoHardwareVoices) {
    EXPECT_STREQ(directSoundDriver.Name, "DirectSound");
    ASSERT_NE(directSoundDriver.Version, nullptr);
    EXPECT_GT(std::strlen(directSoundDriver.Version), 0u);
    EXPECT_EQ(directSoundDriver.HardVoiceLimit, 32);
    EXPECT_EQ(directSoundDriver.SoftVoiceLimit, 0);
    EXPECT_EQ(directSoundDriver.FreeSampleSpace(MD_HARDWARE), 0u);
    // Every operation the library calls without checking is there.
    EXPECT_NE(directSoundDriver.VoiceStop, nullptr);
    EXPECT_NE(directSoundDriver.VoiceStopped, nullptr);
    EXPECT_NE(directSoundDriver.SetNumVoices, nullptr);
    EXPECT_NE(directSoundDriver.RealSampleLength, nullptr);
    EXPECT_NE(directSoundDriver.VoiceGetVolume, nullptr);
}

TEST_F(DriverLifecycle, IsPresentCreatesAndReleasesAnInitialisedObject) {
    EXPECT_TRUE(directSoundDriver.IsPresent());
    EXPECT_EQ(sound.initializeCalls, 1);
    EXPECT_EQ(sound.references, 1) << "released again";
    sound.initializeResult = DSERR_NODRIVER;
    EXPECT_FALSE(directSoundDriver.IsPresent());
    EXPECT_EQ(sound.references, 1);
}

TEST_F(DriverLifecycle, IsPresentFailsWithoutASoundDevice) {
    InstallFakeDirectSound(nullptr);
    EXPECT_FALSE(directSoundDriver.IsPresent());
}

TEST_F(DriverLifecycle, InitSetsUpAPlayingPrimaryBufferAndClearsSoftwareMixing) {
    md_mode = 0x010F;
    ASSERT_EQ(directSoundDriver.Init(), 0);
    EXPECT_EQ(md_mode & (DMODE_SOFT_MUSIC | DMODE_SOFT_SNDFX), 0);
    EXPECT_EQ(md_mode & (DMODE_16BITS | DMODE_STEREO), DMODE_16BITS | DMODE_STEREO);
    EXPECT_EQ(outputDriver.directSound, &sound);
    EXPECT_EQ(sound.cooperativeLevel, DSSCL_PRIORITY);
    EXPECT_EQ(sound.cooperativeWindow, GetForegroundWindow());
    ASSERT_EQ(sound.buffers.size(), 1u);
    FakeSoundBuffer* primary = sound.Buffer(0);
    EXPECT_EQ(outputDriver.primaryBuffer, primary);
    EXPECT_EQ(primary->flags, DSBCAPS_PRIMARYBUFFER);
    EXPECT_EQ(primary->CallText(), "SetFormat:2x44100 Play:1");
    EXPECT_EQ(outputDriver.VolumeTable[64], -1000);
    EXPECT_EQ(outputDriver.PanTable[128], 0);
    directSoundDriver.Exit();
    EXPECT_EQ(primary->CallText(), "SetFormat:2x44100 Play:1 Stop Release");
    EXPECT_EQ(outputDriver.directSound, nullptr);
    EXPECT_EQ(outputDriver.primaryBuffer, nullptr);
    EXPECT_EQ(sound.references, 1) << "every reference handed out is back";
}

TEST_F(DriverLifecycle, FailedInitializeStillSucceedsWithoutAPrimaryBuffer) {
    sound.initializeResult = DSERR_NODRIVER;
    ASSERT_EQ(directSoundDriver.Init(), 0);
    EXPECT_TRUE(sound.buffers.empty());
    EXPECT_EQ(outputDriver.primaryBuffer, nullptr);
    directSoundDriver.Exit();
    EXPECT_EQ(sound.references, 1);
}

TEST_F(DriverLifecycle, RefusedCooperativeLevelLeavesNoPrimaryBuffer) {
    sound.cooperativeResult = DSERR_INVALIDPARAM;
    ASSERT_EQ(directSoundDriver.Init(), 0);
    EXPECT_EQ(outputDriver.primaryBuffer, nullptr);
    directSoundDriver.Exit();
}

TEST_F(DriverLifecycle, InitFailsWhenTheDirectSoundObjectCannotBeMade) {
    InstallFakeDirectSound(nullptr);
    SetDirectSoundFactoryForTesting([](LPDIRECTSOUND*) { return static_cast<HRESULT>(E_OUTOFMEMORY); });
    EXPECT_NE(directSoundDriver.Init(), 0);
    EXPECT_EQ(outputDriver.directSound, nullptr);
    directSoundDriver.Exit();  // the library calls it after a failed Init
    SetDirectSoundFactoryForTesting(nullptr);
}

TEST_F(DriverLifecycle, VoiceGettersReportTheLibrarysRanges) {
    VoiceSetVolume(3, 192);
    VoiceSetPanning(3, 77);
    VoiceSetFrequency(3, 8363);
    EXPECT_EQ(directSoundDriver.VoiceGetVolume(3), 192);
    EXPECT_EQ(directSoundDriver.VoiceGetPanning(3), 77u);
    EXPECT_EQ(directSoundDriver.VoiceGetFrequency(3), 8363u);
}

}  // namespace
