// A short run of the module reader's fuzz target on the XM, MOD and S3M seeds
// the fuzzer starts from, so that it runs in every build, sanitizers included.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/fuzz_smoke.h"
#include "tools/song/module_seeds.h"

namespace {

TEST(ModuleReaderFuzzSmoke, SeedsTheirCutsAndMutations) {
    std::vector<std::vector<uint8_t>> seeds;
    for (song::ModuleSeed& seed : song::MakeModuleSeeds()) seeds.push_back(std::move(seed.bytes));
    ASSERT_EQ(Fuzz({}), 0);
    FeedSeeds(seeds, 211, 450, 1234);
}

}  // namespace
