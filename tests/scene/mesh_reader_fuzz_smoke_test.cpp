// Replays the fuzz entry over inputs made here: well-formed files, every
// truncation of them, single-byte corruptions and random bytes behind a valid
// main chunk id. The entry traps on any broken invariant.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/scene/chunk_file_builder.h"
#include "tests/support/fuzz_smoke.h"

namespace {

std::vector<std::vector<uint8_t>> Seeds() {
    std::vector<std::vector<uint8_t>> seeds;
    const MeshData small = Cylinder(3, 4);
    seeds.push_back(SingleMeshFile("DEFAULT   ", small.xyz, small.abc));

    ChunkFileBuilder lights;
    lights.Begin(0x4D4D).Begin(0x3D3D).BeginNamedObject("lamp");
    lights.Begin(0x4600).Float(1).Float(2).Float(3).FloatColor(0, 1, 0).End().End();
    lights.Begin(0x4600).Float(4).Float(5).Float(6).ByteColor(1, 2, 3).End();
    lights.Begin(0x4600).Float(7).Float(8).Float(9).End();
    lights.BeginNamedObject("cam").Begin(0x4700).Float(0).Float(0).Float(0).End().End();
    lights.Header(0xFFFF, 0xFFFFFFFFu).Begin(0x4100).VertexList({0, 0, 0}).FaceList({0, 0, 0});
    seeds.push_back(lights.Finish());

    ChunkFileBuilder material;
    material.Begin(0x4D4D)
        .Begin(0x0002)
        .U32(2)
        .End()
        .Begin(0x3D3D)
        .Begin(0xAFFF)
        .Begin(0xA000)
        .Text("M")
        .End();
    material.End().Begin(0x0100).Float(1).End().BeginNamedObject("obj").Begin(0x4100);
    material.VertexList(small.xyz).FaceList(small.abc, false).Begin(0x4130).Text("M").U16(0).End();
    seeds.push_back(material.Finish());
    return seeds;
}

}  // namespace

TEST(MeshReaderFuzzSmoke, SeedsAndEveryTruncation) { FeedSeeds(Seeds(), 1, 0, 0); }

TEST(MeshReaderFuzzSmoke, SingleByteCorruptions) {
    for (const std::vector<uint8_t>& seed : Seeds()) {
        for (size_t at = 0; at < seed.size(); ++at) {
            for (const uint8_t value : {uint8_t{0x00}, uint8_t{0x05}, uint8_t{0x7F}, uint8_t{0xFF}}) {
                std::vector<uint8_t> input = seed;
                input[at] = value;
                Fuzz(input);
            }
        }
    }
}

TEST(MeshReaderFuzzSmoke, RandomBytesBehindAMainChunk) {
    uint32_t state = 12345;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return static_cast<uint8_t>(state >> 24);
    };
    // Ids drawn from the ones the reader acts on make the walk go deep.
    const uint8_t ids[][2] = {{0x00, 0x40}, {0x00, 0x41}, {0x10, 0x41}, {0x20, 0x41}, {0x00, 0x46},
                              {0x10, 0x00}, {0x3D, 0x3D}, {0xFF, 0xFF}, {0x00, 0x47}};
    for (int round = 0; round < 2000; ++round) {
        std::vector<uint8_t> input = {0x4D, 0x4D, next(), next(), 0, 0};
        const size_t length = next() % 200;
        while (input.size() < length) {
            if (next() < 40) {
                const uint8_t* id = ids[next() % (sizeof(ids) / sizeof(ids[0]))];
                input.insert(input.end(), {id[0], id[1], static_cast<uint8_t>(next() % 64), 0, 0, 0});
            } else {
                input.push_back(next() < 128 ? next() % 8 : next());
            }
        }
        Fuzz(input);
    }
}
