#include "platform/ddraw/memory_surface.h"

#include <utility>

#include "platform/core/unsupported.h"
#include "platform/present/presenter.h"

namespace {

constexpr DWORD DDLOCK_READONLY = 0x00000010;
constexpr DWORD DDLOCK_WRITEONLY = 0x00000020;
constexpr DWORD DDLOCK_NOSYSLOCK = 0x00000800;
constexpr DWORD DDCKEY_COLORSPACE = 0x00000001;

bool DescSizeOk(const DDSURFACEDESC2* desc) {
    return desc != nullptr &&
           (desc->dwSize == DDSURFACEDESC2_SIZE_WIN32 || desc->dwSize == sizeof(DDSURFACEDESC2));
}

}  // namespace

MemorySurface* AsMemorySurface(IDirectDrawSurface4* surface) { return dynamic_cast<MemorySurface*>(surface); }

MemorySurface::MemorySurface(SurfaceKind kind, DWORD width, DWORD height, const DDPIXELFORMAT& format,
                             DWORD caps)
    : kind_(kind),
      width_(width),
      height_(height),
      caps_(caps),
      format_(format),
      pixels_(static_cast<size_t>(width) * height, 0) {}

MemorySurface::~MemorySurface() {
    if (attachedDepth_ != nullptr) {
        attachedDepth_->Release();
    }
    if (backBuffer_ != nullptr) {
        backBuffer_->Release();
    }
}

void MemorySurface::MakeFlippingChain(std::shared_ptr<PresentTarget> target) {
    present_ = std::move(target);
    DWORD backCaps = (caps_ & ~(DDSCAPS_PRIMARYSURFACE | DDSCAPS_FRONTBUFFER)) | DDSCAPS_BACKBUFFER;
    backBuffer_ = new MemorySurface(SurfaceKind::BackBuffer, width_, height_, format_, backCaps);
    caps_ |= DDSCAPS_FRONTBUFFER;
}

HRESULT MemorySurface::AddAttachedSurface(IDirectDrawSurface4* surface) {
    MemorySurface* depth = AsMemorySurface(surface);
    if (depth == nullptr || depth == this) {
        return DDERR_INVALIDPARAMS;
    }
    if (depth->kind_ != SurfaceKind::Depth || kind_ == SurfaceKind::Depth) {
        return ReportUnsupported("AddAttachedSurface of anything but a z-buffer", DDERR_CANNOTATTACHSURFACE);
    }
    if (attachedDepth_ != nullptr) {
        return DDERR_SURFACEALREADYATTACHED;
    }
    if (depth->width_ != width_ || depth->height_ != height_) {
        return DDERR_CANNOTATTACHSURFACE;
    }
    depth->AddRef();
    attachedDepth_ = depth;
    return DD_OK;
}

