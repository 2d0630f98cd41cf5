// The software Direct3D device (the RGB device): state, scenes and the
// triangle-list pipeline transform -> lighting -> clipping -> rasteriser.
// Platform-internal. Main thread only.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "platform/d3d/clipping.h"
#include "platform/d3d/d3d.h"
#include "platform/d3d/d3d_objects.h"
#include "platform/d3d/lighting.h"
#include "platform/d3d/rasteriser.h"

class MemorySurface;

class SoftwareDevice final : public ComObject<IDirect3DDevice3, IID_IDirect3DDevice3> {
  public:
    // Draws into `target` (one reference kept); depth testing starts on when
    // the target has a z-buffer attached.
    explicit SoftwareDevice(MemorySurface* target);
    SoftwareDevice(const SoftwareDevice&) = delete;
    SoftwareDevice& operator=(const SoftwareDevice&) = delete;

    HRESULT SetRenderTarget(IDirectDrawSurface4* target, DWORD flags) override;
    HRESULT AddViewport(IDirect3DViewport3* viewport) override;
    HRESULT SetCurrentViewport(IDirect3DViewport3* viewport) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT SetLightState(D3DLIGHTSTATETYPE state, DWORD value) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, DWORD vertexFormat, LPVOID vertices, DWORD count,
                          DWORD flags) override;

    MemorySurface* Target() const { return target_; }
    // The handle of a material on this device, the same one every time.
    D3DMATERIALHANDLE HandleFor(const std::shared_ptr<MaterialState>& material);

  private:
    ~SoftwareDevice() override;
    const MaterialState* SelectedMaterial() const;
    // Per-draw set-up; false when there is nothing to draw into.
    bool PrepareDraw(bool lit);
    void DrawTriangle3(const D3DVERTEX* corners, bool lit);
    ClipVertex LitCorner(const D3DVERTEX& v, const Vec4& clip, bool lit) const;

    MemorySurface* target_;
    std::vector<SoftwareViewport*> viewports_;  // one reference each
    SoftwareViewport* current_ = nullptr;
    D3DMATRIX world_;
    D3DMATRIX view_;
    D3DMATRIX projection_;
    D3DMATERIALHANDLE materialHandle_ = 0;
    D3DCOLOR ambient_ = 0;
    DWORD shadeMode_ = D3DSHADE_GOURAUD;
    DWORD cullMode_ = D3DCULL_CCW;
    bool zEnable_;
    bool inScene_ = false;
    D3DMATERIALHANDLE nextHandle_ = 1;
    std::vector<std::pair<D3DMATERIALHANDLE, std::weak_ptr<MaterialState>>> materials_;

    // Set up by PrepareDraw for the triangles of one call.
    D3DMATRIX worldView_;
    D3DMATRIX worldViewProjection_;
    Matrix3 normalMatrix_;
    ClipVolume clipVolume_;
    ViewportMapping mapping_;
    RasterTarget raster_;
    LightingModel lighting_;
    std::vector<const D3DLIGHT2*> lightScratch_;
};
