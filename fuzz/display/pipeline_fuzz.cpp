// Feeds arbitrary bytes to the display stand-ins as render states, a world
// matrix, triangle corners (any float, NaN and infinity included), clear
// rectangles and blit rectangles. Nothing may crash or touch memory outside
// the surfaces, whatever the numbers.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "tests/platform/d3d/software_chain.h"
#include "tests/support/intro_requests.h"

namespace {

class Bytes {
  public:
    Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Empty() const { return offset_ >= size_; }
    uint8_t Byte() { return offset_ < size_ ? data_[offset_++] : 0; }
    uint32_t Word() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            value |= static_cast<uint32_t>(Byte()) << (8 * i);
        }
        return value;
    }
    float Float() {
        const uint32_t bits = Word();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t offset_ = 0;
};

struct Scene {
    SoftwareChain chain;
    IDirect3DMaterial3* material = nullptr;
    IDirect3DLight* light = nullptr;
    IDirectDrawSurface4* sprite = nullptr;
    D3DMATERIALHANDLE handle = 0;

    Scene() {
        chain.Create(64, 48);
        chain.SetIntroTransforms();
        chain.direct3D->CreateMaterial(&material, nullptr);
        material->GetHandle(chain.device, &handle);
        chain.direct3D->CreateLight(&light, nullptr);
        chain.viewport->AddLight(light);
        DDSURFACEDESC2 desc = OffScreenDesc(20, 13);
        chain.directDraw->CreateSurface(&desc, &sprite, nullptr);
    }
};

void SetStates(Scene& scene, Bytes& in) {
    const uint8_t states = in.Byte();
    IDirect3DDevice3* device = scene.chain.device;
    device->SetRenderState(D3DRENDERSTATE_CULLMODE, 1 + states % 3);
    device->SetRenderState(D3DRENDERSTATE_SHADEMODE, (states & 4) != 0 ? D3DSHADE_FLAT : D3DSHADE_GOURAUD);
    device->SetRenderState(D3DRENDERSTATE_ZENABLE, (states & 8) != 0 ? 0 : 1);
    device->SetLightState(D3DLIGHTSTATE_MATERIAL, (states & 16) != 0 ? scene.handle : 0);
    device->SetLightState(D3DLIGHTSTATE_AMBIENT, in.Word());
    D3DMATERIAL material{};
    material.dwSize = sizeof(D3DMATERIAL);
    material.diffuse = {in.Float(), in.Float(), in.Float(), 1};
    material.ambient = {in.Float(), 0.5f, 0.5f, 1};
    scene.material->SetMaterial(&material);
    D3DLIGHT2 light{};
    light.dwSize = sizeof(D3DLIGHT2);
    light.dltType = (states & 32) != 0 ? D3DLIGHT_DIRECTIONAL : D3DLIGHT_POINT;
    light.dcvColor = {1, 1, 1, 0};
    light.dvPosition = {in.Float(), in.Float(), in.Float()};
    light.dvDirection = {in.Float(), in.Float(), in.Float()};
    light.dvRange = in.Float();
    light.dvAttenuation0 = in.Float();
    light.dvAttenuation1 = in.Float();
    light.dwFlags = D3DLIGHT_ACTIVE;
    scene.light->SetLight(&light);
    D3DMATRIX world;
    float* cells = &world._11;
    for (int i = 0; i < 16; ++i) {
        // Mostly the identity, now and then anything at all.
        cells[i] = (states & 64) != 0 ? in.Float() : (i % 5 == 0 ? 1.0f : 0.0f);
    }
    device->SetTransform(D3DTRANSFORMSTATE_WORLD, &world);
}

void DrawTriangles(Scene& scene, Bytes& in) {
    D3DVERTEX vertices[24];
    const DWORD count = in.Byte() % 25;
    for (DWORD i = 0; i < count; ++i) {
        vertices[i] = {in.Float(), in.Float(), in.Float(), in.Float(), in.Float(), in.Float(), 0, 0};
    }
    scene.chain.device->BeginScene();
    scene.chain.device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX, vertices, count, D3DDP_WAIT);
    scene.chain.device->EndScene();
}

void ClearAndBlit(Scene& scene, Bytes& in) {
    D3DRECT rect{static_cast<LONG>(in.Word()), static_cast<LONG>(in.Word()), static_cast<LONG>(in.Word()),
                 static_cast<LONG>(in.Word())};
    scene.chain.viewport->Clear2(1, &rect, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, in.Word(), in.Float(), 0);
    RECT source{static_cast<LONG>(in.Byte()) - 8, static_cast<LONG>(in.Byte()) - 8,
                static_cast<LONG>(in.Byte()), static_cast<LONG>(in.Byte())};
    DDCOLORKEY key{in.Word(), 0};
    scene.sprite->SetColorKey(DDCKEY_SRCBLT, &key);
    const DWORD x = in.Byte() % 2 == 0 ? in.Byte() : in.Word();
    const DWORD y = in.Byte();
    scene.chain.back->BltFast(x, y, scene.sprite, (in.Byte() & 1) != 0 ? &source : nullptr,
                              (in.Byte() & 1) != 0 ? DDBLTFAST_SRCCOLORKEY : DDBLTFAST_WAIT);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Scene* scene = new Scene();  // one chain for the whole run
    Bytes in(data, size);
    SetStates(*scene, in);
    while (!in.Empty()) {
        DrawTriangles(*scene, in);
        ClearAndBlit(*scene, in);
    }
    return 0;
}
