#include "platform/ddraw/direct_draw.h"

#include "platform/core/unsupported.h"
#include "platform/d3d/d3d.h"
#include "platform/ddraw/memory_surface.h"
#include "platform/present/sdl_window.h"

namespace {

constexpr DWORD KNOWN_LEVEL_FLAGS = DDSCL_FULLSCREEN | DDSCL_NORMAL | DDSCL_EXCLUSIVE | DDSCL_FPUSETUP;
constexpr DWORD CHAIN_CAPS = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
// The fields of a surface description that CreateSurface reads.
constexpr DWORD CREATE_FIELDS =
    DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_BACKBUFFERCOUNT | DDSD_PIXELFORMAT;
constexpr DWORD MAX_SURFACE_SIDE = 16384;

bool SizeOk(const DDSURFACEDESC2& desc) {
    return (desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) == (DDSD_WIDTH | DDSD_HEIGHT) && desc.dwWidth > 0 &&
           desc.dwHeight > 0 && desc.dwWidth <= MAX_SURFACE_SIDE && desc.dwHeight <= MAX_SURFACE_SIDE;
}

}  // namespace

DDPIXELFORMAT ScreenPixelFormat(bool rgb555) {
    DDPIXELFORMAT format{};
    format.dwSize = sizeof(DDPIXELFORMAT);
    format.dwFlags = DDPF_RGB;
    format.dwRGBBitCount = 16;
    format.dwRBitMask = rgb555 ? 0x7C00 : 0xF800;
    format.dwGBitMask = rgb555 ? 0x03E0 : 0x07E0;
    format.dwBBitMask = 0x001F;
    return format;
}

DirectDrawObject::DirectDrawObject(bool rgb555)
    : screenFormat_(ScreenPixelFormat(rgb555)), present_(std::make_shared<PresentTarget>()) {}

HRESULT DirectDrawObject::QueryOther(REFIID riid, void** object) {
    if (riid == IID_IDirect3D3) {
        *object = CreateDirect3DFor(this);
        return S_OK;
    }
    return E_NOINTERFACE;
}

HRESULT DirectDrawObject::SetCooperativeLevel(HWND window, DWORD flags) {
    if ((flags & ~KNOWN_LEVEL_FLAGS) != 0) {
        return ReportUnsupported("SetCooperativeLevel flags", DDERR_INVALIDPARAMS);
    }
    // DDSCL_FPUSETUP only promises Direct3D an FPU it need not touch: nothing to do here.
    const bool exclusive =
        (flags & (DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE)) == (DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE);
    const bool normal = (flags & DDSCL_NORMAL) != 0;
    if (exclusive == normal || (!exclusive && (flags & (DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE)) != 0)) {
        return DDERR_INVALIDPARAMS;
    }
    if (exclusive && window == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    if (window != nullptr) {
        present_->window = window;
    }
    present_->exclusive = exclusive;
    // Giving the screen back lets a message box be seen over the desktop.
    SetWindowFillsScreen(SdlWindowOf(present_->window), exclusive);
    return DD_OK;
}

HRESULT DirectDrawObject::SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate,
                                         DWORD flags) {
    if (bitsPerPixel != 16) {
        return ReportUnsupported("SetDisplayMode with other than 16 bits per pixel", DDERR_INVALIDMODE);
    }
    if (refreshRate != 0 || flags != 0) {
        return ReportUnsupported("SetDisplayMode refresh rate or flags", DDERR_INVALIDPARAMS);
    }
    if (width == 0 || height == 0 || width > MAX_SURFACE_SIDE || height > MAX_SURFACE_SIDE) {
        return DDERR_INVALIDMODE;
    }
    if (!present_->exclusive) {
        return DDERR_NOEXCLUSIVEMODE;
    }
    // The mode is the size the window presents; the desktop itself is not switched.
    present_->modeWidth = width;
    present_->modeHeight = height;
    return DD_OK;
}

