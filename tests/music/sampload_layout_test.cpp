// libmikmod's sample-loader record as the library itself makes and reads it.
// The records here are made, changed and loaded by the library's own code,
// so a declaration in music/mikmod_driver_side.h that does not match the
// installed version (a field moved, widened or missing) fails these tests.
#include <gtest/gtest.h>

#include "music/resource_reader.h"
#include "tests/music/driver_test_support.h"

extern "C" {
SAMPLOAD* SL_RegisterSample(SAMPLE* sample, int type, MREADER* reader);
int SL_LoadSamples(void);
void SL_HalveSample(SAMPLOAD* loader, int factor);
}

namespace {

class SamploadLayout : public DriverTest {
  protected:
    void SetUp() override {
        DriverTest::SetUp();
        savedDriver_ = md_driver;
        md_driver = &directSoundDriver;  // the library loads through our driver
    }
    void TearDown() override {
        md_driver = savedDriver_;
        DriverTest::TearDown();
    }

  private:
    MDRIVER* savedDriver_ = nullptr;
};

TEST_F(SamploadLayout, FieldsTheLibraryWritesAreReadWhereTheDriverLooks) {
    MREADER reader{};  // registering never reads
    SAMPLE looped{};
    looped.length = 1000;
    looped.loopstart = 123;
    looped.loopend = 987;
    looped.flags = SF_16BITS | SF_SIGNED | SF_DELTA | SF_LOOP;
    SAMPLE plain{};
    plain.length = 70000;
    plain.flags = SF_STEREO | SF_BIG_ENDIAN;

    SAMPLOAD* first = SL_RegisterSample(&looped, MD_SNDFX, &reader);
    SAMPLOAD* second = SL_RegisterSample(&plain, MD_SNDFX, &reader);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->next, second);
    EXPECT_EQ(second->next, nullptr);
    EXPECT_EQ(first->length, 1000u);
    EXPECT_EQ(first->loopstart, 123u);
    EXPECT_EQ(first->loopend, 987u);
    EXPECT_EQ(second->length, 70000u);
    EXPECT_EQ(first->infmt, SF_16BITS | SF_SIGNED | SF_DELTA) << "the format bits only";
    EXPECT_EQ(first->outfmt, first->infmt);
    EXPECT_EQ(second->infmt, SF_STEREO | SF_BIG_ENDIAN);
    EXPECT_EQ(first->scalefactor, 0);
    EXPECT_EQ(first->sample, &looped);
    EXPECT_EQ(second->sample, &plain);
    EXPECT_EQ(second->reader, &reader);

    // What the driver asks for lands in the library's output format and in
    // the sample's flags, never in the input format.
    SL_SampleSigned(second);
    SL_Sample8to16(second);
    EXPECT_EQ(second->outfmt, SF_STEREO | SF_BIG_ENDIAN | SF_SIGNED | SF_16BITS);
    EXPECT_EQ(second->infmt, SF_STEREO | SF_BIG_ENDIAN);
    EXPECT_EQ(plain.flags, SF_STEREO | SF_BIG_ENDIAN | SF_SIGNED | SF_16BITS);

    // The library reads the length and loop points where we write them and
    // writes its scale factor where we read it.
    first->length = 4000;
    first->loopstart = 400;
    first->loopend = 3000;
    SL_HalveSample(first, 4);
    EXPECT_EQ(first->scalefactor, 4);
    EXPECT_EQ(looped.length, 1000u);
    EXPECT_EQ(looped.loopstart, 100u);
    EXPECT_EQ(looped.loopend, 750u);

    // Empty samples are not loaded: this only hands the records back.
    looped.length = 0;
    plain.length = 0;
    EXPECT_EQ(SL_LoadSamples(), 0);
    EXPECT_TRUE(sound.buffers.empty());
}

TEST_F(SamploadLayout, DriverLoadsTheSampleTheLibraryHandsIt) {
    // Unsigned 8-bit, as a Scream Tracker file holds it.
    std::vector<uint8_t> file = {0, 64, 128, 192, 255};
    ResourceReader reader{};
    OpenResourceReader(reader, file.data(), static_cast<uint32_t>(file.size()));
    SAMPLE sample{};
    sample.length = static_cast<ULONG>(file.size());
    sample.flags = 0;
    ASSERT_NE(SL_RegisterSample(&sample, MD_MUSIC, &reader.reader), nullptr);

    ASSERT_EQ(SL_LoadSamples(), 0) << MikMod_strerror(MikMod_errno);
    EXPECT_EQ(sample.handle, 0);
    EXPECT_EQ(sample.flags & SF_FORMATMASK, SF_SIGNED | SF_16BITS);
    ASSERT_EQ(sound.buffers.size(), 1u);
    EXPECT_EQ(sound.Buffer(0)->Samples(), (std::vector<int16_t>{-32768, -16384, 0, 16384, 32512, 0, 0}));
}

}  // namespace
