// Room d3d/: Direct3D immediate mode in software, drawing into ddraw/'s
// surfaces. Includes core/, include/ and ddraw/memory_surface.h.
// The Direct3D objects of the software device: the Direct3D object, the
// viewport, the material and the light. The device is in device.h.
// Platform-internal. Main thread only.
#pragma once

#include <memory>
#include <vector>

#include "platform/core/com_object.h"
#include "platform/d3d/d3d.h"
#include "platform/d3d/transform.h"

class DirectDrawObject;
class SoftwareDevice;

class Direct3DObject final : public ComObject<IDirect3D3, IID_IDirect3D3> {
  public:
    explicit Direct3DObject(DirectDrawObject* directDraw);  // keeps a reference to it
    Direct3DObject(const Direct3DObject&) = delete;
    Direct3DObject& operator=(const Direct3DObject&) = delete;

    HRESULT EnumZBufferFormats(REFCLSID device, LPD3DENUMPIXELFORMATSCALLBACK callback,
                               LPVOID context) override;
    HRESULT CreateDevice(REFCLSID device, IDirectDrawSurface4* target, IDirect3DDevice3** result,
                         IUnknown* outer) override;
    HRESULT CreateViewport(IDirect3DViewport3** viewport, IUnknown* outer) override;
    HRESULT CreateLight(IDirect3DLight** light, IUnknown* outer) override;
    HRESULT CreateMaterial(IDirect3DMaterial3** material, IUnknown* outer) override;

  private:
    ~Direct3DObject() override;
    DirectDrawObject* directDraw_;
};

class SoftwareLight final : public ComObject<IDirect3DLight, IID_IDirect3DLight> {
  public:
    SoftwareLight() = default;
    SoftwareLight(const SoftwareLight&) = delete;
    SoftwareLight& operator=(const SoftwareLight&) = delete;

    HRESULT SetLight(D3DLIGHT2* light) override;

    const D3DLIGHT2& Desc() const { return desc_; }
    bool inViewport = false;

  private:
    ~SoftwareLight() override = default;
    D3DLIGHT2 desc_{};  // dwFlags 0: inactive until set
};

// A material's values, shared with the devices that handed out a handle for
// it, so that a handle outliving its material reads as no material.
struct MaterialState {
    D3DMATERIAL desc{};
};

class SoftwareMaterial final : public ComObject<IDirect3DMaterial3, IID_IDirect3DMaterial3> {
  public:
    SoftwareMaterial();
    SoftwareMaterial(const SoftwareMaterial&) = delete;
    SoftwareMaterial& operator=(const SoftwareMaterial&) = delete;

    HRESULT SetMaterial(D3DMATERIAL* material) override;
    HRESULT GetHandle(IDirect3DDevice3* device, D3DMATERIALHANDLE* handle) override;

  private:
    ~SoftwareMaterial() override = default;
    std::shared_ptr<MaterialState> state_;
};

class SoftwareViewport final : public ComObject<IDirect3DViewport3, IID_IDirect3DViewport3> {
  public:
    SoftwareViewport() = default;
    SoftwareViewport(const SoftwareViewport&) = delete;
    SoftwareViewport& operator=(const SoftwareViewport&) = delete;

    HRESULT SetViewport2(D3DVIEWPORT2* viewport) override;
    HRESULT Clear2(DWORD count, D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z,
                   DWORD stencil) override;
    HRESULT AddLight(IDirect3DLight* light) override;

    // The device this viewport was added to (set and cleared by the device).
    SoftwareDevice* device = nullptr;
    bool HasParameters() const { return hasParameters_; }
    const ViewportMapping& Mapping() const { return mapping_; }
    // Appends the descriptions of the attached lights.
    void CollectLights(std::vector<const D3DLIGHT2*>& lights) const;

  private:
    ~SoftwareViewport() override;
    bool hasParameters_ = false;
    D3DVIEWPORT2 desc_{};
    ViewportMapping mapping_;
    std::vector<SoftwareLight*> lights_;  // one reference each
};
