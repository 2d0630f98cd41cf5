// The viewport: its clip volume, Clear2 and the lights attached to it.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/core/unsupported.h"
#include "platform/d3d/device.h"
#include "platform/ddraw/memory_surface.h"

const IID IID_IDirect3DViewport3 = {
    0xB0AB3B61, 0x33D7, 0x11D1, {0xA9, 0x81, 0x00, 0xC0, 0x4F, 0xD7, 0xB1, 0x74}};

namespace {

constexpr DWORD D3DCLEAR_STENCIL = 0x00000004;

void Fill(uint16_t* pixels, int pitch, const RECT& area, uint16_t value) {
    const auto width = static_cast<size_t>(area.right - area.left);
    const bool byteFill = (value >> 8) == (value & 0xFF);  // white, black, far depth
    for (LONG y = area.top; y < area.bottom; ++y) {
        uint16_t* row = pixels + static_cast<ptrdiff_t>(y) * pitch + area.left;
        if (byteFill) {
            std::memset(row, value & 0xFF, width * sizeof(uint16_t));
        } else {
            std::fill_n(row, width, value);
        }
    }
}

}  // namespace

SoftwareViewport::~SoftwareViewport() {
    for (SoftwareLight* light : lights_) {
        light->inViewport = false;
        light->Release();
    }
}

HRESULT SoftwareViewport::SetViewport2(D3DVIEWPORT2* viewport) {
    if (viewport == nullptr || viewport->dwSize != sizeof(D3DVIEWPORT2)) {
        return DDERR_INVALIDPARAMS;
    }
    if (device == nullptr) {
        return D3DERR_VIEWPORTHASNODEVICE;
    }
    ViewportMapping mapping;
    if (!MakeViewportMapping(*viewport, &mapping)) {
        return DDERR_INVALIDPARAMS;
    }
    desc_ = *viewport;
    mapping_ = mapping;
    hasParameters_ = true;
    return D3D_OK;
}

HRESULT SoftwareViewport::Clear2(DWORD count, D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z,
                                 DWORD /*stencil*/) {
    if ((flags & D3DCLEAR_STENCIL) != 0 || (flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER)) != 0) {
        return ReportUnsupported("Clear2 flags other than D3DCLEAR_TARGET and D3DCLEAR_ZBUFFER",
                                 DDERR_INVALIDPARAMS);
    }
    if (device == nullptr) {
        return D3DERR_VIEWPORTHASNODEVICE;
    }
    if (!hasParameters_) {
        return DDERR_INVALIDPARAMS;
    }
    MemorySurface* target = device->Target();
    MemorySurface* depth = target->AttachedDepth();
    if ((flags & D3DCLEAR_ZBUFFER) != 0 && depth == nullptr) {
        return D3DERR_ZBUFFER_NOTPRESENT;
    }
    if (count == 0 || rects == nullptr) {
        return D3D_OK;  // no rectangle, nothing cleared
    }
    if (target->IsLocked() || (depth != nullptr && depth->IsLocked())) {
        return DDERR_SURFACEBUSY;
    }
    const ColourLayout layout = LayoutOf(target->Format());
    const uint16_t pixel = PackRgb(layout, (colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
    const auto depthValue = static_cast<uint16_t>(std::lround(std::clamp(z, 0.0f, 1.0f) * 65535.0f));
    for (DWORD index = 0; index < count; ++index) {
        // Limited to the viewport and to the surface.
        RECT area{std::max({rects[index].x1, mapping_.left, LONG{0}}),
                  std::max({rects[index].y1, mapping_.top, LONG{0}}),
                  std::min({rects[index].x2, mapping_.right, static_cast<LONG>(target->Width())}),
                  std::min({rects[index].y2, mapping_.bottom, static_cast<LONG>(target->Height())})};
        if (area.left >= area.right || area.top >= area.bottom) {
            continue;
        }
        if ((flags & D3DCLEAR_TARGET) != 0) {
            Fill(target->Pixels(), target->Width(), area, pixel);
        }
        if ((flags & D3DCLEAR_ZBUFFER) != 0) {
            Fill(depth->Pixels(), depth->Width(), area, depthValue);
        }
    }
    return D3D_OK;
}

HRESULT SoftwareViewport::AddLight(IDirect3DLight* lightInterface) {
    auto* light = dynamic_cast<SoftwareLight*>(lightInterface);
    if (light == nullptr || light->inViewport) {
        return DDERR_INVALIDPARAMS;  // a light belongs to one viewport at a time
    }
    light->AddRef();
    light->inViewport = true;
    lights_.push_back(light);
    return D3D_OK;
}

void SoftwareViewport::CollectLights(std::vector<const D3DLIGHT2*>& lights) const {
    for (const SoftwareLight* light : lights_) {
        lights.push_back(&light->Desc());
    }
}
