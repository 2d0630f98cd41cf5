// The software device end to end with the intro's camera, projection and
// viewport: where vertices land, the lit colour, culling, depth, near-plane
// clipping and Clear2, each against the formulas written out here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tests/platform/d3d/chain_test.h"

namespace {

constexpr DWORD WHITE = 0xFFFFFFFF;

class PipelineTest : public ChainTest {
  protected:
    int DrawnPixels() {
        const uint16_t* pixels = chain.BackPixels();
        return static_cast<int>(std::count_if(pixels, pixels + 640 * 480, [](uint16_t p) { return p != 0; }));
    }
};

TEST_F(PipelineTest, ProjectedCornersLandWhereTheViewportFormulaSays) {
    // Unlit: white. Corners at (100, 100), (140, 100), (100, 140), depth 5.
    D3DVERTEX triangle[3] = {AtPixel(100, 100, 5), AtPixel(140, 100, 5), AtPixel(100, 140, 5)};
    ASSERT_EQ(Draw(triangle, 3), D3D_OK);
    int drawn = 0;
    for (int y = 90; y < 150; ++y) {
        for (int x = 90; x < 150; ++x) {
            // Top and left edges are in; the diagonal's samples are not.
            const bool inside = x >= 100 && y >= 100 && (x - 100) + (y - 100) < 40;
            ASSERT_EQ(Pixel(x, y) == 0xFFFF, inside) << x << "," << y;
            drawn += inside ? 1 : 0;
        }
    }
    EXPECT_EQ(DrawnPixels(), drawn);
    // Depth: camera z 5 gives Z = (5 - 1) / 5 = 0.8.
    EXPECT_EQ(chain.DepthPixels()[100 * 640 + 100], static_cast<uint16_t>(std::lround(0.8 * 65535)));
}

TEST_F(PipelineTest, PositiveYGoesDownTheScreen) {
    // World y below the axis (negative) is up on screen with this camera;
    // a camera-space point with Y = +0.5 lands on row 240 + 160.
    D3DVERTEX triangle[3] = {AtPixel(320, 400, 4), AtPixel(330, 400, 4), AtPixel(320, 410, 4)};
    ASSERT_EQ(Draw(triangle, 3), D3D_OK);
    EXPECT_EQ(Pixel(320, 400), 0xFFFF);
    EXPECT_EQ(Pixel(320, 399), 0);
    EXPECT_EQ(Pixel(319, 400), 0);
}

TEST_F(PipelineTest, CounterClockwiseTrianglesAreCulled) {
    D3DVERTEX reversed[3] = {AtPixel(100, 100, 5), AtPixel(100, 140, 5), AtPixel(140, 100, 5)};
    ASSERT_EQ(Draw(reversed, 3), D3D_OK);
    EXPECT_EQ(DrawnPixels(), 0);
    ASSERT_EQ(chain.device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE), D3D_OK);
    ASSERT_EQ(Draw(reversed, 3), D3D_OK);
    EXPECT_GT(DrawnPixels(), 0);
}

TEST_F(PipelineTest, TheNearerTriangleWinsWhateverTheOrder) {
    D3DMATERIAL material{};
    material.dwSize = sizeof(D3DMATERIAL);
    IDirect3DMaterial3* red = nullptr;
    ASSERT_EQ(chain.direct3D->CreateMaterial(&red, nullptr), D3D_OK);
    material.emissive = {1, 0, 0, 1};
    red->SetMaterial(&material);
    D3DMATERIALHANDLE redHandle = 0;
    ASSERT_EQ(red->GetHandle(chain.device, &redHandle), D3D_OK);
    D3DVERTEX near[3] = {AtPixel(100, 100, 3), AtPixel(200, 100, 3), AtPixel(100, 200, 3)};
    D3DVERTEX far[3] = {AtPixel(90, 90, 8), AtPixel(210, 90, 8), AtPixel(90, 210, 8)};
    chain.device->SetLightState(D3DLIGHTSTATE_MATERIAL, redHandle);
    ASSERT_EQ(Draw(near, 3), D3D_OK);
    chain.device->SetLightState(D3DLIGHTSTATE_MATERIAL, 0);  // white, unlit
    ASSERT_EQ(Draw(far, 3), D3D_OK);
    EXPECT_EQ(Pixel(120, 120), 0xF800);  // the near red one stays in front
    EXPECT_EQ(Pixel(95, 95), 0xFFFF);    // the far one shows around it
    ASSERT_EQ(chain.device->SetRenderState(D3DRENDERSTATE_ZENABLE, 0), D3D_OK);
    ASSERT_EQ(Draw(far, 3), D3D_OK);
    EXPECT_EQ(Pixel(120, 120), 0xFFFF);  // without the depth test the last one wins
    red->Release();
}

