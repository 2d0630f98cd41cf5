// The presentation's set-up on a display chain of fakes, with the embedded
// assets: what it hands to Direct3D, and that everything it makes is given
// back, once, when the surfaces, the scene and the display go.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/program_objects.h"
#include "app/win_main.h"
#include "image/picture_surface.h"
#include "image/text_panel.h"
#include "platform/win32/testing.h"
#include "tests/support/fake_direct3d.h"
#include "tests/support/fake_direct_draw.h"
#include "tests/support/intro_requests.h"

namespace {

using Lines = std::vector<std::string>;

int NoteBox(HWND, LPCSTR text, LPCSTR, UINT) {
    fake::TheWorld().Note(std::string("box ") + text);
    return IDOK;
}

template <class Value>
bool SameBytes(const Value& a, const Value& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

class PresentationSetUp : public ::testing::Test {
  protected:
    void SetUp() override {
        SetMessageBoxHookForTesting(NoteBox);
        ambientLevel = 0;
        ASSERT_EQ(mainframe.display.CreateDisplay(640, 480, 16), 0);
    }
    // As the program ends: the surfaces go at Escape, then the scene, then the display.
    void TearDown() override {
        for (IDirectDrawSurface4** surface : {&pictureSurface, &panelSurface}) {
            if (*surface != nullptr) {
                (*surface)->Release();
                *surface = nullptr;
            }
        }
        std::destroy_at(&scene);
        std::construct_at(&scene);
        mainframe.display.ReleaseDisplay();
        EXPECT_EQ(world.LiveNames(), Lines{});
        EXPECT_EQ(world.faults, Lines{});
        SetMessageBoxHookForTesting(nullptr);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    fake::World& world = fake::Reset();
    fake::Seams seams;
};

TEST_F(PresentationSetUp, HandsDirect3DTheIntrosMaterialLightAndAmbient) {
    ASSERT_EQ(SetUpPresentation(), 0);
    const fake::Direct3D& direct3D = world.Get<fake::Direct3D>("direct3D");
    ASSERT_EQ(direct3D.materials.size(), static_cast<size_t>(scene.objectCount));
    for (const fake::Material* material : direct3D.materials) {
        EXPECT_TRUE(SameBytes(material->current, IntroMaterial())) << material->Name();
    }
    ASSERT_EQ(direct3D.lights.size(), 1u);
    EXPECT_TRUE(SameBytes(direct3D.lights[0]->setLights.back(), IntroLight()));
    EXPECT_EQ(world.Get<fake::Viewport>("viewport").lights, std::vector<IDirect3DLight*>{direct3D.lights[0]});
    const fake::Device& device = world.Get<fake::Device>("device");
    EXPECT_EQ(device.LastValue(fake::DeviceCallKind::SetLightState, D3DLIGHTSTATE_AMBIENT), INTRO_AMBIENT);
    EXPECT_EQ(device.LastValue(fake::DeviceCallKind::SetRenderState, D3DRENDERSTATE_SHADEMODE),
              D3DSHADE_GOURAUD);
}

TEST_F(PresentationSetUp, AFailingTransformStopsItWithTheMessage) {
    world.Fail("SetTransform", D3DERR_INVALID_DEVICE);
    EXPECT_EQ(SetUpPresentation(), -1);
    EXPECT_EQ(world.log.back(), "box Failed to set default transformations.");
}

}  // namespace
