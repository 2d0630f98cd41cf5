// Scene objects and the scene container: world matrices, the draw calls,
// materials, slots and their device references, and destruction order.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "scene/projection.h"
#include "tests/scene/scene_fixture.h"

namespace {

struct Point {
    double x, y, z;
};

// Turns, scales and places a point from the rotation formulas themselves:
// about x (y toward z), then y (x toward z), then z (x toward y).
Point PlaceByFormula(Point p, double rx, double ry, double rz, const Vec3& scale, const Vec3& at) {
    const double cx = std::cos(rx), sx = std::sin(rx);
    p = {p.x, p.y * cx - p.z * sx, p.y * sx + p.z * cx};
    const double cy = std::cos(ry), sy = std::sin(ry);
    p = {p.x * cy - p.z * sy, p.y, p.x * sy + p.z * cy};
    const double cz = std::cos(rz), sz = std::sin(rz);
    p = {p.x * cz - p.y * sz, p.x * sz + p.y * cz, p.z};
    return {p.x * scale.x + at.x, p.y * scale.y + at.y, p.z * scale.z + at.z};
}

Point Apply(const Point& p, const Matrix4& m) {
    return {p.x * m._11 + p.y * m._21 + p.z * m._31 + m._41, p.x * m._12 + p.y * m._22 + p.z * m._32 + m._42,
            p.x * m._13 + p.y * m._23 + p.z * m._33 + m._43};
}

bool SameMatrix(const Matrix4& a, const Matrix4& b) { return std::memcmp(&a, &b, sizeof(a)) == 0; }

SceneObject& AddedObject(Scene& scene) {
    const int32_t count = scene.AddObject();
    return scene.objects[count - 1];
}

}  // namespace

TEST_F(SceneTest, NewObjectIsEmptyWithIdentityWorld) {
    const SceneObject& object = scene->objects[17];
    EXPECT_EQ(object.vertices, nullptr);
    EXPECT_EQ(object.positions, nullptr);
    EXPECT_EQ(object.material, nullptr);
    EXPECT_EQ(object.deviceRef, nullptr);
    EXPECT_EQ(object.vertexCount + object.positionCount + object.faceCount + object.materialHandle, 0u);
    EXPECT_EQ(object.materialDesc.dwSize, 80u);
    EXPECT_EQ(object.materialDesc.power, 0.0f);
    EXPECT_EQ(object.scale.x, 0.0f);
    EXPECT_EQ(object.name[0], '\0');
    EXPECT_TRUE(SameMatrix(object.world, fake::Identity4()));
}

TEST_F(SceneTest, SetRotationTakesYThenXThenZ) {
    SceneObject& object = AddedObject(*scene);
    object.SetRotation(10.0f, 20.0f, 30.0f);
    EXPECT_EQ(object.rotationY, DegreesToRadians(10.0f));
    EXPECT_EQ(object.rotationX, DegreesToRadians(20.0f));
    EXPECT_EQ(object.rotationZ, DegreesToRadians(30.0f));
}

TEST_F(SceneTest, WorldWithoutRotationIsScaleAndPosition) {
    SceneObject& object = AddedObject(*scene);
    object.SetScale(0.1f, 0.2f, 0.3f);
    object.SetPosition(4.0f, -5.0f, 6.0f);
    object.ComputeWorldMatrix();
    Matrix4 expected = fake::Identity4();
    expected._11 = 0.1f;
    expected._22 = 0.2f;
    expected._33 = 0.3f;
    expected._41 = 4.0f;
    expected._42 = -5.0f;
    expected._43 = 6.0f;
    EXPECT_TRUE(SameMatrix(object.world, expected));

    // Scale never set: the object collapses to its position.
    SceneObject& collapsed = AddedObject(*scene);
    collapsed.ComputeWorldMatrix();
    EXPECT_EQ(collapsed.world._11, 0.0f);
    EXPECT_EQ(collapsed.world._44, 1.0f);
}

TEST_F(SceneTest, NinetyDegreesAboutXKeepsTheTwentyTwoSeventhsSlip) {
    SceneObject& object = AddedObject(*scene);
    object.SetRotation(0.0f, 90.0f, 0.0f);
    object.SetScale(1.0f, 1.0f, 1.0f);
    object.ComputeWorldMatrix();
    Matrix4 expected;
    RotationX(expected, 1.5714285f);
    EXPECT_TRUE(SameMatrix(object.world, expected));
    EXPECT_NEAR(object.world._22, -0.00063, 0.00001);
}

