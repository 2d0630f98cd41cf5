// gen_font OUTPUT: writes the intro's font strip (a colour-mapped TGA) to OUTPUT.
#include <cstdio>
#include <string>

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
