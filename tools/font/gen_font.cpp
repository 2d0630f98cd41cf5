// gen_font OUTPUT: writes the intro's font strip (a colour-mapped TGA) to OUTPUT.
#include <cstdio>
#include <string>

#include "tools/asset_file.h"
#include "tools/font/font_strip.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_font OUTPUT.tga\n");
        return 2;
    }
    std::string error;
    const auto bytes = trelk::tools::BuildFontFile(error);
    if (bytes.size() != static_cast<std::size_t>(trelk::tools::FONT_FILE_BYTES)) {
        std::fprintf(stderr, "gen_font: %s\n", error.c_str());
        return 1;
    }
    return trelk::tools::WriteAssetFile(argv[1], bytes) ? 0 : 1;
}
