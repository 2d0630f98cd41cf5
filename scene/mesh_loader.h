// Reads the 3D Studio mesh resource into the scene: every triangle mesh
// becomes a SceneObject with a non-indexed triangle list (one position and
// one normal per corner), every light chunk sets a SceneLight's position and
// colour. The walk over the chunk tree is flat: an entered chunk leaves the
// cursor on its first sub-chunk. Main thread only; calls no Direct3D function.
#pragma once

#include <cstdint>

#include "platform/win32/windows.h"
#include "scene/scene.h"

// Results of LoadMeshResource.
constexpr int MESH_LOADED = 0;
constexpr int MESH_NOT_FOUND = 128;       // no resource of that id and type "MESH"
constexpr int MESH_LOAD_FAILED = 256;     // LoadResource failed
constexpr int MESH_LOCK_FAILED = 512;     // LockResource failed
constexpr int MESH_NOT_3DS = 64;          // the first chunk is not 0x4D4D
constexpr int MESH_OUT_OF_MEMORY = 1024;  // an array could not be allocated

constexpr uint16_t MESH_RESOURCE_ID = 117;
constexpr const char* MESH_RESOURCE_TYPE = "MESH";

// The chunk ids the reader acts on.
constexpr uint16_t CHUNK_MAIN = 0x4D4D;
constexpr uint16_t CHUNK_EDITOR = 0x3D3D;
constexpr uint16_t CHUNK_NAMED_OBJECT = 0x4000;
constexpr uint16_t CHUNK_TRIANGLE_MESH = 0x4100;
constexpr uint16_t CHUNK_VERTEX_LIST = 0x4110;
constexpr uint16_t CHUNK_FACE_LIST = 0x4120;
constexpr uint16_t CHUNK_LIGHT = 0x4600;
constexpr uint16_t CHUNK_CAMERA = 0x4700;
constexpr uint16_t CHUNK_COLOR_FLOAT = 0x0010;
constexpr uint16_t CHUNK_COLOR_BYTE = 0x0011;
constexpr uint16_t CHUNK_FFFF = 0xFFFF;

constexpr uint32_t CHUNK_HEADER_SIZE = 6;  // id (u16) and length (u32)

// The reading state. position and data always move together; nothing at or
// past size (the resource's byte count) is ever read.
struct ChunkCursor {
    uint16_t id = 0;                // id of the chunk whose header was read last
    uint32_t length = 0;            // that chunk's length field, header included
    uint32_t end = 0;               // the total length: the walk runs while position < end
    uint32_t position = 0;          // offset of the next unread byte
    const uint8_t* data = nullptr;  // the next unread byte
    uint32_t size = 0;              // bytes in the resource
};

class MeshLoader {
  public:
    // Finds resource resourceId of type "MESH" in the program's own module and
    // adds its meshes and lights to scene. Returns MESH_LOADED or one of the
    // codes above. The resource bytes stay the module's; everything kept is copied.
    int LoadMeshResource(uint16_t resourceId, Scene& scene);

    // Reads id and length and advances by 6. Returns false, changing nothing,
    // when fewer than 6 bytes are left.
    static bool ReadChunkHeader(ChunkCursor& cursor);

    // Acts on the chunk whose header was just read. Returns MESH_LOADED, or
    // MESH_OUT_OF_MEMORY, which stops the walk.
    int HandleChunk(ChunkCursor& cursor, Scene& scene);

    ChunkCursor headerCursor;
    ChunkCursor walkCursor;
    HGLOBAL resourceHandle = nullptr;
    const uint8_t* resourceData = nullptr;
    uint32_t resourceSize = 0;

  private:
    void ReadName(ChunkCursor& cursor, Scene& scene);
    int ReadVertices(ChunkCursor& cursor, SceneObject& object);
    int ReadFaces(ChunkCursor& cursor, SceneObject& object);
    void ReadLight(ChunkCursor& cursor, Scene& scene);

    // Index of the object the last triangle-mesh chunk of this walk added, or
    // -1: vertex and face lists outside a mesh have nowhere to go.
    int32_t currentObject_ = -1;
};
