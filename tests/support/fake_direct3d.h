// Fakes of IDirect3D3, IDirect3DDevice3, IDirect3DViewport3,
// IDirect3DMaterial3 and IDirect3DLight. Every call goes through the world's
// log and failure rules (fake_world.h); each fake also keeps the arguments
// tests look at.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/support/fake_world.h"

namespace fake {

class Light final : public Counted<IDirect3DLight> {
  public:
    explicit Light(std::string name) : Counted(std::move(name)) {}
    HRESULT SetLight(D3DLIGHT2* light) override;

    std::vector<D3DLIGHT2> setLights;  // every description handed over, in order
};

class Material final : public Counted<IDirect3DMaterial3> {
  public:
    Material(std::string name, D3DMATERIALHANDLE materialHandle)
        : Counted(std::move(name)), handle(materialHandle) {}
    HRESULT SetMaterial(D3DMATERIAL* material) override;
    HRESULT GetHandle(IDirect3DDevice3* device, D3DMATERIALHANDLE* result) override;

    const D3DMATERIALHANDLE handle;
    IDirect3DDevice3* handleDevice = nullptr;
    std::vector<D3DMATERIAL> setMaterials;
    D3DMATERIAL current{};  // what the device would use: the last description accepted
};

class Viewport final : public Counted<IDirect3DViewport3> {
  public:
    explicit Viewport(std::string name = "viewport") : Counted(std::move(name)) {}
    HRESULT SetViewport2(D3DVIEWPORT2* viewport) override;
    HRESULT Clear2(DWORD count, D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z,
                   DWORD stencil) override;
    HRESULT AddLight(IDirect3DLight* light) override;

    struct Clear {
        DWORD count;
        D3DRECT rect;  // the first rectangle
        DWORD flags;
        D3DCOLOR colour;
        float z;
    };
    D3DVIEWPORT2 lastViewport{};
    std::vector<Clear> clears;
    std::vector<IDirect3DLight*> lights;
};

enum class DeviceCallKind {
    SetTransform,
    SetLightState,
    SetRenderState,
    BeginScene,
    EndScene,
    DrawPrimitive
};

struct DeviceCall {
    DeviceCallKind kind;
    DWORD state = 0;  // transform, light or render state; primitive type for a draw
    DWORD value = 0;  // light or render state value; vertex format for a draw
    D3DMATRIX matrix{};
    const void* vertices = nullptr;
    DWORD count = 0;
    DWORD flags = 0;
};

class Device final : public Counted<IDirect3DDevice3> {
  public:
    explicit Device(std::string name = "device");
    HRESULT SetRenderTarget(IDirectDrawSurface4*, DWORD) override { return Call("SetRenderTarget"); }
    HRESULT AddViewport(IDirect3DViewport3*) override { return Call("AddViewport"); }
    HRESULT SetCurrentViewport(IDirect3DViewport3*) override { return Call("SetCurrentViewport"); }
    // Detail "WORLD", "VIEW" or "PROJECTION"; a matrix set is kept for GetTransform.
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    // Detail "MATERIAL" or "AMBIENT".
    HRESULT SetLightState(D3DLIGHTSTATETYPE state, DWORD value) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, DWORD vertexFormat, LPVOID vertices, DWORD count,
                          DWORD flags) override;

    // The matrices of the world transforms set, in order.
    std::vector<D3DMATRIX> Worlds() const;
    int Count(DeviceCallKind kind) const;
    // The value of the last SetLightState or SetRenderState of `state`, or -1.
    int64_t LastValue(DeviceCallKind kind, DWORD state) const;

    std::vector<DeviceCall> calls;  // the drawing calls, in order
    D3DMATRIX transforms[4]{};      // indexed by D3DTRANSFORMSTATETYPE; start as identity

  private:
    HRESULT Keep(const DeviceCall& call, std::string_view method, std::string_view detail = {});
};

class Direct3D final : public Counted<IDirect3D3> {
  public:
    explicit Direct3D(std::string name = "direct3D") : Counted(std::move(name)) {}
    // HAL formats and devices exist only when the world has hardware.
    HRESULT EnumZBufferFormats(REFCLSID device, LPD3DENUMPIXELFORMATSCALLBACK callback,
                               LPVOID context) override;
    HRESULT CreateDevice(REFCLSID device, IDirectDrawSurface4* target, IDirect3DDevice3** result,
                         IUnknown* outer) override;
    HRESULT CreateViewport(IDirect3DViewport3** viewport, IUnknown* outer) override;
    // Names them "light1", "light2", ... and "material1", ...
    HRESULT CreateLight(IDirect3DLight** light, IUnknown* outer) override;
    HRESULT CreateMaterial(IDirect3DMaterial3** material, IUnknown* outer) override;

    D3DMATERIALHANDLE nextHandle = 0x51;  // handles the materials hand out, counting up
    std::vector<Light*> lights;
    std::vector<Material*> materials;
    std::vector<const IUnknown*> outers;  // the outer object of every light and material creation
};

D3DMATRIX Identity4();

}  // namespace fake
