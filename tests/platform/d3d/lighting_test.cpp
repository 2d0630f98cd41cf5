// Lighting and the transform helpers against the legacy model's formulas,
// and the intro's worked example drawn through the device.
#include "platform/d3d/lighting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "platform/d3d/transform.h"
#include "tests/platform/d3d/chain_test.h"
#include "tests/support/intro_requests.h"

namespace {

D3DLIGHT2 PointLight(D3DVECTOR position, float range, float a0, float a1, float a2) {
    D3DLIGHT2 light{};
    light.dwSize = sizeof(D3DLIGHT2);
    light.dltType = D3DLIGHT_POINT;
    light.dcvColor = {1, 1, 1, 0};
    light.dvPosition = position;
    light.dvRange = range;
    light.dvAttenuation0 = a0;
    light.dvAttenuation1 = a1;
    light.dvAttenuation2 = a2;
    light.dwFlags = D3DLIGHT_ACTIVE;
    return light;
}

D3DMATERIAL Material(D3DCOLORVALUE ambient, D3DCOLORVALUE diffuse, D3DCOLORVALUE emissive = {0, 0, 0, 0}) {
    D3DMATERIAL m{};
    m.dwSize = sizeof(D3DMATERIAL);
    m.ambient = ambient;
    m.diffuse = diffuse;
    m.emissive = emissive;
    return m;
}

Rgb Lit(const D3DMATERIAL& material, D3DCOLOR ambient, const D3DLIGHT2& light, D3DVECTOR point,
        D3DVECTOR normal) {
    LightingModel model;
    const D3DLIGHT2* lights[1] = {&light};
    PrepareLighting(material, ambient, lights, 1, IdentityMatrix(), &model);
    return LightVertex(model, point, normal);
}

TEST(Lighting, AttenuationIsAPolynomialOfTheNormalisedDistance) {
    // d = 2 within R = 4: Dn = 0.5, A = 0.5 + 1.0 * 0.5 + 2.0 * 0.25 = 1.5.
    const D3DLIGHT2 light = PointLight({0, 0, 2}, 4, 0.5f, 1.0f, 2.0f);
    const D3DMATERIAL material = Material({0, 0, 0, 0}, {0.2f, 0.1f, 0.4f, 1});
    const Rgb c = Lit(material, 0, light, {0, 0, 0}, {0, 0, 1});
    EXPECT_NEAR(c.r, 0.2 * 1.5, 1e-6);
    EXPECT_NEAR(c.g, 0.1 * 1.5, 1e-6);
    EXPECT_NEAR(c.b, 0.4 * 1.5, 1e-6);
}

TEST(Lighting, LightsBeyondTheirRangeOrInactiveGiveNothing) {
    const D3DMATERIAL material = Material({1, 1, 1, 1}, {1, 1, 1, 1});
    D3DLIGHT2 light = PointLight({0, 0, 5}, 4, 1, 0, 0);
    const Rgb far = Lit(material, 0x00204060, light, {0, 0, 0}, {0, 0, 1});
    EXPECT_NEAR(far.r, 0x20 / 255.0, 1e-6);  // the ambient term alone
    EXPECT_NEAR(far.g, 0x40 / 255.0, 1e-6);
    EXPECT_NEAR(far.b, 0x60 / 255.0, 1e-6);
    light = PointLight({0, 0, 1}, 4, 1, 0, 0);
    light.dwFlags = 0;
    EXPECT_NEAR(Lit(material, 0, light, {0, 0, 0}, {0, 0, 1}).g, 0.0, 1e-6);
}

TEST(Lighting, DiffuseFollowsTheCosineAndClampsAfterTheSum) {
    const D3DMATERIAL material = Material({0, 0, 0, 0}, {0.5f, 0.5f, 0.5f, 1}, {0.75f, 0, 0, 0});
    const D3DLIGHT2 light = PointLight({0, 0, 10}, D3DLIGHT_RANGE_MAX, 1, 0, 0);
    const float s = std::sqrt(0.5f);
    const Rgb tilted = Lit(material, 0, light, {0, 0, 0}, {s, 0, s});
    EXPECT_NEAR(tilted.g, 0.5 * s, 1e-5);
    EXPECT_NEAR(tilted.r, 1.0, 1e-6);  // 0.75 + 0.354 clamped
    const Rgb away = Lit(material, 0, light, {0, 0, 0}, {0, 0, -1});
    EXPECT_NEAR(away.g, 0.0, 1e-6);
    EXPECT_NEAR(away.r, 0.75, 1e-6);
}

TEST(Transforms, NormalsGoThroughTheInverseTranspose) {
    D3DMATRIX stretch = IdentityMatrix();
    stretch._11 = 2.0f;
    const Matrix3 n = NormalMatrix(stretch);
    const D3DVECTOR normal = Normalise(TransformNormal(n, 1, 1, 0));
    // The surface x + y = c stretched by 2 in x has the normal (1/2, 1, 0).
    EXPECT_NEAR(normal.x, 0.5 / std::sqrt(1.25), 1e-6);
    EXPECT_NEAR(normal.y, 1.0 / std::sqrt(1.25), 1e-6);
    EXPECT_NEAR(normal.z, 0.0, 1e-6);
    D3DMATRIX flat = IdentityMatrix();
    flat._33 = 0.0f;
    const Matrix3 singular = NormalMatrix(flat);
    EXPECT_EQ(singular.m[0][0], 0.0f);
}

TEST(Transforms, TheIntroViewportPutsYDownTheScreen) {
    const D3DVIEWPORT2 viewport{sizeof(D3DVIEWPORT2), 0, 0, 640, 480, -1.0f, -0.75f, 2.0f, -1.5f, 0.0f, 1.0f};
    ViewportMapping mapping;
    ASSERT_TRUE(MakeViewportMapping(viewport, &mapping));
    for (float X : {-1.0f, -0.25f, 0.5f, 1.0f}) {
        for (float Y : {-0.75f, 0.0f, 0.3f, 0.75f}) {
            const ScreenPoint p = ProjectToScreen(mapping, {X * 2, Y * 2, 1.0f, 2.0f});
            EXPECT_NEAR(p.x, 320 * (X + 1), 1e-3);
            EXPECT_NEAR(p.y, 240 + 320 * Y, 1e-3);
            EXPECT_NEAR(p.z, 0.5, 1e-6);
        }
    }
    D3DVIEWPORT2 degenerate = viewport;
    degenerate.dvClipWidth = 0.0f;
    EXPECT_FALSE(MakeViewportMapping(degenerate, &mapping));
}

// The worked example, the intro's own: material ambient (1, 0.1, 0.1),
// diffuse (0, 0.9, 0), ambient light 0x0000FDE8, a green point light with
// attenuation (1, 0.2, 0) and the maximum range:
// rgb = (0, 0.0992 + 1.08 max(N . L, 0), 0.0910).
class WorkedExample : public ChainTest {
  protected:
    void SetUp() override {
        ChainTest::SetUp();
        ASSERT_TRUE(lighting.Create(chain.direct3D, chain.device, chain.viewport));
    }
    // Draws a triangle whose first corner sits on pixel (100, 100) at depth 5
    // with the given normal and returns that pixel.
    uint16_t DrawWithNormal(D3DVECTOR n, DWORD flags = D3DDP_WAIT) {
        D3DVERTEX triangle[3] = {AtPixel(100, 100, 5, n.x, n.y, n.z), AtPixel(140, 100, 5, n.x, n.y, n.z),
                                 AtPixel(100, 140, 5, n.x, n.y, n.z)};
        EXPECT_EQ(Draw(triangle, 3, flags), D3D_OK);
        return Pixel(100, 100);
    }
    static uint16_t Expected565(double r, double g, double b) {
        auto eight = [](double v) { return static_cast<int>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
        return static_cast<uint16_t>((eight(r) >> 3) << 11 | (eight(g) >> 2) << 5 | (eight(b) >> 3));
    }
    D3DVECTOR ToLight() const {
        const float c = 5.0f;
        const double px = (100 / 320.0 - 1.0) * c;
        const double py = -(100 - 240.0) / 320.0 * c;
        const double pz = 10.0 - c;
        const double lx = -3 - px, ly = -1 - py, lz = -5 - pz;
        const double length = std::sqrt(lx * lx + ly * ly + lz * lz);
        return {static_cast<float>(lx / length), static_cast<float>(ly / length),
                static_cast<float>(lz / length)};
    }

    IntroLighting lighting;
};

TEST_F(WorkedExample, AFaceTurnedAwayKeepsOnlyTheAmbientTerm) {
    const D3DVECTOR l = ToLight();
    // Ma * Ia = (0, 25, 23) in 8-bit terms.
    const uint16_t away = DrawWithNormal({-l.x, -l.y, -l.z});
    EXPECT_EQ(away, Expected565(0.0, 0.1 * 253 / 255.0, 0.1 * 232 / 255.0));
    EXPECT_EQ(away, (25 >> 2) << 5 | (23 >> 3));
}

TEST_F(WorkedExample, AFaceTurnedToTheLightIsBrightGreen) {
    const D3DVECTOR l = ToLight();
    EXPECT_EQ(DrawWithNormal(l), Expected565(0.0, 1.0, 0.1 * 232 / 255.0));
}

TEST_F(WorkedExample, PartLitFollowsTheFormula) {
    const D3DVECTOR l = ToLight();
    // A normal at 60 degrees to L: N . L = 0.5.
    D3DVECTOR side = {l.y, -l.x, 0};
    const float sideLength = std::sqrt(side.x * side.x + side.y * side.y);
    side = {side.x / sideLength, side.y / sideLength, 0};
    const float c = 0.5f;
    const float s = std::sqrt(0.75f);
    const D3DVECTOR n = {c * l.x + s * side.x, c * l.y + s * side.y, c * l.z + s * side.z};
    const double green = 0.1 * 253 / 255.0 + 0.9 * 1.2 * 0.5;
    EXPECT_EQ(DrawWithNormal(n), Expected565(0.0, green, 0.1 * 232 / 255.0));
}

TEST_F(WorkedExample, UnlitVerticesAreWhite) {
    const D3DVECTOR l = ToLight();
    EXPECT_EQ(DrawWithNormal(l, D3DDP_WAIT | D3DDP_DONOTLIGHT), 0xFFFF);
    chain.device->SetLightState(D3DLIGHTSTATE_MATERIAL, 0);
    EXPECT_EQ(DrawWithNormal({-l.x, -l.y, -l.z}), 0xFFFF);
}

TEST_F(WorkedExample, AReleasedMaterialsHandleReadsAsNoMaterial) {
    lighting.material->Release();
    lighting.material = nullptr;
    const D3DVECTOR l = ToLight();
    EXPECT_EQ(DrawWithNormal({-l.x, -l.y, -l.z}), 0xFFFF);
}

}  // namespace
