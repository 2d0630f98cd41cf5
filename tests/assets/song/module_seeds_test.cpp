// The fuzzing seeds for the song reader load with the module library's
// loader of their format, with the channels, samples, loops and orders they
// were written with: a seed the library rejects would start the fuzzer from
// nothing again.
#include "tools/song/module_seeds.h"

#include <string>

#include "tests/assets/song/mikmod_fixture.h"

namespace {

using ModuleSeedsInMikMod = MikModWithoutSound;

TEST_F(ModuleSeedsInMikMod, EverySeedLoadsAsWritten) {
    const std::vector<song::ModuleSeed> seeds = song::MakeModuleSeeds();
    ASSERT_EQ(seeds.size(), 6u);
    for (const song::ModuleSeed& seed : seeds) {
        SCOPED_TRACE(seed.fileName);
        const std::string format = seed.fileName.substr(seed.fileName.find('.') + 1);
        MODULE* module = Player_LoadMem(reinterpret_cast<const char*>(seed.bytes.data()),
                                        static_cast<int>(seed.bytes.size()), 32, 0);
        ASSERT_NE(module, nullptr) << MikMod_strerror(MikMod_errno);
        const std::string type = module->modtype;
        const bool itsLoader = format == "xm"    ? type.find("XM format") != std::string::npos
                               : format == "s3m" ? type.find("Screamtracker 3") == 0
                                                 : type == "Protracker" || type == "Fasttracker";
        EXPECT_TRUE(itsLoader) << type;
        EXPECT_EQ(module->numchn, seed.fileName.rfind("wide", 0) == 0 ? 8 : 4);
        EXPECT_EQ(module->numpos, 2);
        EXPECT_EQ(module->numpat, 2);
        EXPECT_EQ(module->initspeed, 6);
        EXPECT_EQ(module->inittempo, 125);
        ASSERT_EQ(module->numsmp, format == "mod" ? 31 : 3);  // a MOD always has 31 slots
        EXPECT_EQ(module->samples[0].length, 32u);
        EXPECT_NE(module->samples[0].flags & SF_LOOP, 0);
        EXPECT_EQ(module->samples[1].length, 256u);
        EXPECT_EQ(module->samples[1].flags & SF_LOOP, 0);
        EXPECT_NE(module->samples[2].flags & SF_LOOP, 0);
        EXPECT_EQ((module->samples[2].inflags & SF_16BITS) != 0, format != "mod");
        Player_Free(module);
    }
}

}  // namespace