TEST_F(SceneTest, WorldTurnsXThenYThenZThenScalesThenPlaces) {
    SceneObject& object = AddedObject(*scene);
    object.SetRotation(40.0f, 90.0f, 180.0f);  // the frame's call with spin 40
    object.SetScale(0.1f, 0.2f, 0.3f);
    object.SetPosition(1.5f, -2.0f, 12.0f);
    object.ComputeWorldMatrix();
    for (const Point p : {Point{1, 0, 0}, Point{0, 1, 0}, Point{0, 0, 1}, Point{3, -2, 5}}) {
        const Point want = PlaceByFormula(p, object.rotationX, object.rotationY, object.rotationZ,
                                          object.scale, object.position);
        const Point got = Apply(p, object.world);
        EXPECT_NEAR(got.x, want.x, 1e-5);
        EXPECT_NEAR(got.y, want.y, 1e-5);
        EXPECT_NEAR(got.z, want.z, 1e-5);
    }
    EXPECT_EQ(object.world._14, 0.0f);
    EXPECT_EQ(object.world._44, 1.0f);
}

TEST_F(SceneTest, RenderSetsWorldThenMaterialThenDrawsTheTriangleList) {
    SceneObject& object = AddedObject(*scene);
    ASSERT_EQ(object.AllocateVertices(6), D3D_OK);
    object.materialHandle = 0x77;
    object.SetScale(2.0f, 2.0f, 2.0f);
    object.SetPosition(1.0f, 2.0f, 3.0f);
    ASSERT_EQ(object.Render(), D3D_OK);

    ASSERT_EQ(device.calls.size(), 3u);
    EXPECT_EQ(device.calls[0].kind, fake::DeviceCallKind::SetTransform);
    EXPECT_EQ(device.calls[0].state, static_cast<DWORD>(D3DTRANSFORMSTATE_WORLD));
    EXPECT_TRUE(SameMatrix(device.calls[0].matrix, object.world));
    EXPECT_EQ(device.calls[0].matrix._41, 1.0f);
    EXPECT_EQ(device.calls[1].kind, fake::DeviceCallKind::SetLightState);
    EXPECT_EQ(device.calls[1].state, static_cast<DWORD>(D3DLIGHTSTATE_MATERIAL));
    EXPECT_EQ(device.calls[1].value, 0x77u);
    const fake::DeviceCall& draw = device.calls[2];
    EXPECT_EQ(draw.kind, fake::DeviceCallKind::DrawPrimitive);
    EXPECT_EQ(draw.state, static_cast<DWORD>(D3DPT_TRIANGLELIST));
    EXPECT_EQ(draw.value, 0x112u);
    EXPECT_EQ(draw.vertices, object.vertices);
    EXPECT_EQ(draw.count, 6u);
    EXPECT_EQ(draw.flags, D3DDP_WAIT);
}

TEST_F(SceneTest, RenderReportsOnlyTheDrawFailure) {
    SceneObject& object = AddedObject(*scene);
    world.Fail("SetTransform WORLD", D3DERR_INVALID_DEVICE);
    world.Fail("SetLightState", D3DERR_INVALID_DEVICE);
    EXPECT_EQ(object.Render(), D3D_OK);
    world.Fail("DrawPrimitive", S_FALSE, 1);  // success codes other than 0 still count as success
    EXPECT_EQ(object.Render(), D3D_OK);
    world.Fail("DrawPrimitive", D3DERR_SCENE_NOT_IN_SCENE);
    EXPECT_EQ(object.Render(), D3DERR_SCENE_NOT_IN_SCENE);
}

TEST_F(SceneTest, RenderWithoutVerticesDrawsNothingAndWithoutDeviceFails) {
    SceneObject& object = AddedObject(*scene);
    ASSERT_EQ(object.Render(), D3D_OK);
    ASSERT_EQ(device.calls.size(), 3u);
    EXPECT_EQ(device.calls[2].vertices, nullptr);
    EXPECT_EQ(device.calls[2].count, 0u);

    scene->device = nullptr;
    EXPECT_EQ(object.Render(), E_POINTER);
    EXPECT_EQ(scene->objects[200].Render(), E_POINTER);  // never added
}

