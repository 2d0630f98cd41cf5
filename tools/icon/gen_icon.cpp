// gen_icon SIZE OUTPUT: writes the intro's SIZE x SIZE desktop icon (a PNG) to OUTPUT.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/asset_file.h"
#include "tools/icon/icon_render.h"
#include "tools/icon/png_writer.h"

int main(int argc, char** argv) {
    using namespace trelk::tools;
    const int size = argc == 3 ? std::atoi(argv[1]) : 0;
    if (argc != 3 || !IsIconSize(size)) {
        std::fprintf(stderr, "usage: gen_icon 16|32|48|64|128|256 OUTPUT.png\n");
        return 2;
    }
    std::string error;
    const auto bytes = EncodePng(RenderIcon(size), size, size, error);
    if (bytes.empty()) {
        std::fprintf(stderr, "gen_icon: %s\n", error.c_str());
        return 1;
    }
    return trelk::tools::WriteAssetFile(argv[2], bytes) ? 0 : 1;
}
