// Builds 3D Studio chunk files in memory for tests, fuzz seeds and benchmarks.
// Begin/End nest chunks and patch each length when the chunk is closed; Raw
// writes a header with any length at all.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

class ChunkFileBuilder {
  public:
    ChunkFileBuilder& Begin(uint16_t id) {
        U16(id);
        open_.push_back(bytes.size());
        U32(0);
        return *this;
    }
    // Closes the innermost chunk: its length covers the header and all since.
    ChunkFileBuilder& End() {
        const size_t lengthAt = open_.back();
        open_.pop_back();
        const uint32_t length = static_cast<uint32_t>(bytes.size() - (lengthAt - 2));
        std::memcpy(&bytes[lengthAt], &length, 4);
        return *this;
    }
    ChunkFileBuilder& Header(uint16_t id, uint32_t length) { return U16(id).U32(length); }

    ChunkFileBuilder& U8(uint8_t v) {
        bytes.push_back(v);
        return *this;
    }
    ChunkFileBuilder& U16(uint16_t v) { return U8(static_cast<uint8_t>(v)).U8(static_cast<uint8_t>(v >> 8)); }
    ChunkFileBuilder& U32(uint32_t v) {
        return U16(static_cast<uint16_t>(v)).U16(static_cast<uint16_t>(v >> 16));
    }
    ChunkFileBuilder& Float(float f) {
        uint32_t bits = 0;
        std::memcpy(&bits, &f, 4);
        return U32(bits);
    }
    // The characters and their NUL.
    ChunkFileBuilder& Text(const std::string& s) {
        bytes.insert(bytes.end(), s.begin(), s.end());
        return U8(0);
    }

    // A named object chunk is left open: its triangle mesh or light follows.
    ChunkFileBuilder& BeginNamedObject(const std::string& name) { return Begin(0x4000).Text(name); }

    ChunkFileBuilder& VertexList(const std::vector<float>& xyz) {
        Begin(0x4110).U16(static_cast<uint16_t>(xyz.size() / 3));
        for (const float f : xyz) {
            Float(f);
        }
        return End();
    }
    // Faces as (a, b, c) triples; every face gets flags 7.
    ChunkFileBuilder& FaceList(const std::vector<uint16_t>& abc, bool closeChunk = true) {
        Begin(0x4120).U16(static_cast<uint16_t>(abc.size() / 3));
        for (size_t i = 0; i + 2 < abc.size(); i += 3) {
            U16(abc[i]).U16(abc[i + 1]).U16(abc[i + 2]).U16(7);
        }
        return closeChunk ? End() : *this;
    }
    ChunkFileBuilder& FloatColor(float r, float g, float b) {
        return Begin(0x0010).Float(r).Float(g).Float(b).End();
    }
    ChunkFileBuilder& ByteColor(uint8_t r, uint8_t g, uint8_t b) {
        return Begin(0x0011).U8(r).U8(g).U8(b).End();
    }

    // Closes every chunk still open.
    std::vector<uint8_t> Finish() {
        Close();
        return bytes;
    }
    ChunkFileBuilder& Close() {
        while (!open_.empty()) {
            End();
        }
        return *this;
    }

    // Overwrites four bytes already written, little-endian.
    ChunkFileBuilder& Patch32(size_t at, uint32_t v) {
        for (size_t i = 0; i < 4 && at + i < bytes.size(); ++i) {
            bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
        }
        return *this;
    }

    std::vector<uint8_t> bytes;

  private:
    std::vector<size_t> open_;  // offsets of the length fields of open chunks
};

// A closed cylinder of rings x segments positions: the sides as two triangles
// per quad, each cap as a fan. 8 x 8 gives 64 positions and 124 faces.
struct MeshData {
    std::vector<float> xyz;
    std::vector<uint16_t> abc;
};
inline MeshData Cylinder(int rings, int segments) {
    MeshData mesh;
    for (int r = 0; r < rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            const float angle = 6.2831853f * static_cast<float>(s) / static_cast<float>(segments);
            mesh.xyz.push_back(10.0f * std::cos(angle));
            mesh.xyz.push_back(0.41f + 0.32f * static_cast<float>(r) / static_cast<float>(rings - 1));
            mesh.xyz.push_back(10.0f * std::sin(angle));
        }
    }
    auto at = [segments](int r, int s) { return static_cast<uint16_t>(r * segments + (s % segments)); };
    for (int r = 0; r + 1 < rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            mesh.abc.insert(mesh.abc.end(), {at(r, s), at(r + 1, s), at(r, s + 1)});
            mesh.abc.insert(mesh.abc.end(), {at(r, s + 1), at(r + 1, s), at(r + 1, s + 1)});
        }
    }
    for (int s = 1; s + 1 < segments; ++s) {
        mesh.abc.insert(mesh.abc.end(), {at(0, 0), at(0, s + 1), at(0, s)});
        mesh.abc.insert(mesh.abc.end(), {at(rings - 1, 0), at(rings - 1, s), at(rings - 1, s + 1)});
    }
    return mesh;
}

// A main and editor chunk around one named triangle mesh.
inline std::vector<uint8_t> SingleMeshFile(const std::string& name, const std::vector<float>& xyz,
                                           const std::vector<uint16_t>& abc) {
    ChunkFileBuilder b;
    b.Begin(0x4D4D).Begin(0x0002).U32(3).End().Begin(0x3D3D);
    b.BeginNamedObject(name).Begin(0x4100).VertexList(xyz).FaceList(abc);
    return b.Finish();
}
