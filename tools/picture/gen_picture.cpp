// gen_picture OUTPUT: writes the intro's background picture (a GIF) to OUTPUT.
#include <cstdio>
#include <string>

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
  std::FILE* file = std::fopen(argv[1], "wb");
  if (file == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0 || !written) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}
