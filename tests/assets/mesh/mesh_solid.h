// The committed mesh file, read back through the test's own chunk walker.
#pragma once

#include <array>
#include <cmath>
#include <optional>
#include <vector>

#include "tests/assets/generator_output.h"
#include "tests/assets/mesh/chunk_tree.h"

namespace trelk::test {

struct P3 {
    double x, y, z;
};

inline P3 Sub(const P3& a, const P3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline P3 CrossP(const P3& a, const P3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double DotP(const P3& a, const P3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

struct MeshSolid {
    std::vector<P3> positions;
    std::vector<std::array<int, 3>> faces;
    std::vector<int> flags;
};

// Finds the first chunk with `id` in a depth-first walk.
inline const Chunk* FindChunk(const std::vector<Chunk>& chunks, std::uint16_t id) {
    for (const Chunk& chunk : chunks) {
        if (chunk.id == id) return &chunk;
        if (const Chunk* found = FindChunk(chunk.children, id)) return found;
    }
    return nullptr;
}

inline std::optional<MeshSolid> ReadMeshSolid(const std::vector<std::uint8_t>& bytes) {
    const auto tree = ParseChunks(bytes, 0, static_cast<std::uint32_t>(bytes.size()));
    if (!tree) return std::nullopt;
    const Chunk* vertices = FindChunk(*tree, 0x4110);
    const Chunk* faces = FindChunk(*tree, 0x4120);
    if (vertices == nullptr || faces == nullptr || vertices->data.size() < 2) return std::nullopt;
    MeshSolid solid;
    const int count = LittleU16(vertices->data.data());
    if (vertices->data.size() != 2 + 12u * count) return std::nullopt;
    for (int i = 0; i < count; ++i) {
        const std::uint8_t* p = &vertices->data[2 + 12 * i];
        solid.positions.push_back({LittleF32(p), LittleF32(p + 4), LittleF32(p + 8)});
    }
    const int faceCount = LittleU16(faces->data.data());
    for (int i = 0; i < faceCount; ++i) {
        const std::uint8_t* p = &faces->data[2 + 8 * i];
        solid.faces.push_back({LittleU16(p), LittleU16(p + 2), LittleU16(p + 4)});
        solid.flags.push_back(LittleU16(p + 6));
    }
    return solid;
}

// (B - A) x (C - A), the face normal before it is made unit length.
inline P3 RawNormal(const MeshSolid& solid, const std::array<int, 3>& f) {
    const P3& a = solid.positions[f[0]];
    return CrossP(Sub(solid.positions[f[1]], a), Sub(solid.positions[f[2]], a));
}

}  // namespace trelk::test