HRESULT DirectDrawObject::CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface4** surface,
                                        IUnknown* outer) {
    if (surface == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    *surface = nullptr;
    if (desc == nullptr ||
        (desc->dwSize != DDSURFACEDESC2_SIZE_WIN32 && desc->dwSize != sizeof(DDSURFACEDESC2)) ||
        (desc->dwFlags & DDSD_CAPS) == 0) {
        return DDERR_INVALIDPARAMS;
    }
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    if ((desc->dwFlags & ~CREATE_FIELDS) != 0) {
        ReportUnsupported("CreateSurface fields other than caps, size, back buffers and pixel format");
    }
    const DWORD caps = desc->ddsCaps.dwCaps;
    if ((caps & DDSCAPS_PRIMARYSURFACE) != 0) {
        return CreatePrimary(*desc, surface);
    }
    if ((caps & DDSCAPS_ZBUFFER) != 0) {
        return CreateDepth(*desc, surface);
    }
    if ((caps & DDSCAPS_OFFSCREENPLAIN) != 0) {
        return CreateOffScreen(*desc, surface);
    }
    return ReportUnsupported("CreateSurface of this kind", DDERR_INVALIDPARAMS);
}

HRESULT DirectDrawObject::CreatePrimary(const DDSURFACEDESC2& desc, IDirectDrawSurface4** surface) {
    const DWORD caps = desc.ddsCaps.dwCaps;
    if ((caps & CHAIN_CAPS) != CHAIN_CAPS || (desc.dwFlags & DDSD_BACKBUFFERCOUNT) == 0 ||
        desc.dwBackBufferCount != 1) {
        return ReportUnsupported("primary surfaces other than a flipping chain with one back buffer",
                                 DDERR_INVALIDPARAMS);
    }
    if (!present_->exclusive) {
        return DDERR_NOEXCLUSIVEMODE;
    }
    auto* primary = new MemorySurface(SurfaceKind::Primary, present_->modeWidth, present_->modeHeight,
                                      screenFormat_, caps | DDSCAPS_VIDEOMEMORY);
    primary->MakeFlippingChain(present_);
    *surface = primary;
    return DD_OK;
}

HRESULT DirectDrawObject::CreateOffScreen(const DDSURFACEDESC2& desc, IDirectDrawSurface4** surface) {
    if (!SizeOk(desc)) {
        return DDERR_INVALIDPARAMS;
    }
    if ((desc.dwFlags & DDSD_PIXELFORMAT) != 0) {
        const DDPIXELFORMAT& format = desc.ddpfPixelFormat;
        if (format.dwFlags != DDPF_RGB || format.dwRGBBitCount != 16 ||
            format.dwRBitMask != screenFormat_.dwRBitMask || format.dwGBitMask != screenFormat_.dwGBitMask ||
            format.dwBBitMask != screenFormat_.dwBBitMask) {
            return ReportUnsupported("off-screen surfaces in other than the screen's format",
                                     DDERR_INVALIDPIXELFORMAT);
        }
    }
    // Every off-screen surface lives in system memory, whatever was asked.
    const DWORD caps = (desc.ddsCaps.dwCaps & ~DDSCAPS_VIDEOMEMORY) | DDSCAPS_SYSTEMMEMORY;
    *surface = new MemorySurface(SurfaceKind::OffScreen, desc.dwWidth, desc.dwHeight, screenFormat_, caps);
    return DD_OK;
}

HRESULT DirectDrawObject::CreateDepth(const DDSURFACEDESC2& desc, IDirectDrawSurface4** surface) {
    if (!SizeOk(desc) || (desc.dwFlags & DDSD_PIXELFORMAT) == 0) {
        return DDERR_INVALIDPARAMS;
    }
    const DDPIXELFORMAT& format = desc.ddpfPixelFormat;
    if (format.dwFlags != DDPF_ZBUFFER || format.dwZBufferBitDepth != 16 || format.dwZBitMask != 0xFFFF) {
        return ReportUnsupported("z-buffers other than 16-bit pure depth", DDERR_INVALIDPIXELFORMAT);
    }
    // A video-memory z-buffer is memory all the same: there is no hardware here.
    *surface =
        new MemorySurface(SurfaceKind::Depth, desc.dwWidth, desc.dwHeight, format, desc.ddsCaps.dwCaps);
    return DD_OK;
}
