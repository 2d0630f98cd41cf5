// One frame of the intro's display work through the stand-in, piece by
// piece and whole: 8 lit copies of a 124-triangle solid, Clear2 of the
// screen, the 520 x 406 picture blit, the colour-keyed 320 x 221 panel blit,
// and Flip with the copy that presenting needs.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "platform/present/presenter.h"
#include "tests/platform/d3d/flat_solid_mesh.h"
#include "tests/platform/d3d/software_chain.h"
#include "tests/support/intro_requests.h"

namespace {

class Frame {
  public:
    Frame() {
        chain.Create(640, 480);
        chain.SetIntroTransforms();
        mesh = FlatSolidMesh();
        lighting.Create(chain.direct3D, chain.device, chain.viewport);
        picture = OffScreen(520, 406, false);
        panel = OffScreen(320, 221, true);
        frame.resize(640 * 480);
    }
    ~Frame() {
        panel->Release();
        picture->Release();
    }
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;

    void Clear() {
        D3DRECT all{0, 0, 640, 480};
        chain.viewport->Clear2(1, &all, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFFFFFFFF, 1.0f, 0);
    }
    // The ring of eight copies about (-4, -1), depths between -10 and 0.
    void DrawCopies(int frameNumber) {
        const float spin = static_cast<float>((frameNumber * 2) % 360);
        chain.device->BeginScene();
        for (int copy = 0; copy < 8; ++copy) {
            const double angle = (frameNumber + 32 * copy) * 2.0 * 3.14159265 / 256.0;
            const float x = static_cast<float>(-4.0 + 6.0 * std::cos(angle));
            const float y = static_cast<float>(-1.0 + 6.0 * std::sin(angle));
            const float z = static_cast<float>(-5.0 + 5.0 * std::sin((frameNumber + copy) * 0.2));
            D3DMATRIX world = IntroWorldMatrix(spin, x, y, z);
            chain.device->SetTransform(D3DTRANSFORMSTATE_WORLD, &world);
            chain.device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX, mesh.data(),
                                        static_cast<DWORD>(mesh.size()), D3DDP_WAIT);
        }
        chain.device->EndScene();
    }
    void BlitPicture() {
        RECT rect{0, 0, 520, 406};
        chain.back->BltFast(0, 74, picture, &rect, DDBLTFAST_WAIT);
    }
    void BlitPanel() {
        RECT rect{0, 0, 320, 221};
        chain.back->BltFast(319, 110, panel, &rect, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT);
    }
    void FlipAndConvert() {
        chain.primary->Flip(nullptr, DDFLIP_WAIT);
        DDSURFACEDESC2 desc{};
        desc.dwSize = DDSURFACEDESC2_SIZE_WIN32;
        chain.primary->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr);
        CopyFrameForPresentation(static_cast<const uint16_t*>(desc.lpSurface), 640, 480, frame.data(), 1280);
        chain.primary->Unlock(nullptr);
        benchmark::DoNotOptimize(frame.data());
    }

  private:
    IDirectDrawSurface4* OffScreen(DWORD width, DWORD height, bool keyed) {
        DDSURFACEDESC2 desc = OffScreenDesc(width, height);
        IDirectDrawSurface4* surface = nullptr;
        chain.directDraw->CreateSurface(&desc, &surface, nullptr);
        DDSURFACEDESC2 locked{};
        locked.dwSize = DDSURFACEDESC2_SIZE_WIN32;
        surface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr);
        auto* pixels = static_cast<uint16_t*>(locked.lpSurface);
        for (DWORD i = 0; i < width * height; ++i) {
            // The panel: mostly white (the key) with strokes of ink.
            pixels[i] = keyed ? ((i * 7919u) % 5 < 3 ? 0xFFFF : 0x001F)
                              : static_cast<uint16_t>(i * 2654435761u >> 16);
        }
        surface->Unlock(nullptr);
        if (keyed) {
            DDCOLORKEY key{0xFFFF, 0xFFFF};
            surface->SetColorKey(DDCKEY_SRCBLT, &key);
        }
        return surface;
    }

    SoftwareChain chain;
    IntroLighting lighting;
    std::vector<D3DVERTEX> mesh;
    IDirectDrawSurface4* picture = nullptr;
    IDirectDrawSurface4* panel = nullptr;
    std::vector<uint16_t> frame;
};

void EightLitCopies(benchmark::State& state) {
    Frame frame;
    frame.Clear();
    int number = 0;
    for (auto _ : state) {
        frame.DrawCopies(number++);
    }
}
BENCHMARK(EightLitCopies);

void ClearScreenAndDepth(benchmark::State& state) {
    Frame frame;
    for (auto _ : state) {
        frame.Clear();
    }
}
BENCHMARK(ClearScreenAndDepth);

void BlitPicture520x406(benchmark::State& state) {
    Frame frame;
    for (auto _ : state) {
        frame.BlitPicture();
    }
}
BENCHMARK(BlitPicture520x406);

void BlitKeyedPanel320x221(benchmark::State& state) {
    Frame frame;
    for (auto _ : state) {
        frame.BlitPanel();
    }
}
BENCHMARK(BlitKeyedPanel320x221);

void FlipWithPresentationCopy(benchmark::State& state) {
    Frame frame;
    for (auto _ : state) {
        frame.FlipAndConvert();
    }
}
BENCHMARK(FlipWithPresentationCopy);

void WholeFrame(benchmark::State& state) {
    Frame frame;
    int number = 0;
    for (auto _ : state) {
        frame.Clear();
        frame.BlitPicture();
        frame.DrawCopies(number++);
        frame.BlitPanel();
        frame.FlipAndConvert();
    }
}
BENCHMARK(WholeFrame);

}  // namespace
