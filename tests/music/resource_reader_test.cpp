#include "music/resource_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "music/music_thread.h"
#include "platform/dsound/testing.h"
#include "platform/win32/resource_table.h"
#include "tests/music/driver_test_support.h"
#include "tests/music/module_writer.h"

namespace {

// The bytes live in a heap block of exactly their size, so that the address
// sanitizer sees any read past the end.
struct ExactBytes {
    explicit ExactBytes(const std::vector<uint8_t>& bytes)
        : size(bytes.size()), data(new uint8_t[bytes.size()]) {
        std::memcpy(data.get(), bytes.data(), size);
    }
    size_t size;
    std::unique_ptr<uint8_t[]> data;
};

TEST(ResourceReader, ReadEndingExactlyAtTheEndSucceeds) {
    ExactBytes bytes({1, 2, 3, 4, 5, 6, 7, 8});
    ResourceReader r{};
    OpenResourceReader(r, bytes.data.get(), 8);
    MREADER* reader = &r.reader;
    uint8_t out[8] = {};
    EXPECT_TRUE(reader->Read(reader, out, 3));
    EXPECT_TRUE(reader->Read(reader, out + 3, 5));
    EXPECT_EQ(std::memcmp(out, bytes.data.get(), 8), 0);
    EXPECT_TRUE(reader->Eof(reader));
    EXPECT_EQ(reader->Tell(reader), 8);
    EXPECT_EQ(reader->Get(reader), EOF);
    EXPECT_EQ(reader->Tell(reader), 8) << "reading at the end does not move on";
    EXPECT_TRUE(reader->Read(reader, out, 0));
}

TEST(ResourceReader, ReadCrossingTheEndFailsAndFillsOnlyFromBytesBeforeIt) {
    ExactBytes bytes({10, 20, 30, 40});
    ResourceReader r{};
    OpenResourceReader(r, bytes.data.get(), 4);
    MREADER* reader = &r.reader;
    ASSERT_EQ(reader->Seek(reader, 2, SEEK_SET), 0);
    uint8_t out[6];
    std::memset(out, 0xAA, sizeof(out));
    EXPECT_FALSE(reader->Read(reader, out, 5));
    EXPECT_EQ(out[0], 30);
    EXPECT_EQ(out[1], 40);
    EXPECT_EQ(out[2], 0) << "the rest of the destination is zeroed, not read";
    EXPECT_EQ(out[4], 0);
    EXPECT_EQ(out[5], 0xAA) << "nothing beyond the requested size";
    EXPECT_TRUE(reader->Eof(reader)) << "a loader reading on sees the end";
}

TEST(ResourceReader, SeekAndTellFollowTheTwoOrigins) {
    ExactBytes bytes({0x11, 0x22, 0x33, 0x44, 0x55});
    ResourceReader r{};
    OpenResourceReader(r, bytes.data.get(), 5);
    MREADER* reader = &r.reader;
    EXPECT_EQ(reader->Seek(reader, 3, SEEK_SET), 0);
    EXPECT_EQ(reader->Get(reader), 0x44);
    EXPECT_EQ(reader->Seek(reader, -3, SEEK_CUR), 0);
    EXPECT_EQ(reader->Tell(reader), 1);
    EXPECT_EQ(reader->Get(reader), 0x22);
    EXPECT_EQ(reader->Seek(reader, -5, SEEK_CUR), -1) << "before the start";
    EXPECT_EQ(reader->Tell(reader), 2);
    EXPECT_EQ(reader->Seek(reader, 100, SEEK_SET), 0) << "past the end is allowed";
    EXPECT_EQ(reader->Tell(reader), 100);
    uint8_t out = 0;
    EXPECT_FALSE(reader->Read(reader, &out, 1));
    EXPECT_EQ(reader->Get(reader), EOF);
    EXPECT_TRUE(reader->Eof(reader));
    EXPECT_EQ(reader->Seek(reader, -1, SEEK_END), 0);
    EXPECT_EQ(reader->Get(reader), 0x55);
}

// Loading through the library with our driver on the DirectSound fake.
class ModuleLoading : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetOutputDriverForTesting();
        SelectAudioBackendForTesting(AudioBackendKind::Unavailable);
        InstallFakeDirectSound(&sound);
        sound.cooperativeResult = DSERR_INVALIDPARAM;  // no primary buffer among the buffers
        RegisterMusicLibraryParts();
        md_device = 0;
        ASSERT_EQ(MikMod_Init(""), 0);
        ASSERT_EQ(md_driver, &directSoundDriver);
    }
    void TearDown() override {
        MikMod_Exit();
        InstallFakeDirectSound(nullptr);
        SelectAudioBackendForTesting(AudioBackendKind::Sdl);
        InstallResourceTable(nullptr, 0);
    }
    MODULE* Load(const std::vector<uint8_t>& song, uint32_t moduleSize) {
        bytes = std::make_unique<ExactBytes>(song);
        entry = ResourceEntry{116, 10, nullptr, bytes->data.get(), static_cast<uint32_t>(bytes->size)};
        InstallResourceTable(&entry, 1);
        MikMod_errno = 0;
        return LoadModuleFromResource(moduleSize, "#116");
    }

    FakeDirectSound sound;
    std::unique_ptr<ExactBytes> bytes;
    ResourceEntry entry{};
};

