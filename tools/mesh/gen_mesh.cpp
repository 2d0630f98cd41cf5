// gen_mesh OUTPUT: writes the intro's mesh (a 3D Studio file) to OUTPUT.
#include <cstdio>

#include "tools/asset_file.h"
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
    return trelk::tools::WriteAssetFile(argv[1], bytes) ? 0 : 1;
}
