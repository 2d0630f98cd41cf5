// Tests on the software chain at 640 x 480 with the intro's camera and
// projection, cleared to black with far depth before each test.
#pragma once

#include <gtest/gtest.h>

#include "tests/platform/d3d/software_chain.h"

// World point that lands on screen pixel (sx, sy) at camera depth c: the
// viewport gives X = sx / 320 - 1, Y = (sy - 240) / 320; the projection
// divides by c; the camera flips y and puts world z = 10 - c.
inline D3DVERTEX AtPixel(float sx, float sy, float c, float nx = 0, float ny = 0, float nz = 1) {
    const float x = (sx / 320.0f - 1.0f) * c;
    const float y = (sy - 240.0f) / 320.0f * c;
    return {x, -y, 10.0f - c, nx, ny, nz, 0, 0};
}

class ChainTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(chain.Create(640, 480)) << std::hex << chain.failure;
        chain.SetIntroTransforms();
        D3DRECT all{0, 0, 640, 480};
        ASSERT_EQ(chain.viewport->Clear2(1, &all, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK);
    }
    // A triangle list in a scene of its own.
    HRESULT Draw(D3DVERTEX* vertices, DWORD count, DWORD flags = D3DDP_WAIT) {
        chain.device->BeginScene();
        const HRESULT result =
            chain.device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX, vertices, count, flags);
        chain.device->EndScene();
        return result;
    }
    uint16_t Pixel(int x, int y) { return chain.BackPixels()[y * 640 + x]; }

    SoftwareChain chain;
};
