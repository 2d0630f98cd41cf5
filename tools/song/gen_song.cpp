// gen_song <output path>: writes the intro's song, an Extended Module
// composed and synthesised here, byte for byte the same on every run.
#include <cstdio>
#include <vector>

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
  std::FILE* file = std::fopen(argv[1], "wb");
  if (file == nullptr) {
    std::fprintf(stderr, "gen_song: cannot open %s\n", argv[1]);
    return 1;
  }
  const size_t written = std::fwrite(bytes.data(), 1, bytes.size(), file);
  const bool closed = std::fclose(file) == 0;
  if (written != bytes.size() || !closed) {
    std::fprintf(stderr, "gen_song: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
