// The look-at camera, the fixed projection, the scene's default transforms
// and the Direct3D light, through recording fakes of the device.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "scene/projection.h"
#include "scene/scene_camera.h"
#include "scene/scene_light.h"
#include "tests/support/fake_direct3d.h"

namespace {

void ExpectMatrixEq(const Matrix4& actual, const float (&expected)[16]) {
    const float* a = &actual._11;
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(a[i], expected[i]) << "entry " << i;
    }
}

void ExpectSameMatrix(const Matrix4& a, const Matrix4& b) {
    EXPECT_EQ(std::memcmp(&a, &b, sizeof(Matrix4)), 0);
}

struct Point {
    double x, y, z;
};
Point ToCamera(const Point& p, const Matrix4& m) {
    return {p.x * m._11 + p.y * m._21 + p.z * m._31 + m._41, p.x * m._12 + p.y * m._22 + p.z * m._32 + m._42,
            p.x * m._13 + p.y * m._23 + p.z * m._33 + m._43};
}

class CameraTest : public ::testing::Test {
  protected:
    void SetUp() override { camera.deviceRef = &device; }
    fake::World& world = fake::Reset();
    fake::Device& fakeDevice = world.Make<fake::Device>();
    IDirect3DDevice3* device = &fakeDevice;
    SceneCamera camera;
};

}  // namespace

TEST_F(CameraTest, NewCameraLooksAlongZWithUpDownTheYAxis) {
    const SceneCamera fresh;
    EXPECT_EQ(fresh.eye.x, 0.0f);
    EXPECT_EQ(fresh.eye.z, 0.0f);
    EXPECT_EQ(fresh.target.z, 1.0f);
    EXPECT_EQ(fresh.up.y, -1.0f);
    EXPECT_EQ(fresh.deviceRef, nullptr);
    ExpectSameMatrix(fresh.view, fake::Identity4());
}

TEST_F(CameraTest, StartupCameraGivesTheKnownView) {
    camera.SetEye(0.0f, 0.0f, 10.0f);
    camera.SetTarget(0.0f, 0.0f, 5.0f);
    ASSERT_EQ(camera.ApplyView(), D3D_OK);
    ExpectMatrixEq(camera.view, {1, 0, 0, 0, 0, -1, 0, 0, 0, 0, -1, 0, 0, 0, 10, 1});
    ASSERT_EQ(fakeDevice.calls.size(), 1u);
    EXPECT_EQ(fakeDevice.calls[0].kind, fake::DeviceCallKind::SetTransform);
    EXPECT_EQ(fakeDevice.calls[0].state, static_cast<DWORD>(D3DTRANSFORMSTATE_VIEW));
    ExpectSameMatrix(fakeDevice.calls[0].matrix, camera.view);
}

TEST_F(CameraTest, ViewMovesTheEyeToTheOriginAndTheTargetOntoPlusZ) {
    camera.SetEye(3.0f, -2.0f, 7.0f);
    camera.SetTarget(-1.0f, 4.0f, 2.0f);
    camera.up = {0.3f, 1.0f, 0.2f};
    ASSERT_EQ(camera.ComputeViewMatrix(), D3D_OK);
    const Point eye = ToCamera({3, -2, 7}, camera.view);
    EXPECT_NEAR(eye.x, 0.0, 1e-5);
    EXPECT_NEAR(eye.y, 0.0, 1e-5);
    EXPECT_NEAR(eye.z, 0.0, 1e-5);
    const double distance = std::sqrt(16.0 + 36.0 + 25.0);
    const Point target = ToCamera({-1, 4, 2}, camera.view);
    EXPECT_NEAR(target.x, 0.0, 1e-5);
    EXPECT_NEAR(target.y, 0.0, 1e-5);
    EXPECT_NEAR(target.z, distance, 1e-5);
    // The upper 3x3 is orthonormal.
    const Matrix4& v = camera.view;
    EXPECT_NEAR(v._11 * v._12 + v._21 * v._22 + v._31 * v._32, 0.0, 1e-6);
    EXPECT_NEAR(v._12 * v._12 + v._22 * v._22 + v._32 * v._32, 1.0, 1e-6);
    EXPECT_EQ(v._14, 0.0f);
    EXPECT_EQ(v._44, 1.0f);
}

TEST_F(CameraTest, CoincidingEyeAndTargetKeepTheOldView) {
    camera.SetEye(0.0f, 0.0f, 10.0f);
    camera.SetTarget(0.0f, 0.0f, 5.0f);
    ASSERT_EQ(camera.ComputeViewMatrix(), D3D_OK);
    const Matrix4 before = camera.view;

    camera.SetTarget(0.0f, 0.0f, 10.0f);
    EXPECT_EQ(camera.ComputeViewMatrix(), E_INVALIDARG);
    ExpectSameMatrix(camera.view, before);
    camera.SetTarget(0.0f, 0.0f, 10.0000005f);  // closer than 1e-6 in float terms
    EXPECT_EQ(camera.ComputeViewMatrix(), E_INVALIDARG);

    // ApplyView still hands the old view to the device.
    EXPECT_EQ(camera.ApplyView(), D3D_OK);
    ASSERT_EQ(fakeDevice.calls.size(), 1u);
    ExpectSameMatrix(fakeDevice.calls[0].matrix, before);
}

