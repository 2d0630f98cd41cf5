#include "music/resource_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "music/music_thread.h"
#include "tests/music/driver_test_support.h"
#include "tests/music/looping_song.h"
#include "tests/support/files.h"
#include "tests/support/installed_resource.h"
#include "tools/song/mod_writer.h"
#include "tools/song/module_seeds.h"

namespace {

// A reader over a heap block of exactly the bytes, so that the address
// sanitizer sees any read past the end.
struct ExactReader {
    explicit ExactReader(const std::vector<uint8_t>& data) : bytes(new uint8_t[data.size()]) {
        std::memcpy(bytes.get(), data.data(), data.size());
        OpenResourceReader(state, bytes.get(), static_cast<uint32_t>(data.size()));
    }
    std::unique_ptr<uint8_t[]> bytes;
    ResourceReader state{};
    MREADER* reader = &state.reader;
};

TEST(ResourceReader, ReadEndingExactlyAtTheEndSucceeds) {
    ExactReader exact({1, 2, 3, 4, 5, 6, 7, 8});
    MREADER* reader = exact.reader;
    uint8_t out[8] = {};
    EXPECT_TRUE(reader->Read(reader, out, 3));
    EXPECT_TRUE(reader->Read(reader, out + 3, 5));
    EXPECT_EQ(std::memcmp(out, exact.bytes.get(), 8), 0);
    EXPECT_TRUE(reader->Eof(reader));
    EXPECT_EQ(reader->Tell(reader), 8);
    EXPECT_EQ(reader->Get(reader), EOF);
    EXPECT_EQ(reader->Tell(reader), 8) << "reading at the end does not move on";
    EXPECT_TRUE(reader->Read(reader, out, 0));
}

TEST(ResourceReader, ReadCrossingTheEndFailsAndFillsOnlyFromBytesBeforeIt) {
    ExactReader exact({10, 20, 30, 40});
    MREADER* reader = exact.reader;
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
    ExactReader exact({0x11, 0x22, 0x33, 0x44, 0x55});
    MREADER* reader = exact.reader;
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
class ModuleLoading : public FakeSoundTest {
  protected:
    void SetUp() override {
        FakeSoundTest::SetUp();
        sound.cooperativeResult = DSERR_INVALIDPARAM;  // no primary buffer among the buffers
        RegisterMusicLibraryParts();
        md_device = 0;
        ASSERT_EQ(MikMod_Init(""), 0);
        ASSERT_EQ(md_driver, &directSoundDriver);
    }
    void TearDown() override {
        MikMod_Exit();
        resource.reset();
        FakeSoundTest::TearDown();
    }
    MODULE* Load(const std::vector<uint8_t>& song, size_t moduleSize) {
        resource.emplace(116, song);
        MikMod_errno = 0;
        return LoadModuleFromResource(static_cast<uint32_t>(moduleSize), "#116");
    }

    std::optional<InstalledResource> resource;
};

TEST_F(ModuleLoading, XmSamplesArriveDecodedInTheirBuffers) {
    const song::XmModule song = LoopingSong(4);
    const std::vector<uint8_t> file = XmBytes(song);
    MODULE* module = Load(file, file.size());
    ASSERT_NE(module, nullptr) << MikMod_strerror(MikMod_errno);
    EXPECT_EQ(module->numchn, 4);
    EXPECT_EQ(module->numsmp, 2);
    ASSERT_EQ(sound.buffers.size(), 2u);
    // The square wave is 8-bit (widened to 16) and looped over its whole length.
    std::vector<int16_t> square = sound.Buffer(0)->Samples();
    ASSERT_EQ(square.size(), 64 + 2 + LOOP_TAIL_SAMPLES);
    for (size_t i = 0; i < square.size(); ++i) {
        ASSERT_EQ(square[i], song.instruments[0].sample.data[i % 64] * 256) << "sample " << i;
    }
    // The ramp is 16-bit, one-shot, delta-coded in the file.
    std::vector<int16_t> ramp = sound.Buffer(1)->Samples();
    std::vector<int16_t> expected = song.instruments[1].sample.data;
    expected.insert(expected.end(), {0, 0});
    EXPECT_EQ(ramp, expected);
    Player_Free(module);
    EXPECT_EQ(sound.LiveBuffers(), 0) << "freeing the module unloads its samples";
}

TEST_F(ModuleLoading, ModWithFourChannelsLoads) {
    std::vector<uint8_t> file;
    ASSERT_TRUE(song::WriteMod(song::MakeSeedModule(4, true), file));
    MODULE* module = Load(file, file.size());
    ASSERT_NE(module, nullptr) << MikMod_strerror(MikMod_errno);
    EXPECT_EQ(module->numchn, 4);
    EXPECT_STREQ(module->modtype, "Protracker");
    Player_Free(module);
}

TEST_F(ModuleLoading, TruncatedModuleFailsWithTheLibrarysText) {
    const song::XmModule song = LoopingSong(4);
    const std::vector<uint8_t> file = XmBytes(song);
    // The song header takes 336 bytes, an instrument's headers 263 + 40.
    const size_t patternEnd = 336 + 9 + song::PackPattern(song.patterns[0]).size();
    const size_t secondInstrument = patternEnd + 263 + 40 + 64;
    // Cut in the second sample's header, the first instrument, the pattern,
    // the song header and the signature.
    for (size_t size : {secondInstrument + 280, patternEnd + 100, patternEnd - 20, size_t{70}, size_t{20}}) {
        EXPECT_EQ(Load(file, size), nullptr) << "size " << size;
        EXPECT_NE(MikMod_errno, 0) << "size " << size;
        EXPECT_STRNE(MikMod_strerror(MikMod_errno), "") << "size " << size;
        EXPECT_EQ(sound.LiveBuffers(), 0) << "what was loaded is unloaded again";
    }
}

TEST_F(ModuleLoading, CutInsideTheLastSampleStillLoadsWhatIsThere) {
    // The library reads sample data in blocks and only notices an end met at
    // the start of one; past the end the reader gives only end-of-file.
    const song::XmModule song = LoopingSong(4);
    const std::vector<uint8_t> file = XmBytes(song);
    MODULE* module = Load(file, file.size() - 100);
    ASSERT_NE(module, nullptr);
    std::vector<int16_t> ramp = sound.Buffer(1)->Samples();
    ASSERT_EQ(ramp.size(), 2002u);
    const std::vector<int16_t>& written = song.instruments[1].sample.data;
    EXPECT_TRUE(std::equal(written.begin(), written.begin() + 1950, ramp.begin()));
    Player_Free(module);
}

TEST_F(ModuleLoading, SizeLargerThanTheResourceReadsOnlyTheResource) {
    const std::vector<uint8_t> file = XmBytes(LoopingSong(2));
    MODULE* module = Load(file, file.size() + 5000);
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
    const std::vector<uint8_t> song = ReadFileBytes(TRELK_SONG_FILE);
    if (song.empty()) {
        GTEST_SKIP() << "no song asset yet";
    }
    EXPECT_EQ(song.size(), 140414u);
    MODULE* module = Load(song, song.size());
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

// A note on an instrument whose key map names a sample it lacks takes the
// channel over but keeps the previous instrument's envelope switched on, so the
// player starts an envelope on an instrument that has no points: the note plays
// that envelope's first point, silence here, instead of reading past it.
TEST_F(ModuleLoading, EnvelopeLeftOnOverAnInstrumentWithoutPointsPlaysItsFirstPoint) {
    song::XmModule song = LoopingSong(1);
    song.instruments[0].volumeEnvelope.points = {{0, 64}, {32, 64}};
    song.instruments[1].name = "gap";
    song.patterns[0].At(1, 0) = {49, 2, 0, 0, 0};
    std::vector<uint8_t> file = XmBytes(song);
    // Each of the 96 notes of "gap" names its second sample: the key map follows the
    // name (22 bytes), the type (1), the sample count (2) and the sample header size (4).
    const std::string name = "gap";
    auto header = std::search(file.begin(), file.end(), name.begin(), name.end());
    ASSERT_NE(header, file.end());
    std::fill_n(header + 29, 96, 1);
    MODULE* module = Load(file, file.size());
    ASSERT_NE(module, nullptr) << MikMod_strerror(MikMod_errno);
    for (int i = 0; i < module->numins; ++i) {
        const INSTRUMENT& instrument = module->instruments[i];
        const int fewest = std::min({instrument.volpts, instrument.panpts, instrument.pitpts});
        EXPECT_GE(fewest, 1) << "instrument " << i << ": an envelope without points";
    }
    FakeTimer timer;
    SetMultimediaTimerForTesting(&timer);
    Player_Start(module);
    // Three driver events to a tick, six ticks to a row: voice 0's volume after each event.
    std::vector<int> volumes;
    for (int event = 0; event < 2 * 6 * 3; ++event) {
        DriverEvent();
        volumes.push_back(outputDriver.voices[0].volume);
    }
    EXPECT_GT(*std::max_element(volumes.begin(), volumes.begin() + 18), 0) << "the enveloped note sounds";
    EXPECT_EQ(volumes.back(), 0) << "the note on the instrument without points is silent";
    Player_Stop();
    SetMultimediaTimerForTesting(nullptr);
    Player_Free(module);
}

TEST_F(ModuleLoading, MoreThan128SamplesFailWithOutOfHandles) {
    song::XmModule song = LoopingSong(2);
    song::XmInstrument tiny;
    tiny.sample.data.assign(8, 16);
    song.instruments.assign(128, tiny);
    std::vector<uint8_t> file = XmBytes(song);
    // The writer stops at the format's 128: a 129th instrument block (263-byte
    // header, 40-byte sample header, 8 bytes) is added by hand.
    const std::vector<uint8_t> last(file.end() - (263 + 40 + 8), file.end());
    file.insert(file.end(), last.begin(), last.end());
    file[72] = 129;
    EXPECT_EQ(Load(file, file.size()), nullptr);
    EXPECT_EQ(MikMod_errno, MMERR_OUT_OF_HANDLES);
    EXPECT_EQ(sound.LiveBuffers(), 0);
}

}  // namespace
