// A small lit mesh drawn through the whole stand-in into memory, compared
// with a committed image (TRELK_REFRESH_GOLDEN=1 rewrites it).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/platform/d3d/flat_solid_mesh.h"
#include "tests/platform/d3d/software_chain.h"
#include "tests/support/golden_image.h"
#include "tests/support/intro_requests.h"

namespace {

constexpr DWORD WIDTH = 160;
constexpr DWORD HEIGHT = 120;

// The intro's material, ambient level and light, on a 160 x 120 screen.
class LitMesh : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(chain.Create(WIDTH, HEIGHT));
        chain.SetIntroTransforms();
        ASSERT_TRUE(lighting.Create(chain.direct3D, chain.device, chain.viewport));
        chain.device->SetRenderState(D3DRENDERSTATE_SHADEMODE, D3DSHADE_GOURAUD);
    }
    std::vector<uint16_t> Render() {
        D3DRECT all{0, 0, static_cast<LONG>(WIDTH), static_cast<LONG>(HEIGHT)};
        chain.viewport->Clear2(1, &all, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFFFFFF, 1.0f, 0);
        std::vector<D3DVERTEX> mesh = FlatSolidMesh();
        const struct {
            float spin, x, y, z;
        } copies[] = {{30, -1.6f, -0.4f, 5}, {75, 1.4f, 0.6f, 4}, {160, 0.2f, -1.2f, 2}};
        chain.device->BeginScene();
        for (const auto& copy : copies) {
            D3DMATRIX world = IntroWorldMatrix(copy.spin, copy.x, copy.y, copy.z);
            chain.device->SetTransform(D3DTRANSFORMSTATE_WORLD, &world);
            EXPECT_EQ(chain.device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX, mesh.data(),
                                                  static_cast<DWORD>(mesh.size()), D3DDP_WAIT),
                      D3D_OK);
        }
        chain.device->EndScene();
        const uint16_t* pixels = chain.BackPixels();
        return std::vector<uint16_t>(pixels, pixels + WIDTH * HEIGHT);
    }

    SoftwareChain chain;
    IntroLighting lighting;
};

TEST_F(LitMesh, MatchesTheGoldenImage) {
    ASSERT_EQ(FlatSolidMesh().size(), 3u * FLAT_SOLID_TRIANGLES);
    const std::vector<uint16_t> frame = Render();
    const RgbImage image = ImageFrom16Bit(frame.data(), WIDTH, HEIGHT, WIDTH, 0xF800, 0x07E0, 0x001F);
    const std::string golden = std::string(TRELK_SOURCE_DIR) + "/tests/platform/d3d/golden/lit_mesh.png";
    EXPECT_EQ(CompareWithGolden(golden, image), "");
}

TEST_F(LitMesh, CullingTheBackFacesOfAClosedSolidChangesAlmostNothingVisible) {
    const std::vector<uint16_t> culled = Render();
    chain.device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    const std::vector<uint16_t> all = Render();
    int drawn = 0;
    int differing = 0;
    for (size_t i = 0; i < all.size(); ++i) {
        drawn += culled[i] != 0xFFFF ? 1 : 0;
        differing += culled[i] != all[i] ? 1 : 0;
    }
    EXPECT_GT(drawn, 1500);
    // Only where a back face meets the silhouette at exactly the same depth
    // (LESSEQUAL lets it through); faces wound the wrong way would differ widely.
    EXPECT_LE(differing, drawn / 200);
}

}  // namespace
