// The software device's state: render target, viewports, transforms, light
// and render states, scenes and material handles.
#include "platform/d3d/device.h"

#include <algorithm>

#include "platform/core/unsupported.h"
#include "platform/ddraw/memory_surface.h"

const IID IID_IDirect3DDevice3 = {
    0xB0AB3B60, 0x33D7, 0x11D1, {0xA9, 0x81, 0x00, 0xC0, 0x4F, 0xD7, 0xB1, 0x74}};

SoftwareDevice::SoftwareDevice(MemorySurface* target)
    : target_(target),
      world_(IdentityMatrix()),
      view_(IdentityMatrix()),
      projection_(IdentityMatrix()),
      zEnable_(target->AttachedDepth() != nullptr) {
    target_->AddRef();
}

SoftwareDevice::~SoftwareDevice() {
    for (SoftwareViewport* viewport : viewports_) {
        viewport->device = nullptr;
        viewport->Release();
    }
    target_->Release();
}

HRESULT SoftwareDevice::SetRenderTarget(IDirectDrawSurface4* target, DWORD flags) {
    MemorySurface* surface = AsMemorySurface(target);
    if (surface == nullptr || flags != 0) {
        return DDERR_INVALIDPARAMS;
    }
    if (surface->Kind() == SurfaceKind::Depth) {
        return DDERR_INVALIDPIXELFORMAT;
    }
    surface->AddRef();
    target_->Release();
    target_ = surface;
    return D3D_OK;
}

HRESULT SoftwareDevice::AddViewport(IDirect3DViewport3* viewportInterface) {
    auto* viewport = dynamic_cast<SoftwareViewport*>(viewportInterface);
    if (viewport == nullptr || viewport->device != nullptr) {
        return E_INVALIDARG;  // also for a viewport added before
    }
    viewport->AddRef();
    viewport->device = this;
    viewports_.push_back(viewport);
    return D3D_OK;
}

HRESULT SoftwareDevice::SetCurrentViewport(IDirect3DViewport3* viewportInterface) {
    auto* viewport = dynamic_cast<SoftwareViewport*>(viewportInterface);
    if (viewport == nullptr || viewport->device != this) {
        return DDERR_INVALIDPARAMS;
    }
    current_ = viewport;
    return D3D_OK;
}

HRESULT SoftwareDevice::SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
    if (matrix == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    switch (state) {
        case D3DTRANSFORMSTATE_WORLD:
            world_ = *matrix;
            return D3D_OK;
        case D3DTRANSFORMSTATE_VIEW:
            view_ = *matrix;
            return D3D_OK;
        case D3DTRANSFORMSTATE_PROJECTION:
            projection_ = *matrix;
            return D3D_OK;
    }
    return DDERR_INVALIDPARAMS;
}

HRESULT SoftwareDevice::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
    if (matrix == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    switch (state) {
        case D3DTRANSFORMSTATE_WORLD:
            *matrix = world_;
            return D3D_OK;
        case D3DTRANSFORMSTATE_VIEW:
            *matrix = view_;
            return D3D_OK;
        case D3DTRANSFORMSTATE_PROJECTION:
            *matrix = projection_;
            return D3D_OK;
    }
    return DDERR_INVALIDPARAMS;
}

HRESULT SoftwareDevice::SetLightState(D3DLIGHTSTATETYPE state, DWORD value) {
    switch (state) {
        case D3DLIGHTSTATE_MATERIAL:
            materialHandle_ = value;
            return D3D_OK;
        case D3DLIGHTSTATE_AMBIENT:
            ambient_ = value;
            return D3D_OK;
    }
    return ReportUnsupported("SetLightState of this state", DDERR_INVALIDPARAMS);
}

HRESULT SoftwareDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    switch (state) {
        case D3DRENDERSTATE_SHADEMODE:
            if (value != D3DSHADE_GOURAUD && value != D3DSHADE_FLAT) {
                return ReportUnsupported("shade modes other than flat and Gouraud", DDERR_INVALIDPARAMS);
            }
            shadeMode_ = value;
            return D3D_OK;
        case D3DRENDERSTATE_CULLMODE:
            if (value < D3DCULL_NONE || value > D3DCULL_CCW) {
                return DDERR_INVALIDPARAMS;
            }
            cullMode_ = value;
            return D3D_OK;
        case D3DRENDERSTATE_ZENABLE:
            if (value > 1) {
                return ReportUnsupported("ZENABLE other than TRUE and FALSE", DDERR_INVALIDPARAMS);
            }
            zEnable_ = value != 0;
            return D3D_OK;
        case D3DRENDERSTATE_SPECULARENABLE:
            if (value != 0) {
                return ReportUnsupported("D3DRENDERSTATE_SPECULARENABLE TRUE", DDERR_UNSUPPORTED);
            }
            return D3D_OK;
    }
    return ReportUnsupported("SetRenderState of this state", DDERR_INVALIDPARAMS);
}

HRESULT SoftwareDevice::BeginScene() {
    if (inScene_) {
        return D3DERR_SCENE_IN_SCENE;
    }
    inScene_ = true;
    return D3D_OK;
}

HRESULT SoftwareDevice::EndScene() {
    if (!inScene_) {
        return D3DERR_SCENE_NOT_IN_SCENE;
    }
    inScene_ = false;
    return D3D_OK;
}

D3DMATERIALHANDLE SoftwareDevice::HandleFor(const std::shared_ptr<MaterialState>& material) {
    // Forget the handles of materials that are gone, then look this one up.
    std::erase_if(materials_, [](const auto& entry) { return entry.second.expired(); });
    for (const auto& [handle, state] : materials_) {
        if (state.lock() == material) {
            return handle;
        }
    }
    materials_.emplace_back(nextHandle_, material);
    return nextHandle_++;
}

const MaterialState* SoftwareDevice::SelectedMaterial() const {
    if (materialHandle_ == 0) {
        return nullptr;
    }
    for (const auto& [handle, state] : materials_) {
        if (handle == materialHandle_) {
            // The material object keeps the state alive for the whole draw.
            return state.lock().get();
        }
    }
    return nullptr;
}
