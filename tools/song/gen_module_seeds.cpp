// Writes the fuzzing seeds for the song reader into a directory:
//   gen_module_seeds <directory>
#include <cstdio>
#include <string>

#include "tools/asset_file.h"
#include "tools/song/module_seeds.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <directory>\n", argv[0]);
        return 2;
    }
    const std::vector<song::ModuleSeed> seeds = song::MakeModuleSeeds();
    if (seeds.size() != 6) {
        std::fprintf(stderr, "%s: a seed module did not fit its format\n", argv[0]);
        return 1;
    }
    for (const song::ModuleSeed& seed : seeds) {
        const std::string path = std::string(argv[1]) + "/" + seed.fileName;
        if (!trelk::tools::WriteAssetFile(path.c_str(), seed.bytes)) return 1;
    }
    return 0;
}
