// gen_mesh OUTPUT: writes the intro's mesh (a 3D Studio file) to OUTPUT.
#include <cstdio>

#include "tools/mesh/logo_mesh.h"
#include "tools/mesh/mesh_file.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gen_mesh OUTPUT.3ds\n");
    return 2;
  }
  const auto bytes = trelk::tools::BuildMeshFile(trelk::tools::BuildLogoSolid());
  if (bytes.size() != trelk::tools::MESH_FILE_BYTES) {
    std::fprintf(stderr, "gen_mesh: built %zu bytes, expected %u\n", bytes.size(),
                 trelk::tools::MESH_FILE_BYTES);
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