HRESULT MemorySurface::GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface4** surface) {
    if (caps == nullptr || surface == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    *surface = nullptr;
    MemorySurface* found = nullptr;
    if (caps->dwCaps == DDSCAPS_BACKBUFFER || caps->dwCaps == DDSCAPS_FLIP) {
        found = backBuffer_;
    } else if (caps->dwCaps == DDSCAPS_ZBUFFER) {
        found = attachedDepth_;
    } else {
        return ReportUnsupported("GetAttachedSurface caps other than back buffer or z-buffer",
                                 DDERR_NOTFOUND);
    }
    if (found == nullptr) {
        return DDERR_NOTFOUND;
    }
    found->AddRef();
    *surface = found;
    return DD_OK;
}

HRESULT MemorySurface::Flip(IDirectDrawSurface4* targetOverride, DWORD flags) {
    if (backBuffer_ == nullptr) {
        return DDERR_NOTFLIPPABLE;
    }
    if (targetOverride != nullptr && targetOverride != backBuffer_) {
        return ReportUnsupported("Flip with a target override", DDERR_INVALIDPARAMS);
    }
    if ((flags & ~DDFLIP_WAIT) != 0) {
        return ReportUnsupported("Flip flags other than DDFLIP_WAIT", DDERR_INVALIDPARAMS);
    }
    if (locked_ || backBuffer_->locked_) {
        return DDERR_SURFACEBUSY;
    }
    // Memory moves, objects stay: the program keeps drawing into the same back buffer.
    std::swap(pixels_, backBuffer_->pixels_);
    if (present_ != nullptr) {
        present_->Present(pixels_.data(), Width(), Height(), IsRgb555());
    }
    return DD_OK;
}

HRESULT MemorySurface::GetPixelFormat(DDPIXELFORMAT* format) {
    if (format == nullptr || format->dwSize != sizeof(DDPIXELFORMAT)) {
        return DDERR_INVALIDPARAMS;
    }
    *format = format_;
    return DD_OK;
}

HRESULT MemorySurface::GetSurfaceDesc(DDSURFACEDESC2* desc) {
    if (!DescSizeOk(desc)) {
        return DDERR_INVALIDPARAMS;
    }
    const DWORD size = desc->dwSize;
    *desc = DDSURFACEDESC2{};
    desc->dwSize = size;
    desc->dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc->dwWidth = width_;
    desc->dwHeight = height_;
    desc->lPitch = static_cast<LONG>(width_ * sizeof(uint16_t));
    desc->ddpfPixelFormat = format_;
    desc->ddsCaps.dwCaps = caps_;
    if (kind_ == SurfaceKind::Primary && backBuffer_ != nullptr) {
        desc->dwFlags |= DDSD_BACKBUFFERCOUNT;
        desc->dwBackBufferCount = 1;
    }
    if (hasSourceKey_) {
        desc->dwFlags |= DDSD_CKSRCBLT;
        desc->ddckCKSrcBlt.dwColorSpaceLowValue = sourceKey_;
        desc->ddckCKSrcBlt.dwColorSpaceHighValue = sourceKey_;
    }
    return DD_OK;
}

HRESULT MemorySurface::Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD flags, HANDLE event) {
    if (!DescSizeOk(desc) || event != nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    if ((flags & ~(DDLOCK_WAIT | DDLOCK_READONLY | DDLOCK_WRITEONLY | DDLOCK_NOSYSLOCK)) != 0) {
        return ReportUnsupported("Lock flags", DDERR_INVALIDPARAMS);
    }
    LONG left = 0;
    LONG top = 0;
    if (rect != nullptr) {
        if (rect->left < 0 || rect->top < 0 || rect->right > Width() || rect->bottom > Height() ||
            rect->left >= rect->right || rect->top >= rect->bottom) {
            return DDERR_INVALIDRECT;
        }
        left = rect->left;
        top = rect->top;
    }
    if (locked_) {
        return DDERR_SURFACEBUSY;
    }
    GetSurfaceDesc(desc);
    desc->dwFlags |= DDSD_LPSURFACE;
    desc->lpSurface = pixels_.data() + static_cast<size_t>(top) * width_ + static_cast<size_t>(left);
    locked_ = true;
    return DD_OK;
}

HRESULT MemorySurface::Unlock(RECT* /*rect*/) {
    // The rectangle only names which lock ends; a surface holds one lock at a time.
    if (!locked_) {
        return DDERR_NOTLOCKED;
    }
    locked_ = false;
    return DD_OK;
}

HRESULT MemorySurface::SetColorKey(DWORD flags, DDCOLORKEY* key) {
    if (flags != DDCKEY_SRCBLT) {
        if ((flags & DDCKEY_COLORSPACE) != 0) {
            return ReportUnsupported("SetColorKey with a colour range", DDERR_INVALIDPARAMS);
        }
        return ReportUnsupported("SetColorKey kinds other than DDCKEY_SRCBLT", DDERR_INVALIDPARAMS);
    }
    if (kind_ == SurfaceKind::Depth) {
        return DDERR_INVALIDPIXELFORMAT;
    }
    hasSourceKey_ = key != nullptr;
    // Without DDCKEY_COLORSPACE the high value is not looked at.
    sourceKey_ = key != nullptr ? static_cast<uint16_t>(key->dwColorSpaceLowValue & RgbMask()) : 0;
    return DD_OK;
}

// Memory surfaces are never lost, so there is nothing to restore.
HRESULT MemorySurface::IsLost() { return DD_OK; }
HRESULT MemorySurface::Restore() { return DD_OK; }
