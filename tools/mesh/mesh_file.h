// Writes the logo solid as the intro's 3D Studio chunk file.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/mesh/logo_mesh.h"

namespace trelk::tools {

inline constexpr std::uint32_t MESH_FILE_BYTES = 2206;

// Little-endian chunk writer: a chunk's length is patched in when it closes.
class ChunkWriter {
  public:
    // Opens a chunk; returns its offset for Close.
    std::size_t Open(std::uint16_t id);
    void Close(std::size_t chunkOffset);
    void U8(std::uint8_t value);
    void U16(std::uint16_t value);
    void U32(std::uint32_t value);
    void F32(float value);
    void Name(const char* text);  // the text and its NUL
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

  private:
    std::vector<std::uint8_t> bytes_;
};

// The whole file: main chunk, version, editor data with mesh version, the
// "DEFAULT" material, master scale and the named object "DEFAULT   " with its
// vertex list, face list and face material group. Empty if the solid is not
// the expected 64 vertices and 124 faces.
std::vector<std::uint8_t> BuildMeshFile(const LogoSolid& solid);

}  // namespace trelk::tools
