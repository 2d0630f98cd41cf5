// gen_song <output path>: writes the intro's song, an Extended Module
// composed and synthesised here, byte for byte the same on every run.
#include <cstdio>
#include <vector>

#include "tools/asset_file.h"
#include "tools/song/song_builder.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_song <output.xm>\n");
        return 2;
    }
    std::vector<uint8_t> bytes;
    if (!song::BuildSongFile(bytes)) {
        std::fprintf(stderr, "gen_song: the song could not be built\n");
        return 1;
    }
    return trelk::tools::WriteAssetFile(argv[1], bytes) ? 0 : 1;
}
