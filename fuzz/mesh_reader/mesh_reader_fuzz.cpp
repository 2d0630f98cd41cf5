// Arbitrary bytes as mesh resource 117 through LoadMeshResource into a fresh
// scene without Direct3D. Whatever the bytes, the reader must return, stay
// inside every array and leave the scene consistent; the checks below trap
// otherwise. Also compiled into a unit test that replays generated inputs.
#include <cstddef>
#include <cstdint>
#include <new>

#include "platform/win32/resource_table.h"
#include "scene/mesh_loader.h"

// Written after every input so that the compiler keeps the reads.
volatile float meshFuzzSink = 0.0f;

namespace {

void Require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

// Reads every element the scene claims to hold, so that a count larger than
// its array shows up under the address sanitizer.
void CheckScene(const Scene& scene) {
    Require(scene.objectCount >= 0 && scene.objectCount <= MAX_SCENE_OBJECTS);
    Require(scene.lightCount >= 0 && scene.lightCount <= MAX_SCENE_LIGHTS);
    Require(scene.cameraCount == 0);
    float sink = 0.0f;
    for (int i = 0; i < MAX_SCENE_OBJECTS; ++i) {
        const SceneObject& object = scene.objects[i];
        Require(object.name[OBJECT_NAME_SIZE - 1] == '\0');
        Require(object.vertexCount == 0 || object.vertices != nullptr);
        Require(object.vertices == nullptr || object.vertexCount == 3 * object.faceCount);
        Require(object.positions != nullptr || object.positionCount == 0);
        for (uint32_t v = 0; v < object.vertexCount; ++v) {
            sink += object.vertices[v].nx + object.vertices[v].tu;
        }
        for (uint32_t p = 0; p < object.positionCount; ++p) {
            sink += object.positions[p].y;
        }
    }
    meshFuzzSink = sink;  // keeps the reads from being optimised away
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0xFFFFFFFFu) {
        return 0;
    }
    static const uint8_t empty = 0;
    static ResourceEntry entry;
    entry = ResourceEntry{MESH_RESOURCE_ID, 0, MESH_RESOURCE_TYPE, size > 0 ? data : &empty,
                          static_cast<uint32_t>(size)};
    InstallResourceTable(&entry, 1);

    // One block reused for a fresh scene per input: a large allocation each
    // time would cost more than the reading.
    alignas(Scene) static unsigned char storage[sizeof(Scene)];
    Scene* scene = new (storage) Scene();
    MeshLoader loader;
    const int result = loader.LoadMeshResource(MESH_RESOURCE_ID, *scene);
    Require(result == MESH_LOADED || result == MESH_NOT_3DS);
    Require(loader.walkCursor.position <= size);
    CheckScene(*scene);
    scene->~Scene();

    InstallResourceTable(nullptr, 0);
    return 0;
}
