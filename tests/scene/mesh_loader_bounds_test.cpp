// The mesh reader on hostile input: every count, length and index is checked
// against the bytes and arrays it refers to, nothing crashes or writes out of
// bounds (run these under the address sanitizer too), and the walk always ends.
#include <gtest/gtest.h>

#include <string>

#include "tests/scene/chunk_file_builder.h"
#include "tests/scene/scene_fixture.h"

namespace {

const std::vector<float> TRIANGLE_XYZ = {0, 0, 0, 1, 0, 0, 0, 1, 0};

using MeshBoundsTest = SceneTest;

// main > editor, left open for the test to fill.
ChunkFileBuilder Editor() {
    ChunkFileBuilder b;
    b.Begin(0x4D4D).Begin(0x3D3D);
    return b;
}

}  // namespace

TEST_F(MeshBoundsTest, VertexListRunningPastTheResourceIsRefused) {
    ChunkFileBuilder b = Editor();
    b.Begin(0x4100).Begin(0x4110).U16(100).Float(1.0f).Float(2.0f);
    std::vector<uint8_t> bytes = b.Finish();
    ASSERT_EQ(Load(bytes), MESH_LOADED);
    ASSERT_EQ(scene->objectCount, 1);
    EXPECT_EQ(scene->objects[0].positionCount, 0u);
    EXPECT_EQ(scene->objects[0].positions, nullptr);
}

TEST_F(MeshBoundsTest, FaceListRunningPastTheResourceIsRefused) {
    ChunkFileBuilder b = Editor();
    b.Begin(0x4100).VertexList(TRIANGLE_XYZ).Begin(0x4120).U16(2).U16(0).U16(1).U16(2).U16(0).U16(1);
    ASSERT_EQ(Load(b.Finish()), MESH_LOADED);
    EXPECT_EQ(scene->objects[0].positionCount, 3u);
    EXPECT_EQ(scene->objects[0].faceCount, 0u);
    EXPECT_EQ(scene->objects[0].vertices, nullptr);
}

TEST_F(MeshBoundsTest, TotalLengthBeyondTheResourceStopsAtItsEnd) {
    ChunkFileBuilder b = Editor();
    b.Begin(0x4100).VertexList(TRIANGLE_XYZ).FaceList({0, 1, 2});
    b.Close().Patch32(2, 0x7F0000FF);               // a main chunk length far past the bytes
    std::vector<uint8_t> bytes = b.U8(0x41).bytes;  // a stray byte: too short for a header
    ASSERT_EQ(Load(bytes), MESH_LOADED);
    EXPECT_EQ(scene->objects[0].vertexCount, 3u);
    EXPECT_EQ(loader.walkCursor.position, bytes.size() - 1);
}

TEST_F(MeshBoundsTest, SkippedChunkRunningPastTheResourceEndsTheWalk) {
    ChunkFileBuilder b = Editor();
    b.Begin(0x4100).VertexList(TRIANGLE_XYZ).End();
    b.Header(0x4130, 5000).U16(1);                                     // a face material group cut short
    std::vector<uint8_t> bytes = b.Close().Patch32(2, 0x10000).bytes;  // total length far beyond both
    ASSERT_EQ(Load(bytes), MESH_LOADED);
    EXPECT_EQ(scene->objects[0].positionCount, 3u);
    EXPECT_EQ(loader.walkCursor.position, bytes.size());
}

TEST_F(MeshBoundsTest, LengthsShorterThanAHeaderEndTheWalk) {
    // Stepping over length - 6 bytes would move such a chunk backwards and
    // read the same header for ever; it ends the walk instead.
    for (const uint16_t id : {uint16_t{0x0002}, uint16_t{0x4700}, uint16_t{0x1234}, uint16_t{0xFFFF}}) {
        for (const uint32_t length : {0u, 1u, 5u}) {
            ChunkFileBuilder b = Editor();
            b.Header(id, length).Begin(0x4100).End();
            const std::vector<uint8_t> bytes = b.Finish();
            ASSERT_EQ(Load(bytes), MESH_LOADED) << id << " " << length;
            EXPECT_EQ(loader.walkCursor.position, bytes.size()) << id << " " << length;
        }
    }
    EXPECT_EQ(scene->objectCount, 0);
}

