// The mesh reader on chunk files built here: what a valid file becomes, the
// walk's rules for lights, cameras, unknown chunks and 0xFFFF, the log line,
// and the result codes.
#include "scene/mesh_loader.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/scene/chunk_file_builder.h"
#include "tests/scene/scene_fixture.h"

namespace {

// Four positions, two faces: a unit triangle facing +z and one facing +y.
const std::vector<float> CORNER_XYZ = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1};

using MeshLoaderTest = SceneTest;

void ExpectVec(const Vec3& v, float x, float y, float z) {
    EXPECT_EQ(v.x, x);
    EXPECT_EQ(v.y, y);
    EXPECT_EQ(v.z, z);
}

void ExpectNormal(const D3DVERTEX& v, float x, float y, float z) {
    EXPECT_EQ(v.nx, x);
    EXPECT_EQ(v.ny, y);
    EXPECT_EQ(v.nz, z);
}

}  // namespace

TEST_F(MeshLoaderTest, OneObjectBecomesATriangleListWithNormals) {
    ASSERT_EQ(Load(SingleMeshFile("DEFAULT   ", CORNER_XYZ, {0, 1, 2})), MESH_LOADED);
    ASSERT_EQ(scene->objectCount, 1);
    EXPECT_EQ(scene->lightCount, 0);
    const SceneObject& object = scene->objects[0];
    EXPECT_STREQ(object.name, "DEFAULT   ");
    ASSERT_EQ(object.positionCount, 4u);
    ExpectVec(object.positions[3], 0, 0, 1);
    EXPECT_EQ(object.faceCount, 1u);
    ASSERT_EQ(object.vertexCount, 3u);
    const D3DVERTEX& b = object.vertices[1];
    EXPECT_EQ(b.x, 1.0f);
    EXPECT_EQ(b.y, 0.0f);
    EXPECT_EQ(b.tu, 0.0f);
    EXPECT_EQ(b.tv, 0.0f);
    for (uint32_t i = 0; i < 3; ++i) {
        ExpectNormal(object.vertices[i], 0, 0, 1);
    }
    EXPECT_EQ(object.deviceRef, &scene->device);
    EXPECT_EQ(DebugLogText(), "Object 0: DEFAULT   \n");
    // The reader never calls Direct3D.
    EXPECT_EQ(world.log, std::vector<std::string>{});
}

TEST_F(MeshLoaderTest, FileShapedLikeTheEmbeddedMesh) {
    const MeshData mesh = Cylinder(8, 8);
    ChunkFileBuilder b;
    b.Begin(0x4D4D).Begin(0x0002).U32(2).End();
    b.Begin(0x3D3D).Begin(0x3D3E).U32(2).End();
    b.Begin(0xAFFF).Begin(0xA000).Text("DEFAULT").End().FloatColor(1, 1, 1).End();
    b.Begin(0x0100).Float(1.0f).End();
    b.BeginNamedObject("DEFAULT   ").Begin(0x4100).VertexList(mesh.xyz);
    b.FaceList(mesh.abc, false).Begin(0x4130).Text("DEFAULT").U16(1).U16(0).End().End();
    ASSERT_EQ(Load(b.Finish()), MESH_LOADED);
    ASSERT_EQ(scene->objectCount, 1);
    EXPECT_EQ(scene->lightCount, 0);
    const SceneObject& object = scene->objects[0];
    EXPECT_EQ(object.positionCount, 64u);
    EXPECT_EQ(object.faceCount, 124u);
    EXPECT_EQ(object.vertexCount, 372u);
    // Vertex 3i + k is corner k of face i, as read.
    for (uint32_t i = 0; i < object.faceCount; ++i) {
        for (uint32_t k = 0; k < 3; ++k) {
            const Vec3& p = object.positions[mesh.abc[3 * i + k]];
            ASSERT_EQ(object.vertices[3 * i + k].x, p.x);
            ASSERT_EQ(object.vertices[3 * i + k].z, p.z);
        }
    }
    EXPECT_EQ(DebugLogText(), "Object 0: DEFAULT   \n");
}

TEST_F(MeshLoaderTest, TheProgramsOwnMeshAsset) {
    const std::vector<uint8_t> bytes = ReadFileBytes(MESH_ASSET_PATH);
    if (bytes.empty()) {
        GTEST_SKIP() << "no mesh asset in this tree";
    }
    ASSERT_EQ(Load(bytes), MESH_LOADED);
    ASSERT_EQ(scene->objectCount, 1);
    EXPECT_EQ(scene->lightCount, 0);
    const SceneObject& object = scene->objects[0];
    EXPECT_STREQ(object.name, "DEFAULT   ");
    EXPECT_EQ(object.positionCount, 64u);
    EXPECT_EQ(object.faceCount, 124u);
    EXPECT_EQ(object.vertexCount, 372u);
    for (uint32_t i = 0; i < object.positionCount; ++i) {
        EXPECT_GE(object.positions[i].y, 0.40f);
        EXPECT_LE(object.positions[i].y, 0.74f);
    }
    EXPECT_EQ(DebugLogText(), "Object 0: DEFAULT   \n");
}