TEST_F(CameraTest, UpAlongTheViewFallsBackToPlusY) {
    camera.SetEye(0.0f, 0.0f, 0.0f);
    camera.SetTarget(0.0f, 0.0f, 5.0f);
    camera.up = {0.0f, 0.0f, 2.0f};
    ASSERT_EQ(camera.ComputeViewMatrix(), D3D_OK);
    EXPECT_EQ(camera.view._12, 0.0f);
    EXPECT_EQ(camera.view._22, 1.0f);
    EXPECT_EQ(camera.view._32, 0.0f);
    EXPECT_EQ(camera.view._33, 1.0f);
}

TEST_F(CameraTest, ViewAlongYWithParallelUpFallsBackToPlusZ) {
    camera.SetEye(0.0f, 0.0f, 0.0f);
    camera.SetTarget(0.0f, 5.0f, 0.0f);  // up (0, -1, 0) runs along the view
    ASSERT_EQ(camera.ComputeViewMatrix(), D3D_OK);
    ExpectMatrixEq(camera.view, {-1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, -0.0f, -0.0f, -0.0f, 1});
}

TEST_F(CameraTest, ApplyViewFollowsTheSceneDeviceAndRefusesNone) {
    fake::Device& other = world.Make<fake::Device>("other");
    device = &other;
    EXPECT_EQ(camera.ApplyView(), D3D_OK);
    EXPECT_TRUE(fakeDevice.calls.empty());
    EXPECT_EQ(other.calls.size(), 1u);

    world.Fail("other.SetTransform VIEW", D3DERR_INVALID_DEVICE);
    EXPECT_EQ(camera.ApplyView(), D3DERR_INVALID_DEVICE);

    device = nullptr;
    EXPECT_EQ(camera.ApplyView(), E_POINTER);
    SceneCamera loose;
    EXPECT_EQ(loose.ApplyView(), E_POINTER);
}

TEST(Projection, MapsDepthOneToZeroAndTenToNineTenths) {
    for (const double z : {1.0, 10.0, 2.0, 1000.0}) {
        const Matrix4& p = PROJECTION_MATRIX;
        const double x = 3.0, y = -4.0;
        const double cx = x * p._11 + y * p._21 + z * p._31 + p._41;
        const double cy = x * p._12 + y * p._22 + z * p._32 + p._42;
        const double cz = x * p._13 + y * p._23 + z * p._33 + p._43;
        const double w = x * p._14 + y * p._24 + z * p._34 + p._44;
        EXPECT_DOUBLE_EQ(w, z);
        EXPECT_DOUBLE_EQ(cx / w, x / z);
        EXPECT_DOUBLE_EQ(cy / w, y / z);
        EXPECT_NEAR(cz / w, 1.0 - 1.0 / z, 1e-12);
    }
    const Matrix4& p = PROJECTION_MATRIX;
    EXPECT_DOUBLE_EQ((1.0 * p._33 + p._43) / (1.0 * p._34 + p._44), 0.0);
    EXPECT_NEAR((10.0 * p._33 + p._43) / (10.0 * p._34 + p._44), 0.9, 1e-12);
}

class SceneLightTest : public ::testing::Test {
  protected:
    fake::World& world = fake::Reset();
    fake::Direct3D& d3d = world.Make<fake::Direct3D>();
    IDirect3D3* direct3D = &d3d;
    fake::Viewport& viewport = world.Make<fake::Viewport>();
};

TEST_F(SceneLightTest, NewLightHoldsOnlyItsSize) {
    const SceneLight light;
    EXPECT_EQ(light.light, nullptr);
    EXPECT_EQ(light.direct3DRef, nullptr);
    EXPECT_EQ(light.desc.dwSize, 80u);
    D3DLIGHT2 zeros{};
    zeros.dwSize = 80;
    EXPECT_EQ(std::memcmp(&light.desc, &zeros, sizeof(zeros)), 0);
}

TEST_F(SceneLightTest, CreateWithoutASceneReturnsSixteen) {
    SceneLight light;
    EXPECT_EQ(light.Create(&viewport), 16);
    IDirect3D3* none = nullptr;
    light.direct3DRef = &none;
    EXPECT_EQ(light.Create(&viewport), 16);
    EXPECT_TRUE(viewport.lights.empty());
}