TEST_F(ModuleLoading, XmSamplesArriveDecodedInTheirBuffers) {
    TestSong song = MakeLoopingSong(4);
    std::vector<uint8_t> file = WriteXm(song);
    MODULE* module = Load(file, static_cast<uint32_t>(file.size()));
    ASSERT_NE(module, nullptr) << MikMod_strerror(MikMod_errno);
    EXPECT_EQ(module->numchn, 4);
    EXPECT_EQ(module->numsmp, 2);
    ASSERT_EQ(sound.buffers.size(), 2u);
    // The square wave is 8-bit and looped over its whole length.
    std::vector<int16_t> square = sound.Buffer(0)->Samples();
    ASSERT_EQ(square.size(), 64 + 2 + LOOP_TAIL_SAMPLES);
    for (size_t i = 0; i < square.size(); ++i) {
        ASSERT_EQ(square[i], song.samples[0].data[i % 64]) << "sample " << i;
    }
    // The ramp is 16-bit, one-shot, delta-coded in the file.
    std::vector<int16_t> ramp = sound.Buffer(1)->Samples();
    std::vector<int16_t> expected = song.samples[1].data;
    expected.insert(expected.end(), {0, 0});
    EXPECT_EQ(ramp, expected);
    Player_Free(module);
    EXPECT_EQ(sound.LiveBuffers(), 0) << "freeing the module unloads its samples";
}

TEST_F(ModuleLoading, ModWithFourChannelsLoads) {
    TestSong song = MakeLoopingSong(4);
    song.rows = 64;
    song.patterns = {EmptyPattern(64, 4)};
    song.patterns[0][0] = TestNote{MOD_C3_NOTE, 1, 0, 0, 0};
    std::vector<uint8_t> file = WriteMod(song);
    MODULE* module = Load(file, static_cast<uint32_t>(file.size()));
    ASSERT_NE(module, nullptr) << MikMod_strerror(MikMod_errno);
    EXPECT_EQ(module->numchn, 4);
    EXPECT_STREQ(module->modtype, "Protracker");
    Player_Free(module);
}

TEST_F(ModuleLoading, TruncatedModuleFailsWithTheLibrarysText) {
    std::vector<uint8_t> file = WriteXm(MakeLoopingSong(4));
    // Cut in the second sample's header, the first instrument, the pattern,
    // the song header and the signature.
    for (uint32_t size : {1300u, 900u, 400u, 70u, 20u}) {
        EXPECT_EQ(Load(file, size), nullptr) << "size " << size;
        EXPECT_NE(MikMod_errno, 0) << "size " << size;
        EXPECT_STRNE(MikMod_strerror(MikMod_errno), "") << "size " << size;
        EXPECT_EQ(sound.LiveBuffers(), 0) << "what was loaded is unloaded again";
    }
}