TEST_F(SceneTest, CreateMaterialIsWhiteWithPowerFive) {
    SceneObject& object = AddedObject(*scene);
    ASSERT_EQ(object.CreateMaterial(), D3D_OK);
    ASSERT_EQ(d3d.materials.size(), 1u);
    fake::Material& made = *d3d.materials[0];
    EXPECT_EQ(object.material, &made);
    EXPECT_EQ(d3d.outers[0], nullptr);
    EXPECT_EQ(made.handleDevice, &device);
    EXPECT_EQ(object.materialHandle, made.handle);
    ASSERT_EQ(made.setMaterials.size(), 1u);
    const D3DMATERIAL& m = made.setMaterials[0];
    EXPECT_EQ(m.dwSize, 80u);
    for (const D3DCOLORVALUE& c : {m.diffuse, m.ambient, m.specular}) {
        EXPECT_EQ(c.r + c.g + c.b + c.a, 4.0f);
    }
    EXPECT_EQ(m.emissive.r + m.emissive.g + m.emissive.b + m.emissive.a, 0.0f);
    EXPECT_EQ(m.power, 5.0f);
    EXPECT_EQ(m.hTexture, 0u);
    EXPECT_EQ(m.dwRampSize, 0u);
}

TEST_F(SceneTest, CreateMaterialFailures) {
    SceneObject& object = AddedObject(*scene);
    world.Fail("CreateMaterial", E_OUTOFMEMORY, 1);
    EXPECT_EQ(object.CreateMaterial(), E_OUTOFMEMORY);
    EXPECT_EQ(object.material, nullptr);
    EXPECT_EQ(object.ApplyMaterial(), E_POINTER);
    EXPECT_EQ(scene->objects[100].CreateMaterial(), E_POINTER);  // never added

    ASSERT_EQ(object.CreateMaterial(), D3D_OK);
    ASSERT_EQ(object.CreateMaterial(), D3D_OK);  // again: the first is released
    EXPECT_TRUE(d3d.materials[0]->IsFreed());
    world.Fail("material2.SetMaterial", D3DERR_INVALID_DEVICE);
    EXPECT_EQ(object.ApplyMaterial(), D3DERR_INVALID_DEVICE);
}

TEST_F(SceneTest, MaterialSettersReachTheDeviceOnlyThroughApply) {
    SceneObject& object = AddedObject(*scene);
    ASSERT_EQ(object.CreateMaterial(), D3D_OK);
    fake::Material& made = *d3d.materials[0];
    const D3DMATERIAL white = made.current;

    object.SetDiffuse(0.0f, 0.9f, 0.0f, 0.1f);
    EXPECT_EQ(std::memcmp(&made.current, &white, sizeof(white)), 0);
    ASSERT_EQ(object.ApplyMaterial(), D3D_OK);
    D3DMATERIAL expected = white;
    expected.diffuse = {0.0f, 0.9f, 0.0f, 0.1f};
    EXPECT_EQ(std::memcmp(&made.current, &expected, sizeof(expected)), 0);

    object.SetAmbient(1.0f, 0.1f, 0.1f, 1.0f);
    object.SetSpecular(1.0f, 0.1f, 0.1f, 0.1f);
    object.SetPower(7.0f);
    ASSERT_EQ(object.ApplyMaterial(), D3D_OK);
    EXPECT_EQ(made.current.ambient.g, 0.1f);
    EXPECT_EQ(made.current.specular.a, 0.1f);
    EXPECT_EQ(made.current.power, 7.0f);
    EXPECT_EQ(made.current.diffuse.g, 0.9f);
}

TEST_F(SceneTest, AllocateVerticesZeroesReplacesAndReportsFailure) {
    SceneObject& object = AddedObject(*scene);
    ASSERT_EQ(object.AllocateVertices(4), D3D_OK);
    EXPECT_EQ(object.vertexCount, 4u);
    object.vertices[3].nx = 5.0f;
    ASSERT_EQ(object.AllocateVertices(9), D3D_OK);
    EXPECT_EQ(object.vertexCount, 9u);
    for (uint32_t i = 0; i < 9; ++i) {
        EXPECT_EQ(object.vertices[i].nx, 0.0f);
    }
    FailSceneAllocationsAfter(0);
    EXPECT_EQ(object.AllocateVertices(3), E_OUTOFMEMORY);
    EXPECT_EQ(object.vertices, nullptr);
    EXPECT_EQ(object.vertexCount, 0u);
    EXPECT_EQ(object.AllocatePositions(3), E_OUTOFMEMORY);
    EXPECT_EQ(object.positionCount, 0u);
}

