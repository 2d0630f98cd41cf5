// gen_picture OUTPUT: writes the intro's background picture (a GIF) to OUTPUT.
#include <cstdio>
#include <string>

#include "tools/asset_file.h"
#include "tools/picture/gif_encoder.h"
#include "tools/picture/palette_dither.h"
#include "tools/picture/picture_layers.h"
#include "tools/picture/picture_render.h"

int main(int argc, char** argv) {
    using namespace trelk::tools;
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_picture OUTPUT.gif\n");
        return 2;
    }
    const auto truecolour = RenderPicture();
    const Palette palette = MedianCutPalette(truecolour);
    const auto indices = Dither(truecolour, PICTURE_WIDTH, palette);
    std::string error;
    const auto bytes = EncodeGif(indices, PICTURE_WIDTH, PICTURE_HEIGHT, palette, 255, error);
    if (bytes.empty()) {
        std::fprintf(stderr, "gen_picture: %s\n", error.c_str());
        return 1;
    }
    return trelk::tools::WriteAssetFile(argv[1], bytes) ? 0 : 1;
}
