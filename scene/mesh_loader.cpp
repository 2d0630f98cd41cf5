#include "scene/mesh_loader.h"

#include "scene/chunk_reading.h"

namespace {

// Chunks read by nothing here: stepped over with their sub-chunks. The file
// version, colours, master scale, backgrounds, shadows, ambient light, fog,
// default view, mesh version, vertex flags, face materials, mapping,
// smoothing, local axes, object colour, viewport layout, material, camera.
// clang-format off
constexpr uint16_t SKIPPED_CHUNKS[] = {
    0x0002, 0x0010, 0x0011, 0x0100, 0x1100, 0x1200, 0x1201, 0x1300, 0x1400, 0x1420,
    0x1450, 0x1460, 0x1500, 0x2100, 0x2200, 0x2300, 0x2302, 0x3000, 0x3D3E, 0x4111,
    0x4130, 0x4140, 0x4150, 0x4160, 0x4165, 0x4170, 0x7001, 0xAFFF, CHUNK_CAMERA,
};
// clang-format on

bool IsSkippedChunk(uint16_t id) {
    for (const uint16_t skipped : SKIPPED_CHUNKS) {
        if (id == skipped) {
            return true;
        }
    }
    // The keyframer's chunks.
    return (id >= 0xB000 && id <= 0xB005) || (id >= 0xB008 && id <= 0xB00A);
}

// Past the chunk's data and sub-chunks. A length too short to hold its own
// header would move the cursor backwards and loop for ever: it ends the walk.
void SkipChunk(ChunkCursor& cursor) {
    if (cursor.length < CHUNK_HEADER_SIZE) {
        EndWalk(cursor);
        return;
    }
    Advance(cursor, cursor.length - CHUNK_HEADER_SIZE);
}

ChunkCursor CursorAt(const uint8_t* data, uint32_t size) {
    ChunkCursor cursor;
    cursor.data = data;
    cursor.size = size;
    return cursor;
}

}  // namespace

int MeshLoader::LoadMeshResource(uint16_t resourceId, Scene& scene) {
    // A null handle also searches the executable itself.
    HMODULE module = LoadLibraryA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(resourceId), MESH_RESOURCE_TYPE);
    if (found == nullptr) {
        return MESH_NOT_FOUND;
    }
    resourceHandle = LoadResource(module, found);
    if (resourceHandle == nullptr) {
        return MESH_LOAD_FAILED;
    }
    resourceData = static_cast<const uint8_t*>(LockResource(resourceHandle));
    if (resourceData == nullptr) {
        return MESH_LOCK_FAILED;
    }
    resourceSize = SizeofResource(module, found);

    headerCursor = CursorAt(resourceData, resourceSize);
    walkCursor = CursorAt(resourceData, resourceSize);
    currentObject_ = -1;
    if (!ReadChunkHeader(headerCursor) || headerCursor.id != CHUNK_MAIN) {
        return MESH_NOT_3DS;
    }
    walkCursor.end = headerCursor.length;
    walkCursor.position = headerCursor.position;
    walkCursor.data = headerCursor.data;

    while (walkCursor.position < walkCursor.end) {
        if (!ReadChunkHeader(walkCursor)) {
            break;  // fewer than 6 bytes left in the resource
        }
        const int result = HandleChunk(walkCursor, scene);
        if (result != MESH_LOADED) {
            return result;
        }
    }
    return MESH_LOADED;
}

bool MeshLoader::ReadChunkHeader(ChunkCursor& cursor) {
    if (BytesLeft(cursor) < CHUNK_HEADER_SIZE) {
        return false;
    }
    uint16_t id = 0;
    uint32_t length = 0;
    ReadU16(cursor, id);
    ReadU32(cursor, length);
    cursor.id = id;
    cursor.length = length;
    return true;
}

int MeshLoader::HandleChunk(ChunkCursor& cursor, Scene& scene) {
    switch (cursor.id) {
        case CHUNK_MAIN:
        case CHUNK_EDITOR:
            return MESH_LOADED;  // enter: the next header is the first sub-chunk
        case CHUNK_NAMED_OBJECT:
            ReadName(cursor, scene);
            return MESH_LOADED;
        case CHUNK_TRIANGLE_MESH: {
            const int32_t count = scene.AddObject();
            if (count == SCENE_FULL) {
                currentObject_ = -1;
                SkipChunk(cursor);  // no slot left: its lists go with it
            } else {
                currentObject_ = count - 1;
            }
            return MESH_LOADED;
        }
        case CHUNK_VERTEX_LIST:
            if (currentObject_ < 0) {
                SkipChunk(cursor);
                return MESH_LOADED;
            }
            return ReadVertices(cursor, scene.objects[currentObject_]);
        case CHUNK_FACE_LIST:
            if (currentObject_ < 0) {
                SkipChunk(cursor);
                return MESH_LOADED;
            }
            return ReadFaces(cursor, scene.objects[currentObject_]);
        case CHUNK_LIGHT:
            if (scene.lightCount < 0 || scene.lightCount >= MAX_SCENE_LIGHTS) {
                SkipChunk(cursor);  // no slot left
                return MESH_LOADED;
            }
            ReadLight(cursor, scene);
            return MESH_LOADED;
        case CHUNK_FFFF:
            // Compared with the total length, not the room left.
            if (cursor.length <= cursor.end) {
                SkipChunk(cursor);
            }
            return MESH_LOADED;
        default:
            if (IsSkippedChunk(cursor.id)) {
                SkipChunk(cursor);
            } else if (cursor.length > cursor.end) {
                EndWalk(cursor);
            } else {
                SkipChunk(cursor);
            }
            return MESH_LOADED;
    }
}
