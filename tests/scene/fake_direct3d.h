// Recording fakes of the Direct3D interfaces the scene engine calls. Objects
// count references for real but are owned by the fake Direct3D (or the test),
// so a test can look at them after the code under test released them.
#pragma once

#include <memory>
#include <vector>

#include "platform/d3d/d3d.h"

// Names of released fakes, in the order their last reference went.
extern std::vector<const char*> releaseLog;

class FakeLight : public IDirect3DLight {
  public:
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override;
    HRESULT SetLight(D3DLIGHT2* light) override;

    ULONG refs = 1;
    HRESULT setLightResult = D3D_OK;
    std::vector<D3DLIGHT2> setLights;  // every description handed over, in order
};

class FakeMaterial : public IDirect3DMaterial3 {
  public:
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override;
    HRESULT SetMaterial(D3DMATERIAL* material) override;
    HRESULT GetHandle(IDirect3DDevice3* device, D3DMATERIALHANDLE* handle) override;

    ULONG refs = 1;
    D3DMATERIALHANDLE handle = 0;
    HRESULT setMaterialResult = D3D_OK;
    IDirect3DDevice3* handleDevice = nullptr;
    std::vector<D3DMATERIAL> setMaterials;
    // What the device would use: the last description accepted.
    D3DMATERIAL current{};
};

class FakeViewport : public IDirect3DViewport3 {
  public:
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }
    HRESULT SetViewport2(D3DVIEWPORT2*) override { return D3D_OK; }
    HRESULT Clear2(DWORD, D3DRECT*, DWORD, D3DCOLOR, float, DWORD) override { return D3D_OK; }
    HRESULT AddLight(IDirect3DLight* light) override;

    ULONG refs = 1;
    HRESULT addLightResult = D3D_OK;
    std::vector<IDirect3DLight*> lights;
};

enum class DeviceCallKind { SetTransform, SetLightState, SetRenderState, DrawPrimitive };

struct DeviceCall {
    DeviceCallKind kind;
    DWORD state = 0;  // transform, light or render state; primitive type for a draw
    DWORD value = 0;  // light or render state value; vertex format for a draw
    D3DMATRIX matrix{};
    const void* vertices = nullptr;
    DWORD count = 0;
    DWORD flags = 0;
};

class FakeDevice : public IDirect3DDevice3 {
  public:
    FakeDevice();
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }
    HRESULT SetRenderTarget(IDirectDrawSurface4*, DWORD) override { return D3D_OK; }
    HRESULT AddViewport(IDirect3DViewport3*) override { return D3D_OK; }
    HRESULT SetCurrentViewport(IDirect3DViewport3*) override { return D3D_OK; }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT SetLightState(D3DLIGHTSTATETYPE state, DWORD value) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT BeginScene() override { return D3D_OK; }
    HRESULT EndScene() override { return D3D_OK; }
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, DWORD vertexFormat, LPVOID vertices, DWORD count,
                          DWORD flags) override;

    ULONG refs = 1;
    std::vector<DeviceCall> calls;
    D3DMATRIX transforms[4]{};      // indexed by D3DTRANSFORMSTATETYPE; start as identity
    HRESULT transformResults[4]{};  // what SetTransform returns per state
    HRESULT drawResult = D3D_OK;
    HRESULT lightStateResult = D3D_OK;
};

class FakeDirect3D : public IDirect3D3 {
  public:
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }
    HRESULT EnumZBufferFormats(REFCLSID, LPD3DENUMPIXELFORMATSCALLBACK, LPVOID) override { return E_NOTIMPL; }
    HRESULT CreateDevice(REFCLSID, IDirectDrawSurface4*, IDirect3DDevice3**, IUnknown*) override {
        return E_NOTIMPL;
    }
    HRESULT CreateViewport(IDirect3DViewport3**, IUnknown*) override { return E_NOTIMPL; }
    HRESULT CreateLight(IDirect3DLight** light, IUnknown* outer) override;
    HRESULT CreateMaterial(IDirect3DMaterial3** material, IUnknown* outer) override;

    ULONG refs = 1;
    HRESULT createLightResult = D3D_OK;
    HRESULT createMaterialResult = D3D_OK;
    HRESULT newLightSetLightResult = D3D_OK;  // what SetLight on a new light returns
    D3DMATERIALHANDLE nextHandle = 0x51;      // handles the materials hand out, counting up
    std::vector<std::unique_ptr<FakeLight>> createdLights;
    std::vector<std::unique_ptr<FakeMaterial>> createdMaterials;
    std::vector<const IUnknown*> outers;  // the outer object of every creation
};

D3DMATRIX Identity4();
