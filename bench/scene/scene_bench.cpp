// Speed of the scene engine's two hot paths: reading a 64-position,
// 124-face mesh resource, and one object's eight draws of a frame through a
// fake device that keeps nothing (world-matrix building and call overhead only).
#include <benchmark/benchmark.h>

#include <memory>

#include "platform/win32/resource_table.h"
#include "scene/mesh_loader.h"
#include "tests/scene/chunk_file_builder.h"
#include "tests/support/fake_direct3d.h"

namespace {

// The shape of the embedded mesh: a named object of 64 positions and 124
// faces inside the editor chunk, with a material and a face material group.
std::vector<uint8_t> BenchMesh() {
    const MeshData mesh = Cylinder(8, 8);
    ChunkFileBuilder b;
    b.Begin(0x4D4D).Begin(0x0002).U32(2).End().Begin(0x3D3D).Begin(0x3D3E).U32(2).End();
    b.Begin(0xAFFF).Begin(0xA000).Text("DEFAULT").End().End().Begin(0x0100).Float(1.0f).End();
    b.BeginNamedObject("DEFAULT   ").Begin(0x4100).VertexList(mesh.xyz);
    b.FaceList(mesh.abc, false).Begin(0x4130).Text("DEFAULT").U16(0).End();
    return b.Finish();
}

void BM_LoadMeshResource(benchmark::State& state) {
    const std::vector<uint8_t> bytes = BenchMesh();
    const ResourceEntry entry{MESH_RESOURCE_ID, 0, MESH_RESOURCE_TYPE, bytes.data(),
                              static_cast<uint32_t>(bytes.size())};
    InstallResourceTable(&entry, 1);
    auto scene = std::make_unique<Scene>();
    MeshLoader loader;
    for (auto _ : state) {
        scene->objectCount = 0;  // slot 0 again: its arrays are replaced, not leaked
        // Not const: Google Benchmark 1.9 deprecates DoNotOptimize of a const value.
        int result = loader.LoadMeshResource(MESH_RESOURCE_ID, *scene);
        benchmark::DoNotOptimize(result);
    }
    if (scene->objects[0].vertexCount != 372) {
        state.SkipWithError("the bench mesh did not load");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
    InstallResourceTable(nullptr, 0);
}
BENCHMARK(BM_LoadMeshResource);

// One object of one frame: the frame's rotation, then eight placed draws.
void BM_RenderEightCopies(benchmark::State& state) {
    fake::World& world = fake::Reset();
    world.recording = false;
    auto scene = std::make_unique<Scene>();
    scene->device = &world.Make<fake::Device>();
    scene->AddObject();
    SceneObject& object = scene->objects[0];
    object.AllocateVertices(372);
    object.SetScale(0.1f, 0.1f, 0.1f);
    float angle = 0.0f;
    for (auto _ : state) {
        object.SetRotation(angle, 90.0f, 180.0f);
        for (int copy = 0; copy < 8; ++copy) {
            object.SetPosition(static_cast<float>(copy), 0.5f, 12.0f);
            benchmark::DoNotOptimize(object.Render());
        }
        angle = angle >= 358.0f ? 0.0f : angle + 2.0f;
    }
    state.SetItemsProcessed(state.iterations() * 8);
}
BENCHMARK(BM_RenderEightCopies);

}  // namespace
