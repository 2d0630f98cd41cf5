// gen_icon SIZE OUTPUT: writes the intro's SIZE x SIZE desktop icon (a PNG) to OUTPUT.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/capture/png_writer.h"
#include "tools/asset_file.h"
#include "tools/icon/icon_render.h"

int main(int argc, char** argv) {
    using namespace trelk::tools;
    const int size = argc == 3 ? std::atoi(argv[1]) : 0;
    if (argc != 3 || !IsIconSize(size)) {
        std::fprintf(stderr, "usage: gen_icon 16|32|48|64|128|256 OUTPUT.png\n");
        return 2;
    }
    const std::vector<Rgba8> pixels = RenderIcon(size);
    // Colours as rendered: plain sRGB, said so in the file.
    const auto bytes =
        EncodePng(PngImage{pixels.data(), size, size, PngPixels::Rgba}, {PngCompression::Small, true});
    if (bytes.empty()) {
        std::fprintf(stderr, "gen_icon: libpng could not encode the icon\n");
        return 1;
    }
    return trelk::tools::WriteAssetFile(argv[2], bytes) ? 0 : 1;
}