TEST_F(ModuleLoading, CutInsideTheLastSampleStillLoadsWhatIsThere) {
    // The library reads sample data in blocks and only notices an end met at
    // the start of one; past the end the reader gives only end-of-file.
    TestSong song = MakeLoopingSong(4);
    std::vector<uint8_t> file = WriteXm(song);
    MODULE* module = Load(file, static_cast<uint32_t>(file.size() - 100));
    ASSERT_NE(module, nullptr);
    std::vector<int16_t> ramp = sound.Buffer(1)->Samples();
    ASSERT_EQ(ramp.size(), 2002u);
    std::vector<int16_t> read(ramp.begin(), ramp.begin() + 1950);
    std::vector<int16_t> written(song.samples[1].data.begin(), song.samples[1].data.begin() + 1950);
    EXPECT_EQ(read, written);
    Player_Free(module);
}

TEST_F(ModuleLoading, SizeLargerThanTheResourceReadsOnlyTheResource) {
    std::vector<uint8_t> file = WriteXm(MakeLoopingSong(2));
    MODULE* module = Load(file, static_cast<uint32_t>(file.size() + 5000));
    ASSERT_NE(module, nullptr) << MikMod_strerror(MikMod_errno);
    Player_Free(module);
}

TEST_F(ModuleLoading, MissingResourceLeavesNoLibraryError) {
    InstallResourceTable(nullptr, 0);
    MikMod_errno = 0;
    EXPECT_EQ(LoadModuleFromResource(1000, "#116"), nullptr);
    EXPECT_EQ(MikMod_errno, 0);
}

TEST_F(ModuleLoading, TheEmbeddedSongLoadsAndPlaysThroughTheDriver) {
    std::ifstream file(TRELK_SONG_FILE, std::ios::binary);
    std::vector<uint8_t> song((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (song.empty()) {
        GTEST_SKIP() << "no song asset yet";
    }
    EXPECT_EQ(song.size(), 140414u);
    MODULE* module = Load(song, static_cast<uint32_t>(song.size()));
    ASSERT_NE(module, nullptr) << MikMod_strerror(MikMod_errno);
    EXPECT_EQ(module->numchn, 4);
    EXPECT_NE(std::strstr(module->modtype, "XM format"), nullptr);
    FakeTimer timer;
    SetMultimediaTimerForTesting(&timer);
    Player_Start(module);
    EXPECT_EQ(md_numchn, 4);
    int started = 0;
    for (int event = 0; event < 3 * 500; ++event) {
        DriverEvent();
        for (int v = 0; v < 4; ++v) {
            started += outputDriver.voices[v].buffer != nullptr ? 1 : 0;
        }
    }
    EXPECT_GT(started, 0) << "the song starts voices";
    Player_Stop();
    SetMultimediaTimerForTesting(nullptr);
    Player_Free(module);
    EXPECT_EQ(sound.LiveBuffers(), 0);
}

TEST_F(ModuleLoading, MoreThan128SamplesFailWithOutOfHandles) {
    TestSong song = MakeLoopingSong(2);
    TestSample tiny;
    tiny.data = std::vector<int16_t>(8, 0x1000);
    song.samples.assign(129, tiny);
    std::vector<uint8_t> file = WriteXm(song);
    EXPECT_EQ(Load(file, static_cast<uint32_t>(file.size())), nullptr);
    EXPECT_EQ(MikMod_errno, MMERR_OUT_OF_HANDLES);
    EXPECT_EQ(sound.LiveBuffers(), 0);
}

}  // namespace
