#include <gtest/gtest.h>

#include "tests/music/driver_test_support.h"

namespace {

constexpr DWORD SAMPLE_CONTROLS = 0x100E0;

std::vector<int16_t> Ramp(size_t count, int step) {
    std::vector<int16_t> data;
    for (size_t i = 0; i < count; ++i) {
        data.push_back(static_cast<int16_t>((static_cast<int>(i) + 1) * step));
    }
    return data;
}

// What a looped buffer must hold, computed position by position.
std::vector<int16_t> ExpectedLooped(const std::vector<int16_t>& data, uint32_t loopStart, uint32_t loopEnd) {
    std::vector<int16_t> expected(data.size() + 2 + LOOP_TAIL_SAMPLES, 0);
    std::copy(data.begin(), data.end(), expected.begin());
    for (size_t p = loopEnd; p < expected.size(); ++p) {
        expected[p] = data[loopStart + (p - loopEnd) % (loopEnd - loopStart)];
    }
    return expected;
}

using SampleStore = DriverTest;

TEST_F(SampleStore, PlainSampleIsFollowedByTwoZeroSamples) {
    std::vector<int16_t> data = Ramp(10, 1000);
    SWORD handle = LoadSample({data, true});
    ASSERT_EQ(handle, 0);
    FakeSoundBuffer* buffer = sound.Buffer(sound.buffers.size() - 1);
    ASSERT_EQ(outputDriver.slots[0].softwareBuffer, buffer);
    EXPECT_EQ(outputDriver.slots[0].hardwareBuffer, nullptr);
    EXPECT_EQ(buffer->flags, SAMPLE_CONTROLS | DSBCAPS_LOCSOFTWARE);
    EXPECT_EQ(buffer->data->size(), 2 * 10 + 4u);
    std::vector<int16_t> expected = data;
    expected.insert(expected.end(), {0, 0});
    EXPECT_EQ(buffer->Samples(), expected);
    EXPECT_EQ(buffer->format.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(buffer->format.nChannels, 1);
    EXPECT_EQ(buffer->format.nSamplesPerSec, 44100u);
    EXPECT_EQ(buffer->format.nAvgBytesPerSec, 88200u);
    EXPECT_EQ(buffer->format.nBlockAlign, 2);
    EXPECT_EQ(buffer->format.wBitsPerSample, 16);
}

TEST_F(SampleStore, LoopIsContinuedCyclicallyOverwritingDataBehindItsEnd) {
    std::vector<int16_t> data = Ramp(12, 500);
    ASSERT_EQ(LoadSample({data, true, true, 3, 8}), 0);
    FakeSoundBuffer* buffer = sound.Buffer(sound.buffers.size() - 1);
    EXPECT_EQ(buffer->data->size(), 2 * 12 + 4 + 12288u);
    std::vector<int16_t> samples = buffer->Samples();
    EXPECT_EQ(samples, ExpectedLooped(data, 3, 8));
    EXPECT_EQ(samples[8], data[3]) << "loop end gets the loop start";
    EXPECT_EQ(samples[13], data[3]) << "after loop end - 1 the copy starts again";
    EXPECT_NE(samples[9], data[9]) << "sample data behind the loop end is gone";
}

TEST_F(SampleStore, LoopEndingAtTheSampleEndRunsIntoTheTail) {
    std::vector<int16_t> data = Ramp(6, 100);
    ASSERT_EQ(LoadSample({data, true, true, 0, 6}), 0);
    EXPECT_EQ(sound.Buffer(0)->Samples(), ExpectedLooped(data, 0, 6));
}

TEST_F(SampleStore, EightAndSixteenBitSourcesGiveTheSameBuffer) {
    std::vector<int16_t> data;
    for (int i = 0; i < 40; ++i) {
        data.push_back(static_cast<int16_t>(((i * 37) % 256 - 128) * 256));
    }
    ASSERT_EQ(LoadSample({data, false, true, 4, 30}), 0);
    ASSERT_EQ(LoadSample({data, true, true, 4, 30}), 1);
    std::vector<int16_t> eight = sound.Buffer(0)->Samples();
    std::vector<int16_t> sixteen = sound.Buffer(1)->Samples();
    EXPECT_EQ(eight, sixteen);
    EXPECT_EQ(eight, ExpectedLooped(data, 4, 30));
}

TEST_F(SampleStore, EmptyLoopIsStoredUnlooped) {
    std::vector<int16_t> data = Ramp(8, 7);
    ASSERT_EQ(LoadSample({data, true, true, 5, 5}), 0);
    EXPECT_EQ(sound.Buffer(0)->data->size(), 2 * 8 + 4u);
}

TEST_F(SampleStore, HardwareCopyWhenTheDeviceHasFreeMixingBuffers) {
    sound.freeHardwareBuffers = 4;
    ASSERT_EQ(LoadSample({Ramp(4, 3), true}), 0);
    ASSERT_EQ(sound.buffers.size(), 2u);
    EXPECT_EQ(outputDriver.slots[0].hardwareBuffer, sound.Buffer(0));
    EXPECT_EQ(outputDriver.slots[0].softwareBuffer, sound.Buffer(1));
    EXPECT_EQ(sound.Buffer(0)->flags, SAMPLE_CONTROLS | DSBCAPS_LOCHARDWARE);
    EXPECT_EQ(sound.Buffer(0)->Samples(), sound.Buffer(1)->Samples());
}

TEST_F(SampleStore, The129thSampleIsRefusedWithOutOfHandles) {
    for (int i = 0; i < MAX_SAMPLE_SLOTS; ++i) {
        ASSERT_EQ(LoadSample({Ramp(4, i + 1), true}), i);
    }
    MikMod_errno = 0;
    EXPECT_EQ(LoadSample({Ramp(4, 1), true}), -1);
    EXPECT_EQ(MikMod_errno, MMERR_OUT_OF_HANDLES);
    SampleUnload(57);
    EXPECT_EQ(LoadSample({Ramp(4, 1), true}), 57) << "an unloaded slot is the lowest free one";
}

TEST_F(SampleStore, SampleTooBigForAnyBufferFailsBeforeReading) {
    MikMod_errno = 0;
    EXPECT_EQ(LoadSample({Ramp(4, 1), true, false, 0, 0, 0x08000000}), -1);
    EXPECT_EQ(MikMod_errno, MMERR_SAMPLE_TOO_BIG);
    EXPECT_TRUE(sound.buffers.empty());
    EXPECT_EQ(outputDriver.slots[0].softwareBuffer, nullptr);
}

TEST_F(SampleStore, UnreadableSampleFailsTheLoadWithTheReadersError) {
    // The header promises 5000 samples, the file holds 4.
    MikMod_errno = 0;
    EXPECT_EQ(LoadSample({Ramp(4, 1), true, false, 0, 0, 5000}), -1);
    EXPECT_NE(MikMod_errno, 0);
    EXPECT_TRUE(sound.buffers.empty());
}

TEST_F(SampleStore, LostBufferIsRestoredAndLockedOnceMore) {
    sound.newBuffersLoseLock = true;
    std::vector<int16_t> data = Ramp(5, 11);
    ASSERT_EQ(LoadSample({data, true}), 0);
    FakeSoundBuffer* buffer = sound.Buffer(0);
    EXPECT_EQ(buffer->CallText(), "Lock:lost Restore Lock Unlock");
    EXPECT_EQ(buffer->Samples()[4], 55);
}

TEST_F(SampleStore, FillCopiesIntoBothLockedRegions) {
    std::vector<int16_t> data = Ramp(9, 13);
    auto* made = static_cast<FakeSoundBuffer*>(CreateSampleBuffer(DSBCAPS_LOCSOFTWARE, data.data(), 18));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->Samples(), data);
    made->splitLock = true;
    std::vector<int16_t> other = Ramp(9, -3);
    FillBuffer(made, other.data(), 18);
    EXPECT_EQ(made->Samples(), other);
    made->Release();
}

TEST_F(SampleStore, FailedSoftwareCopyLeavesTheSlotFree) {
    sound.failSoftwareCreation = true;
    EXPECT_EQ(LoadSample({Ramp(4, 1), true}), 0);
    EXPECT_EQ(outputDriver.slots[0].softwareBuffer, nullptr);
    sound.failSoftwareCreation = false;
    EXPECT_EQ(LoadSample({Ramp(4, 2), true}), 0) << "the slot is taken by the next sample";
    EXPECT_NE(outputDriver.slots[0].softwareBuffer, nullptr);
}

TEST_F(SampleStore, UnloadStopsAndReleasesBothCopies) {
    sound.freeHardwareBuffers = 1;
    ASSERT_EQ(LoadSample({Ramp(4, 1), true}), 0);
    sound.Buffer(0)->ClearCalls();
    sound.Buffer(1)->ClearCalls();
    SampleUnload(0);
    EXPECT_EQ(sound.Buffer(0)->CallText(), "Stop Release");
    EXPECT_EQ(sound.Buffer(1)->CallText(), "Stop Release");
    EXPECT_EQ(outputDriver.slots[0].hardwareBuffer, nullptr);
    EXPECT_EQ(outputDriver.slots[0].softwareBuffer, nullptr);
    EXPECT_EQ(sound.LiveBuffers(), 0);
}

TEST(SampleBufferBytes, CountsDataEndSamplesAndTail) {
    EXPECT_EQ(SampleBufferBytes(0, false), 4u);
    EXPECT_EQ(SampleBufferBytes(100, false), 204u);
    EXPECT_EQ(SampleBufferBytes(100, true), 204u + 12288u);
    EXPECT_EQ(SampleBufferBytes(0xFFFFFFFFu, true), 0u) << "no sound buffer holds that";
}

TEST(UnrollLoopTail, LeavesEverythingAloneForLoopsItCannotWrap) {
    std::vector<int16_t> samples{1, 2, 3, 4, 5};
    UnrollLoopTail(samples.data(), samples.size(), 2, 2);
    UnrollLoopTail(samples.data(), samples.size(), 3, 1);
    UnrollLoopTail(samples.data(), samples.size(), 0, 5);
    EXPECT_EQ(samples, (std::vector<int16_t>{1, 2, 3, 4, 5}));
    UnrollLoopTail(samples.data(), samples.size(), 0, 2);
    EXPECT_EQ(samples, (std::vector<int16_t>{1, 2, 1, 2, 1}));
}

}  // namespace