TEST_F(MeshLoaderTest, SharedPositionsCarryTheLastFacesNormal) {
    // Face 0 (0, 1, 2) faces +z; face 1 (0, 3, 1) faces +y and shares 0 and 1.
    ASSERT_EQ(Load(SingleMeshFile("shared", CORNER_XYZ, {0, 1, 2, 0, 3, 1})), MESH_LOADED);
    const SceneObject& object = scene->objects[0];
    ASSERT_EQ(object.vertexCount, 6u);
    ExpectNormal(object.vertices[0], 0, 1, 0);  // position 0, overwritten by face 1
    ExpectNormal(object.vertices[1], 0, 1, 0);  // position 1, likewise
    ExpectNormal(object.vertices[2], 0, 0, 1);  // position 2, face 0 only
    ExpectNormal(object.vertices[3], 0, 1, 0);
    ExpectNormal(object.vertices[4], 0, 1, 0);
    ExpectNormal(object.vertices[5], 0, 1, 0);
}

TEST_F(MeshLoaderTest, DegenerateFaceGivesItsPositionsTheZeroNormal) {
    // Face 0 is a sliver (0, 0, 1); face 1 (1, 2, 3) then claims position 1.
    ASSERT_EQ(Load(SingleMeshFile("flat", CORNER_XYZ, {0, 0, 1, 1, 2, 3})), MESH_LOADED);
    const SceneObject& object = scene->objects[0];
    ExpectNormal(object.vertices[0], 0, 0, 0);
    ExpectNormal(object.vertices[1], 0, 0, 0);
    const D3DVERTEX& claimed = object.vertices[2];
    EXPECT_NEAR(claimed.nx, 1.0 / std::sqrt(3.0), 1e-6);
    EXPECT_NEAR(claimed.ny, 1.0 / std::sqrt(3.0), 1e-6);
}

TEST_F(MeshLoaderTest, LightWithFloatColourSetsPositionAndColour) {
    ChunkFileBuilder b;
    b.Begin(0x4D4D).Begin(0x3D3D).BeginNamedObject("lamp");
    b.Begin(0x4600).Float(2.0f).Float(3.0f).Float(5.0f).FloatColor(0.25f, 0.5f, 0.75f).End();
    ASSERT_EQ(Load(b.Finish()), MESH_LOADED);
    ASSERT_EQ(scene->lightCount, 1);
    EXPECT_EQ(scene->objectCount, 0);
    const D3DLIGHT2& d = scene->lights[0].desc;
    const Vec3 turned = RotatePoint(2.0f, 3.0f, 5.0f, 0.0f, -90.0f, 0.0f);
    EXPECT_EQ(d.dvPosition.x, turned.x);
    EXPECT_EQ(d.dvPosition.z, turned.z);
    EXPECT_NEAR(d.dvPosition.x, 5.0, 0.01);
    EXPECT_EQ(d.dvPosition.y, 3.0f);
    EXPECT_NEAR(d.dvPosition.z, -2.0, 0.01);
    EXPECT_EQ(d.dcvColor.r, 0.25f);
    EXPECT_EQ(d.dcvColor.g, 0.5f);
    EXPECT_EQ(d.dcvColor.b, 0.75f);
    EXPECT_EQ(scene->lights[0].light, nullptr);  // no Direct3D light yet
    EXPECT_TRUE(d3d.outers.empty());
    // A light's name still lands in the free object slot.
    EXPECT_STREQ(scene->objects[0].name, "lamp");
}

TEST_F(MeshLoaderTest, LightWithByteColourOrNoneSetsOnlyThePosition) {
    ChunkFileBuilder b;
    b.Begin(0x4D4D).Begin(0x3D3D);
    b.Begin(0x4600).Float(1.0f).Float(2.0f).Float(3.0f).ByteColor(255, 0, 0).End();
    // No colour: the chunk right after the position is a named object.
    b.Begin(0x4600).Float(7.0f).Float(8.0f).Float(9.0f);
    b.BeginNamedObject("after").Begin(0x4100).VertexList(CORNER_XYZ).FaceList({0, 1, 2});
    ASSERT_EQ(Load(b.Finish()), MESH_LOADED);
    ASSERT_EQ(scene->lightCount, 2);
    for (int i = 0; i < 2; ++i) {
        const D3DCOLORVALUE& c = scene->lights[i].desc.dcvColor;
        EXPECT_EQ(c.r + c.g + c.b, 0.0f) << i;
    }
    EXPECT_NEAR(scene->lights[0].desc.dvPosition.x, 3.0, 0.01);
    EXPECT_NEAR(scene->lights[1].desc.dvPosition.x, 9.0, 0.01);
    EXPECT_NEAR(scene->lights[1].desc.dvPosition.z, -7.0, 0.01);
    ASSERT_EQ(scene->objectCount, 1);
    EXPECT_STREQ(scene->objects[0].name, "after");
    EXPECT_EQ(scene->objects[0].vertexCount, 3u);
}