TEST_F(MeshBoundsTest, LongNamesAreCutToFiftyOneCharacters) {
    const std::string longName(80, 'N');
    ChunkFileBuilder b = Editor();
    b.BeginNamedObject(longName + "tail").Begin(0x4100).VertexList(TRIANGLE_XYZ).FaceList({0, 1, 2});
    ASSERT_EQ(Load(b.Finish()), MESH_LOADED);
    const SceneObject& object = scene->objects[0];
    EXPECT_EQ(std::string(object.name), std::string(51, 'N'));
    EXPECT_EQ(object.name[51], '\0');
    EXPECT_EQ(object.vertexCount, 3u);  // the cursor went past the whole name
    EXPECT_EQ(object.positions, scene->objects[0].positions);
}

TEST_F(MeshBoundsTest, NameWithoutItsNulRunsToTheResourceEnd) {
    ChunkFileBuilder b = Editor();
    std::vector<uint8_t> bytes = b.Begin(0x4000).Close().U8('a').U8('b').U8('c').bytes;
    ASSERT_EQ(Load(bytes), MESH_LOADED);
    EXPECT_STREQ(scene->objects[0].name, "abc");
    EXPECT_EQ(scene->objectCount, 0);
}

TEST_F(MeshBoundsTest, MoreThan256MeshesAddNoMore) {
    ChunkFileBuilder b = Editor();
    for (int i = 0; i < MAX_SCENE_OBJECTS; ++i) {
        b.BeginNamedObject("m" + std::to_string(i))
            .Begin(0x4100)
            .VertexList(TRIANGLE_XYZ)
            .FaceList({0, 1, 2});
        b.End().End();
    }
    b.BeginNamedObject("extra").Begin(0x4100).VertexList({5, 5, 5, 6, 6, 6}).FaceList({0, 1, 1}).End().End();
    // A vertex list straight after the refused mesh has no mesh to go to either.
    b.VertexList({9, 9, 9});
    ASSERT_EQ(Load(b.Finish()), MESH_LOADED);
    EXPECT_EQ(scene->objectCount, MAX_SCENE_OBJECTS);
    const SceneObject& last = scene->objects[MAX_SCENE_OBJECTS - 1];
    EXPECT_STREQ(last.name, "m255");
    EXPECT_EQ(last.positionCount, 3u);
    EXPECT_EQ(last.positions[1].x, 1.0f);
    EXPECT_EQ(last.faceCount, 1u);
}

TEST_F(MeshBoundsTest, MoreThan256LightsAddNoMore) {
    ChunkFileBuilder b = Editor();
    for (int i = 0; i <= MAX_SCENE_LIGHTS; ++i) {
        b.Begin(0x4600).Float(0.0f).Float(static_cast<float>(i)).Float(0.0f).FloatColor(1, 1, 1).End();
    }
    ASSERT_EQ(Load(b.Finish()), MESH_LOADED);
    EXPECT_EQ(scene->lightCount, MAX_SCENE_LIGHTS);
    EXPECT_EQ(scene->lights[MAX_SCENE_LIGHTS - 1].desc.dvPosition.y, 255.0f);
}

TEST_F(MeshBoundsTest, FaceIndexNotBelowThePositionCountRefusesTheList) {
    ChunkFileBuilder b = Editor();
    b.Begin(0x4100).VertexList(TRIANGLE_XYZ).FaceList({0, 1, 2, 0, 3, 1}).End();
    b.Begin(0x4100).VertexList(TRIANGLE_XYZ).FaceList({2, 1, 0});
    ASSERT_EQ(Load(b.Finish()), MESH_LOADED);
    ASSERT_EQ(scene->objectCount, 2);
    EXPECT_EQ(scene->objects[0].faceCount, 0u);
    EXPECT_EQ(scene->objects[0].vertexCount, 0u);
    EXPECT_EQ(scene->objects[0].vertices, nullptr);
    EXPECT_EQ(scene->objects[1].vertexCount, 3u);  // the walk went on
}