TEST_F(PipelineTest, ATriangleThroughTheNearPlaneIsCutNotMirrored) {
    ASSERT_EQ(chain.device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE), D3D_OK);
    // Two corners at camera depth 5 (x = -1), one behind the eye at -5 (x = 3).
    // The cut at depth 1 lies at x = 0.6: the visible part spans screen x
    // 256 .. 512. Unclipped, the far corner would project to x = 128.
    D3DVERTEX crossing[3] = {
        {-1, 0.5f, 5, 0, 0, 1, 0, 0}, {-1, -0.5f, 5, 0, 0, 1, 0, 0}, {3, 0, 15, 0, 0, 1, 0, 0}};
    ASSERT_EQ(Draw(crossing, 3), D3D_OK);
    EXPECT_EQ(Pixel(400, 240), 0xFFFF);
    EXPECT_EQ(Pixel(500, 240), 0xFFFF);
    for (int x = 0; x < 256; ++x) {
        ASSERT_EQ(Pixel(x, 240), 0) << x;
    }
    for (int x = 513; x < 640; ++x) {
        ASSERT_EQ(Pixel(x, 240), 0) << x;
    }
    // Depth falls towards the near plane's 0 (camera depth 1.0063 at x 510).
    EXPECT_NEAR(chain.DepthPixels()[240 * 640 + 510], (1.0 - 1.0 / 1.0063) * 65535, 30);
    EXPECT_LT(chain.DepthPixels()[240 * 640 + 510], chain.DepthPixels()[240 * 640 + 300]);
}

TEST_F(PipelineTest, BehindTheEyeAndOutsideTheScreenNothingIsDrawn) {
    D3DVERTEX behind[3] = {AtPixel(100, 100, -5), AtPixel(140, 100, -5), AtPixel(100, 140, -5)};
    D3DVERTEX farRight[3] = {AtPixel(5000, 100, 5), AtPixel(5040, 100, 5), AtPixel(5000, 140, 5)};
    ASSERT_EQ(Draw(behind, 3), D3D_OK);
    ASSERT_EQ(Draw(farRight, 3), D3D_OK);
    EXPECT_EQ(DrawnPixels(), 0);
    // Huge but partly visible: clipped to the guard band, then scissored.
    D3DVERTEX huge[3] = {AtPixel(-1e6f, -1e6f, 5), AtPixel(3e6f, -1e6f, 5), AtPixel(-1e6f, 3e6f, 5)};
    ASSERT_EQ(Draw(huge, 3), D3D_OK);
    EXPECT_EQ(DrawnPixels(), 640 * 480);
}

TEST_F(PipelineTest, ClearFillsRectanglesWithThePackedColourAndFarDepth) {
    D3DRECT part{10, 20, 30, 40};
    ASSERT_EQ(chain.viewport->Clear2(1, &part, D3DCLEAR_TARGET, WHITE, 1.0f, 0), D3D_OK);
    EXPECT_EQ(Pixel(10, 20), 0xFFFF);
    EXPECT_EQ(Pixel(29, 39), 0xFFFF);
    EXPECT_EQ(Pixel(30, 39), 0);
    EXPECT_EQ(DrawnPixels(), 20 * 20);
    ASSERT_EQ(chain.viewport->Clear2(0, nullptr, D3DCLEAR_TARGET, WHITE, 1.0f, 0), D3D_OK);
    EXPECT_EQ(DrawnPixels(), 20 * 20);
    D3DRECT beyond{600, 460, 9000, 9000};  // limited to the viewport
    ASSERT_EQ(chain.viewport->Clear2(1, &beyond, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00FF0000, 0.5f, 0),
              D3D_OK);
    EXPECT_EQ(Pixel(639, 479), 0xF800);
    EXPECT_EQ(chain.DepthPixels()[479 * 640 + 639], 32768);
    EXPECT_EQ(chain.DepthPixels()[0], 65535);
}