TEST_F(MeshLoaderTest, CameraChunkIsSteppedOverWhole) {
    ChunkFileBuilder b;
    b.Begin(0x4D4D).Begin(0x3D3D).BeginNamedObject("cam");
    // Data that would read as a triangle mesh if the walk entered the camera.
    b.Begin(0x4700).Header(0x4100, 6).Header(0x4100, 6).End().End();
    b.BeginNamedObject("mesh").Begin(0x4100).VertexList(CORNER_XYZ).FaceList({0, 1, 2});
    ASSERT_EQ(Load(b.Finish()), MESH_LOADED);
    ASSERT_EQ(scene->objectCount, 1);
    EXPECT_STREQ(scene->objects[0].name, "mesh");
    EXPECT_EQ(DebugLogText(), "Object 0: cam\nObject 0: mesh\n");
}

TEST_F(MeshLoaderTest, FfffStepsOverItsHeaderOnlyWhenLongerThanTheFile) {
    ChunkFileBuilder b;
    b.Begin(0x4D4D).Begin(0x3D3D);
    b.Header(0xFFFF, 0xFFFFFFF0u);  // longer than the file: the next header is read
    b.Begin(0x4100).VertexList(CORNER_XYZ).FaceList({0, 1, 2}).End();
    // Within the file: skipped with the mesh inside it.
    b.Begin(0xFFFF).Begin(0x4100).VertexList(CORNER_XYZ).End().End();
    ASSERT_EQ(Load(b.Finish()), MESH_LOADED);
    ASSERT_EQ(scene->objectCount, 1);
    EXPECT_EQ(scene->objects[0].vertexCount, 3u);
}

TEST_F(MeshLoaderTest, UnknownChunkLongerThanTheFileEndsTheWalk) {
    ChunkFileBuilder b;
    b.Begin(0x4D4D).Begin(0x3D3D);
    b.Begin(0x1234).Begin(0x4100).End().End();  // unknown and short: skipped whole
    b.Begin(0x4100).VertexList(CORNER_XYZ).FaceList({0, 1, 2}).End();
    b.Header(0x5678, 0x7FFFFFFF);
    b.Begin(0x4100).End();  // never reached
    ASSERT_EQ(Load(b.Finish()), MESH_LOADED);
    EXPECT_EQ(scene->objectCount, 1);
    EXPECT_EQ(scene->objects[0].faceCount, 1u);
    EXPECT_EQ(loader.walkCursor.position, loader.walkCursor.end);
}

TEST_F(MeshLoaderTest, ResultCodes) {
    ChunkFileBuilder notMain;
    notMain.Begin(0x4D4C).Begin(0x3D3D).Begin(0x4100).End();
    EXPECT_EQ(Load(notMain.Finish()), MESH_NOT_3DS);
    EXPECT_EQ(scene->objectCount, 0);
    EXPECT_EQ(Load({0x4D, 0x4D, 6, 0}), MESH_NOT_3DS);  // too short for a header
    EXPECT_EQ(Load({}), MESH_NOT_3DS);

    {
        const InstalledResource other(118, SingleMeshFile("x", CORNER_XYZ, {0, 1, 2}), MESH_RESOURCE_TYPE);
        EXPECT_EQ(loader.LoadMeshResource(MESH_RESOURCE_ID, *scene), MESH_NOT_FOUND);
    }
    {
        static const uint8_t someBytes[8] = {0x4D, 0x4D, 8, 0, 0, 0, 0, 0};
        const ResourceEntry wrongType{117, 10, nullptr, someBytes, sizeof(someBytes)};  // RCDATA
        InstallResourceTable(&wrongType, 1);
        EXPECT_EQ(loader.LoadMeshResource(MESH_RESOURCE_ID, *scene), MESH_NOT_FOUND);
        const ResourceEntry noData{117, 0, "MESH", nullptr, 0};
        InstallResourceTable(&noData, 1);
        EXPECT_EQ(loader.LoadMeshResource(MESH_RESOURCE_ID, *scene), MESH_LOAD_FAILED);
        InstallResourceTable(nullptr, 0);
    }
    EXPECT_EQ(scene->objectCount, 0);
    EXPECT_EQ(DebugLogText(), "");
}

TEST_F(MeshLoaderTest, ReadChunkHeaderReadsLittleEndianAndRefusesShortInput) {
    const uint8_t bytes[] = {0x00, 0x41, 0x10, 0x20, 0x30, 0x40, 0xEE};
    ChunkCursor cursor;
    cursor.data = bytes;
    cursor.size = sizeof(bytes);
    ASSERT_TRUE(MeshLoader::ReadChunkHeader(cursor));
    EXPECT_EQ(cursor.id, 0x4100);
    EXPECT_EQ(cursor.length, 0x40302010u);
    EXPECT_EQ(cursor.position, 6u);
    EXPECT_EQ(cursor.data, bytes + 6);
    EXPECT_FALSE(MeshLoader::ReadChunkHeader(cursor));
    EXPECT_EQ(cursor.position, 6u);
    EXPECT_EQ(cursor.id, 0x4100);
}
