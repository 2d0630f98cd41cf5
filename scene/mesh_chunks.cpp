// The chunks whose data the mesh reader reads: names, vertex lists, face lists
// and lights. Each checks its counts against the bytes left in the resource
// and against the arrays they index before it writes anything.
#include <cstdio>
#include <cstring>
#include <memory>

#include "log/debug_log.h"
#include "scene/chunk_reading.h"
#include "scene/mesh_loader.h"
#include "scene/scene_memory.h"

namespace {

constexpr uint32_t VERTEX_BYTES = 12;  // x, y, z floats
constexpr uint32_t FACE_BYTES = 8;     // a, b, c, flags as u16
constexpr uint32_t COLOR_BYTES = 12;   // red, green, blue floats

// Lights are stored turned -90 degrees about y.
constexpr float LIGHT_TURN_Y_DEGREES = -90.0f;

template <typename T>
using TempArray = std::unique_ptr<T[]>;

}  // namespace

// The name goes into the slot the next triangle mesh will take. Longer names
// are cut to 51 characters; a name without its NUL runs to the resource's end.
// With every slot taken the name is stepped over unlogged.
void MeshLoader::ReadName(ChunkCursor& cursor, Scene& scene) {
    const uint32_t left = BytesLeft(cursor);
    const void* nul = std::memchr(cursor.data, 0, left);
    const uint32_t nameLength =
        nul != nullptr ? static_cast<uint32_t>(static_cast<const uint8_t*>(nul) - cursor.data) : left;
    const int32_t index = scene.objectCount;
    if (index >= 0 && index < MAX_SCENE_OBJECTS) {
        char* name = scene.objects[index].name;
        const uint32_t kept = nameLength < OBJECT_NAME_SIZE - 1 ? nameLength : OBJECT_NAME_SIZE - 1;
        std::memset(name, 0, OBJECT_NAME_SIZE);
        std::memcpy(name, cursor.data, kept);
        char line[OBJECT_NAME_SIZE + 32];
        std::snprintf(line, sizeof(line), "Object %i: %s", static_cast<int>(index), name);
        DebugLog(line);
    }
    Advance(cursor, static_cast<uint64_t>(nameLength) + 1);
}

// A list that runs past the resource's end is refused and ends the walk; the
// object keeps what it had.
int MeshLoader::ReadVertices(ChunkCursor& cursor, SceneObject& object) {
    uint16_t count = 0;
    if (!ReadU16(cursor, count) || BytesLeft(cursor) < count * VERTEX_BYTES) {
        EndWalk(cursor);
        return MESH_LOADED;
    }
    if (FAILED(object.AllocatePositions(count))) {
        return MESH_OUT_OF_MEMORY;
    }
    for (uint32_t i = 0; i < count; ++i) {
        Vec3& p = object.positions[i];
        ReadFloat(cursor, p.x);
        ReadFloat(cursor, p.y);
        ReadFloat(cursor, p.z);
    }
    return MESH_LOADED;
}

// A list that runs past the resource's end is refused and ends the walk. A list
// with any corner not below positionCount (a list before its vertex list has
// none to index) is stepped over whole and the object keeps what it had; its
// sub-chunks are still met by the walk.
int MeshLoader::ReadFaces(ChunkCursor& cursor, SceneObject& object) {
    uint16_t count = 0;
    if (!ReadU16(cursor, count) || BytesLeft(cursor) < count * FACE_BYTES) {
        EndWalk(cursor);
        return MESH_LOADED;
    }
    TempArray<uint16_t> a(NewSceneArray<uint16_t>(count));
    TempArray<uint16_t> b(NewSceneArray<uint16_t>(count));
    TempArray<uint16_t> c(NewSceneArray<uint16_t>(count));
    TempArray<uint16_t> flags(NewSceneArray<uint16_t>(count));
    if (!a || !b || !c || !flags) {
        return MESH_OUT_OF_MEMORY;
    }
    bool indicesValid = true;
    for (uint32_t i = 0; i < count; ++i) {
        ReadU16(cursor, a[i]);
        ReadU16(cursor, b[i]);
        ReadU16(cursor, c[i]);
        ReadU16(cursor, flags[i]);  // smoothing and edge flags: not used
        const uint32_t limit = object.positionCount;
        indicesValid = indicesValid && a[i] < limit && b[i] < limit && c[i] < limit;
    }
    if (!indicesValid) {
        return MESH_LOADED;
    }

    TempArray<Vec3> faceNormals(NewSceneArray<Vec3>(count));
    TempArray<Vec3> vertexNormals(NewSceneArray<Vec3>(object.positionCount));
    if (!faceNormals || !vertexNormals || FAILED(object.AllocateVertices(3u * count))) {
        return MESH_OUT_OF_MEMORY;
    }
    object.faceCount = count;

    // Each position takes the normal of the last face that uses it: an
    // overwrite, not a sum, so shared corners are not smoothed.
    const Vec3* positions = object.positions;
    for (uint32_t i = 0; i < count; ++i) {
        faceNormals[i] = FaceNormal(positions[a[i]], positions[b[i]], positions[c[i]]);
        vertexNormals[a[i]] = faceNormals[i];
        vertexNormals[b[i]] = faceNormals[i];
        vertexNormals[c[i]] = faceNormals[i];
    }
    for (uint32_t i = 0; i < count; ++i) {
        const uint16_t corners[3] = {a[i], b[i], c[i]};
        for (uint32_t k = 0; k < 3; ++k) {
            const Vec3& p = positions[corners[k]];
            const Vec3& n = vertexNormals[corners[k]];
            object.vertices[3 * i + k] = D3DVERTEX{p.x, p.y, p.z, n.x, n.y, n.z, 0.0f, 0.0f};
        }
    }
    return MESH_LOADED;
}

// A position cut short by the resource's end adds no light and ends the walk;
// so does a float colour cut short, which leaves the light its default colour.
// A byte colour is stepped over. Any other header is left for the walk.
void MeshLoader::ReadLight(ChunkCursor& cursor, Scene& scene) {
    if (BytesLeft(cursor) < VERTEX_BYTES) {
        EndWalk(cursor);
        return;
    }
    const int32_t count = scene.AddLight();
    if (count == SCENE_FULL) {
        Advance(cursor, VERTEX_BYTES);  // the colour sub-chunk is then skipped by the walk
        return;
    }
    SceneLight& light = scene.lights[count - 1];
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    ReadFloat(cursor, x);
    ReadFloat(cursor, y);
    ReadFloat(cursor, z);
    const Vec3 turned = RotatePoint(x, y, z, 0.0f, LIGHT_TURN_Y_DEGREES, 0.0f);
    light.SetPosition(turned.x, turned.y, turned.z);

    if (!ReadChunkHeader(cursor)) {
        return;  // nothing follows: the walk ends by itself
    }
    if (cursor.id == CHUNK_COLOR_FLOAT) {
        if (BytesLeft(cursor) < COLOR_BYTES) {
            EndWalk(cursor);
            return;
        }
        float r = 0.0f;
        float g = 0.0f;
        float bl = 0.0f;
        ReadFloat(cursor, r);
        ReadFloat(cursor, g);
        ReadFloat(cursor, bl);
        light.SetColor(r, g, bl);
    } else if (cursor.id == CHUNK_COLOR_BYTE) {
        Advance(cursor, 3);
    } else {
        MoveBack(cursor, CHUNK_HEADER_SIZE);
    }
}