TEST(PipelineFormats, ClearingWhiteOnFiveFiveFiveLeavesTheTopBitClear) {
    SoftwareChain chain;
    ASSERT_TRUE(chain.Create(64, 48, true));
    D3DRECT all{0, 0, 64, 48};
    ASSERT_EQ(chain.viewport->Clear2(1, &all, D3DCLEAR_TARGET, WHITE, 1.0f, 0), D3D_OK);
    EXPECT_EQ(chain.BackPixels()[0], 0x7FFF);
}

TEST(PipelineObjects, ZFormatsDevicesAndViewports) {
    SoftwareChain chain;
    ASSERT_TRUE(chain.Create(64, 48));
    struct Seen {
        int count = 0;
        DDPIXELFORMAT format{};
    } seen;
    auto record = [](DDPIXELFORMAT* format, LPVOID context) -> HRESULT {
        auto* s = static_cast<Seen*>(context);
        ++s->count;
        s->format = *format;
        return D3DENUMRET_OK;
    };
    EXPECT_LT(chain.direct3D->EnumZBufferFormats(IID_IDirect3DHALDevice, record, &seen), 0);
    EXPECT_EQ(seen.count, 0);
    ASSERT_EQ(chain.direct3D->EnumZBufferFormats(IID_IDirect3DRGBDevice, record, &seen), D3D_OK);
    EXPECT_EQ(seen.count, 1);
    EXPECT_EQ(seen.format.dwSize, 32u);
    EXPECT_EQ(seen.format.dwFlags, DDPF_ZBUFFER);
    EXPECT_EQ(seen.format.dwZBufferBitDepth, 16u);
    EXPECT_EQ(seen.format.dwZBitMask, 0xFFFFu);

    IDirect3DDevice3* hal = nullptr;
    EXPECT_LT(chain.direct3D->CreateDevice(IID_IDirect3DHALDevice, chain.back, &hal, nullptr), 0);
    EXPECT_EQ(hal, nullptr);
    EXPECT_EQ(chain.device->AddViewport(chain.viewport), E_INVALIDARG);
    D3DMATRIX got{};
    ASSERT_EQ(chain.device->GetTransform(D3DTRANSFORMSTATE_PROJECTION, &got), D3D_OK);
    EXPECT_EQ(got._11, 1.0f);  // identity until set
    EXPECT_EQ(chain.device->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, 0), D3D_OK);
    EXPECT_LT(chain.device->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, 1), 0);
    EXPECT_EQ(chain.device->SetRenderState(D3DRENDERSTATE_SHADEMODE, D3DSHADE_GOURAUD), D3D_OK);
    EXPECT_EQ(chain.device->EndScene(), D3DERR_SCENE_NOT_IN_SCENE);
    ASSERT_EQ(chain.device->BeginScene(), D3D_OK);
    EXPECT_EQ(chain.device->BeginScene(), D3DERR_SCENE_IN_SCENE);
    D3DVERTEX none[1]{};
    EXPECT_EQ(chain.device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX, none, 0, D3DDP_WAIT), D3D_OK);
    EXPECT_LT(chain.device->DrawPrimitive(D3DPT_TRIANGLELIST, 0x2, none, 3, D3DDP_WAIT), 0);
    EXPECT_EQ(chain.device->EndScene(), D3D_OK);
    EXPECT_EQ(chain.device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX, none, 3, D3DDP_WAIT),
              D3DERR_SCENE_NOT_IN_SCENE);
}

}  // namespace
