// Materials and lights: descriptions kept for the device's lighting stage.
#include "platform/core/unsupported.h"
#include "platform/d3d/device.h"

const IID IID_IDirect3DLight = {0x4417C142, 0x33AD, 0x11CF, {0x81, 0x6F, 0x00, 0x00, 0xC0, 0x20, 0x15, 0x6E}};
const IID IID_IDirect3DMaterial3 = {
    0xCA9C46F4, 0xD3C5, 0x11D1, {0xB7, 0x5A, 0x00, 0x60, 0x08, 0x52, 0xB3, 0x12}};

HRESULT SoftwareLight::SetLight(D3DLIGHT2* light) {
    if (light == nullptr || light->dwSize != sizeof(D3DLIGHT2)) {
        return DDERR_INVALIDPARAMS;
    }
    if (light->dltType != D3DLIGHT_POINT && light->dltType != D3DLIGHT_DIRECTIONAL) {
        return ReportUnsupported("lights other than point and directional", DDERR_INVALIDPARAMS);
    }
    if (light->dltType == D3DLIGHT_POINT && !(light->dvRange > 0.0f)) {
        return DDERR_INVALIDPARAMS;  // the attenuation divides by the range
    }
    desc_ = *light;
    return D3D_OK;
}

SoftwareMaterial::SoftwareMaterial() : state_(std::make_shared<MaterialState>()) {
    state_->desc.dwSize = sizeof(D3DMATERIAL);
}

HRESULT SoftwareMaterial::SetMaterial(D3DMATERIAL* material) {
    if (material == nullptr || material->dwSize != sizeof(D3DMATERIAL)) {
        return DDERR_INVALIDPARAMS;
    }
    if (material->hTexture != 0) {
        return ReportUnsupported("textured materials", DDERR_INVALIDPARAMS);
    }
    // Specular colour and power are kept but change nothing: specular is off.
    state_->desc = *material;
    return D3D_OK;
}

HRESULT SoftwareMaterial::GetHandle(IDirect3DDevice3* deviceInterface, D3DMATERIALHANDLE* handle) {
    auto* device = dynamic_cast<SoftwareDevice*>(deviceInterface);
    if (device == nullptr || handle == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    *handle = device->HandleFor(state_);
    return D3D_OK;
}