TEST_F(MeshBoundsTest, ListsOutsideATriangleMeshGoNowhere) {
    // The scene already holds an object: lists before any mesh chunk of this
    // file must not land in it.
    ASSERT_EQ(scene->AddObject(), 1);
    ASSERT_EQ(scene->objects[0].AllocatePositions(1), D3D_OK);
    ChunkFileBuilder b = Editor();
    b.VertexList(TRIANGLE_XYZ).FaceList({0, 1, 2});
    ASSERT_EQ(Load(b.Finish()), MESH_LOADED);
    EXPECT_EQ(scene->objectCount, 1);
    EXPECT_EQ(scene->objects[0].positionCount, 1u);
    EXPECT_EQ(scene->objects[0].vertexCount, 0u);
}

TEST_F(MeshBoundsTest, FaceListBeforeItsVertexListIsRefused) {
    ChunkFileBuilder b = Editor();
    b.Begin(0x4100).FaceList({0, 0, 0}).VertexList(TRIANGLE_XYZ);
    ASSERT_EQ(Load(b.Finish()), MESH_LOADED);
    EXPECT_EQ(scene->objects[0].faceCount, 0u);
    EXPECT_EQ(scene->objects[0].vertices, nullptr);
    EXPECT_EQ(scene->objects[0].positionCount, 3u);
}

TEST_F(MeshBoundsTest, RepeatedListsReplaceTheirArrays) {
    ChunkFileBuilder b = Editor();
    b.Begin(0x4100)
        .VertexList({1, 1, 1})
        .VertexList(TRIANGLE_XYZ)
        .FaceList({0, 1, 2})
        .FaceList({0, 1, 2, 2, 1, 0});
    ASSERT_EQ(Load(b.Finish()), MESH_LOADED);
    EXPECT_EQ(scene->objects[0].positionCount, 3u);
    EXPECT_EQ(scene->objects[0].faceCount, 2u);
    EXPECT_EQ(scene->objects[0].vertexCount, 6u);
}

TEST_F(MeshBoundsTest, LightPositionCutShortAddsNoLight) {
    ChunkFileBuilder b = Editor();
    b.Begin(0x4600).Float(1.0f).Float(2.0f);
    ASSERT_EQ(Load(b.Finish()), MESH_LOADED);
    EXPECT_EQ(scene->lightCount, 0);
}

TEST_F(MeshBoundsTest, LightColourCutShortIsRefused) {
    ChunkFileBuilder b = Editor();
    b.Begin(0x4600).Float(1.0f).Float(2.0f).Float(3.0f).Begin(0x0010).Float(0.5f).Float(0.5f);
    ASSERT_EQ(Load(b.Finish()), MESH_LOADED);
    ASSERT_EQ(scene->lightCount, 1);
    EXPECT_EQ(scene->lights[0].desc.dvPosition.y, 2.0f);
    EXPECT_EQ(scene->lights[0].desc.dcvColor.r, 0.0f);

    // A byte colour cut short: nothing past the end is touched.
    ChunkFileBuilder c = Editor();
    c.Begin(0x4600).Float(1.0f).Float(2.0f).Float(3.0f).Header(0x0011, 9).U8(7);
    ASSERT_EQ(Load(c.Finish()), MESH_LOADED);
    EXPECT_EQ(scene->lightCount, 2);
}

TEST_F(MeshBoundsTest, AllocationFailureReturnsItsOwnCode) {
    const std::vector<uint8_t> file = [] {
        ChunkFileBuilder b = Editor();
        b.Begin(0x4100).VertexList(TRIANGLE_XYZ).FaceList({0, 1, 2});
        return b.Finish();
    }();
    // Positions, then four face arrays, two normal arrays and the vertices.
    for (int succeeding = 0; succeeding < 8; ++succeeding) {
        scene = std::make_unique<Scene>();
        FailSceneAllocationsAfter(succeeding);
        EXPECT_EQ(Load(file), MESH_OUT_OF_MEMORY) << succeeding;
        EXPECT_EQ(scene->objects[0].faceCount, 0u);
    }
    FailSceneAllocationsAfter(8);
    scene = std::make_unique<Scene>();
    EXPECT_EQ(Load(file), MESH_LOADED);
    EXPECT_EQ(scene->objects[0].vertexCount, 3u);
}