TEST_F(SceneLightTest, CreateSetsTheDefaultDescriptionAndAttaches) {
    SceneLight light;
    light.direct3DRef = &direct3D;
    light.SetColor(0.2f, 0.3f, 0.4f);
    light.SetPosition(5.0f, 6.0f, 7.0f);
    EXPECT_EQ(light.desc.dcvColor.a, 0.0f);  // SetColor leaves alpha alone

    ASSERT_EQ(light.Create(&viewport), D3D_OK);
    ASSERT_EQ(d3d.lights.size(), 1u);
    fake::Light& made = *d3d.lights[0];
    EXPECT_EQ(light.light, &made);
    EXPECT_EQ(d3d.outers[0], nullptr);
    ASSERT_EQ(viewport.lights.size(), 1u);
    EXPECT_EQ(viewport.lights[0], &made);

    const D3DLIGHT2& d = light.desc;
    EXPECT_EQ(d.dwSize, 80u);
    EXPECT_EQ(d.dltType, D3DLIGHT_POINT);
    EXPECT_EQ(d.dcvColor.r, 1.0f);
    EXPECT_EQ(d.dcvColor.g, 1.0f);
    EXPECT_EQ(d.dcvColor.b, 1.0f);
    EXPECT_EQ(d.dcvColor.a, 0.0f);
    EXPECT_EQ(d.dvPosition.x, 0.0f);
    EXPECT_EQ(d.dvPosition.z, 0.0f);
    EXPECT_EQ(d.dvDirection.y, -1.0f);
    EXPECT_FLOAT_EQ(d.dvRange, std::sqrt(3.4028235e38f));
    EXPECT_EQ(d.dvFalloff, 1.0f);
    EXPECT_EQ(d.dvAttenuation0, 1.0f);
    EXPECT_EQ(d.dvAttenuation1, 0.2f);
    EXPECT_EQ(d.dvAttenuation2, 0.0f);
    EXPECT_EQ(d.dvTheta, 360.0f);
    EXPECT_EQ(d.dvPhi, 360.0f);
    EXPECT_EQ(d.dwFlags, 0u);  // attached but not active
    ASSERT_EQ(made.setLights.size(), 1u);
    EXPECT_EQ(std::memcmp(&made.setLights[0], &d, sizeof(d)), 0);
}

TEST_F(SceneLightTest, CreateReturnsTheFirstFailure) {
    {
        SceneLight light;
        light.direct3DRef = &direct3D;
        world.Fail("CreateLight", E_OUTOFMEMORY, 1);
        EXPECT_EQ(light.Create(&viewport), E_OUTOFMEMORY);
        EXPECT_EQ(light.light, nullptr);
    }
    {
        SceneLight light;
        light.direct3DRef = &direct3D;
        EXPECT_EQ(light.Create(nullptr), E_POINTER);
        EXPECT_TRUE(d3d.lights.empty());
    }
    {
        // SetLight fails: the viewport never sees the light.
        SceneLight light;
        light.direct3DRef = &direct3D;
        world.Fail("SetLight", D3DERR_INVALID_DEVICE, 1);
        EXPECT_EQ(light.Create(&viewport), D3DERR_INVALID_DEVICE);
        EXPECT_TRUE(viewport.lights.empty());
    }
    world.Fail("AddLight", D3DERR_VIEWPORTHASNODEVICE);
    SceneLight light;
    light.direct3DRef = &direct3D;
    EXPECT_EQ(light.Create(&viewport), D3DERR_VIEWPORTHASNODEVICE);
}

TEST_F(SceneLightTest, SettersReachDirect3DOnlyThroughApply) {
    SceneLight light;
    EXPECT_EQ(light.Apply(), E_POINTER);  // nothing created yet
    light.direct3DRef = &direct3D;
    ASSERT_EQ(light.Create(&viewport), D3D_OK);
    fake::Light& made = *d3d.lights[0];

    light.SetPosition(-3.0f, -1.0f, -5.0f);
    light.SetType(D3DLIGHT_POINT);
    light.SetColor(0.0f, 1.0f, 0.0f);
    EXPECT_EQ(made.setLights.size(), 1u);

    ASSERT_EQ(light.Apply(), D3D_OK);
    ASSERT_EQ(made.setLights.size(), 2u);
    const D3DLIGHT2& sent = made.setLights[1];
    EXPECT_EQ(sent.dwFlags, D3DLIGHT_ACTIVE);
    EXPECT_EQ(sent.dvPosition.x, -3.0f);
    EXPECT_EQ(sent.dvPosition.z, -5.0f);
    EXPECT_EQ(sent.dcvColor.r, 0.0f);
    EXPECT_EQ(sent.dcvColor.g, 1.0f);
    EXPECT_EQ(sent.dvAttenuation1, 0.2f);
    EXPECT_EQ(light.Apply(), D3D_OK);  // repeatable
    EXPECT_EQ(made.setLights.size(), 3u);
}

TEST_F(SceneLightTest, DestructionReleasesTheLight) {
    {
        SceneLight light;
        light.direct3DRef = &direct3D;
        ASSERT_EQ(light.Create(&viewport), D3D_OK);
        ASSERT_EQ(light.Create(&viewport), D3D_OK);  // the first light is not leaked
        EXPECT_TRUE(d3d.lights[0]->IsFreed());
    }
    EXPECT_TRUE(d3d.lights[1]->IsFreed());
}