TEST_F(SceneTest, SlotsFollowTheSceneInterfacesAtCallTime) {
    EXPECT_EQ(scene->AddObject(), 1);
    EXPECT_EQ(scene->AddObject(), 2);
    EXPECT_EQ(scene->AddLight(), 1);
    EXPECT_EQ(scene->AddCamera(), 1);
    EXPECT_EQ(scene->objects[1].deviceRef, &scene->device);
    EXPECT_EQ(scene->objects[1].direct3DRef, &scene->direct3D);
    EXPECT_EQ(scene->lights[0].direct3DRef, &scene->direct3D);
    EXPECT_EQ(scene->cameras[0].deviceRef, &scene->device);

    fake::Device& later = world.Make<fake::Device>("later");
    scene->device = &later;
    EXPECT_EQ(scene->objects[1].Render(), D3D_OK);
    EXPECT_EQ(scene->cameras[0].ApplyView(), D3D_OK);
    EXPECT_TRUE(device.calls.empty());
    EXPECT_EQ(later.calls.size(), 4u);
}

TEST_F(SceneTest, FullArraysAddNothingMore) {
    for (int i = 1; i <= MAX_SCENE_OBJECTS; ++i) {
        ASSERT_EQ(scene->AddObject(), i);
        ASSERT_EQ(scene->AddLight(), i);
        ASSERT_EQ(scene->AddCamera(), i);
    }
    EXPECT_EQ(scene->AddObject(), SCENE_FULL);
    EXPECT_EQ(scene->AddLight(), SCENE_FULL);
    EXPECT_EQ(scene->AddCamera(), SCENE_FULL);
    EXPECT_EQ(scene->objectCount, 256);
    EXPECT_EQ(scene->lightCount, 256);
    EXPECT_EQ(scene->cameraCount, 256);
}

TEST_F(SceneTest, DefaultTransformsAreIdentityIdentityAndTheProjection) {
    device.transforms[D3DTRANSFORMSTATE_VIEW]._41 = 9.0f;
    ASSERT_EQ(scene->SetDefaultTransforms(), D3D_OK);
    ASSERT_EQ(device.calls.size(), 3u);
    EXPECT_EQ(device.calls[0].state, static_cast<DWORD>(D3DTRANSFORMSTATE_WORLD));
    EXPECT_EQ(device.calls[1].state, static_cast<DWORD>(D3DTRANSFORMSTATE_VIEW));
    EXPECT_EQ(device.calls[2].state, static_cast<DWORD>(D3DTRANSFORMSTATE_PROJECTION));
    EXPECT_TRUE(SameMatrix(device.transforms[D3DTRANSFORMSTATE_WORLD], fake::Identity4()));
    EXPECT_TRUE(SameMatrix(device.transforms[D3DTRANSFORMSTATE_VIEW], fake::Identity4()));
    EXPECT_TRUE(SameMatrix(device.transforms[D3DTRANSFORMSTATE_PROJECTION], PROJECTION_MATRIX));
    EXPECT_EQ(PROJECTION_MATRIX._34, 1.0f);
    EXPECT_EQ(PROJECTION_MATRIX._43, -1.0f);
    EXPECT_EQ(PROJECTION_MATRIX._44, 0.0f);
}

TEST_F(SceneTest, DefaultTransformsStopAtTheFirstFailure) {
    world.Fail("SetTransform VIEW", D3DERR_INVALID_DEVICE);
    EXPECT_EQ(scene->SetDefaultTransforms(), D3DERR_INVALID_DEVICE);
    EXPECT_EQ(device.calls.size(), 2u);
    scene->device = nullptr;
    EXPECT_EQ(scene->SetDefaultTransforms(), E_POINTER);
}

TEST_F(SceneTest, DestructionReleasesLightsBeforeMaterials) {
    scene->AddObject();
    scene->AddLight();
    ASSERT_EQ(scene->objects[0].CreateMaterial(), D3D_OK);
    ASSERT_EQ(scene->lights[0].Create(&world.Make<fake::Viewport>()), D3D_OK);
    scene.reset();
    EXPECT_EQ(world.freed, (std::vector<std::string>{"light1", "material1"}));
    EXPECT_EQ(world.faults, std::vector<std::string>{});
}
