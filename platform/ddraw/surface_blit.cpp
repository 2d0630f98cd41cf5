// BltFast: rectangle copies between 16-bit memory surfaces, opaque or with the
// source colour key.
#include <cstring>

#include "platform/core/unsupported.h"
#include "platform/ddraw/memory_surface.h"

void CopyPixels(const uint16_t* source, int sourcePitch, uint16_t* destination, int destinationPitch,
                int width, int height) {
    const size_t rowBytes = static_cast<size_t>(width) * sizeof(uint16_t);
    for (int row = 0; row < height; ++row) {
        std::memcpy(destination + static_cast<ptrdiff_t>(row) * destinationPitch,
                    source + static_cast<ptrdiff_t>(row) * sourcePitch, rowBytes);
    }
}

void CopyPixelsKeyed(const uint16_t* source, int sourcePitch, uint16_t* destination, int destinationPitch,
                     int width, int height, uint16_t key, uint16_t rgbMask) {
    const uint16_t maskedKey = static_cast<uint16_t>(key & rgbMask);
    for (int row = 0; row < height; ++row) {
        const uint16_t* __restrict in = source + static_cast<ptrdiff_t>(row) * sourcePitch;
        uint16_t* __restrict out = destination + static_cast<ptrdiff_t>(row) * destinationPitch;
        for (int x = 0; x < width; ++x) {
            const uint16_t pixel = in[x];
            // Written as a select so that the loop vectorises.
            out[x] = (pixel & rgbMask) == maskedKey ? out[x] : pixel;
        }
    }
}

uint16_t MemorySurface::RgbMask() const {
    return static_cast<uint16_t>(format_.dwRBitMask | format_.dwGBitMask | format_.dwBBitMask);
}

HRESULT MemorySurface::CheckBlit(DWORD x, DWORD y, const MemorySurface& source, const RECT& rect) const {
    if (rect.left < 0 || rect.top < 0 || rect.right > source.Width() || rect.bottom > source.Height() ||
        rect.right < rect.left || rect.bottom < rect.top) {
        return DDERR_INVALIDRECT;
    }
    // No clipping: a copy reaching past the destination's edges draws nothing.
    const uint64_t right = static_cast<uint64_t>(x) + static_cast<uint64_t>(rect.right - rect.left);
    const uint64_t bottom = static_cast<uint64_t>(y) + static_cast<uint64_t>(rect.bottom - rect.top);
    if (right > width_ || bottom > height_ || x > width_ || y > height_) {
        return DDERR_INVALIDRECT;
    }
    return DD_OK;
}

HRESULT MemorySurface::BltFast(DWORD x, DWORD y, IDirectDrawSurface4* sourceInterface, RECT* srcRect,
                               DWORD trans) {
    MemorySurface* source = AsMemorySurface(sourceInterface);
    if (source == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    if ((trans & ~(DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT)) != 0) {
        return ReportUnsupported("BltFast flags other than DDBLTFAST_SRCCOLORKEY and DDBLTFAST_WAIT",
                                 DDERR_INVALIDPARAMS);
    }
    if (source == this) {
        return ReportUnsupported("BltFast within one surface", DDERR_UNSUPPORTED);
    }
    if (kind_ == SurfaceKind::Depth || source->kind_ == SurfaceKind::Depth ||
        source->IsRgb555() != IsRgb555()) {
        return DDERR_INVALIDPIXELFORMAT;
    }
    const RECT rect = srcRect != nullptr ? *srcRect : RECT{0, 0, source->Width(), source->Height()};
    if (HRESULT result = CheckBlit(x, y, *source, rect); result != DD_OK) {
        return result;
    }
    const bool keyed = (trans & DDBLTFAST_SRCCOLORKEY) != 0;
    if (keyed && !source->hasSourceKey_) {
        return DDERR_NOCOLORKEY;
    }
    if (locked_ || source->locked_) {
        return DDERR_SURFACEBUSY;
    }
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width == 0 || height == 0) {
        return DD_OK;  // an empty rectangle copies nothing
    }
    const uint16_t* from = source->Pixels() + static_cast<ptrdiff_t>(rect.top) * source->Width() + rect.left;
    uint16_t* to = Pixels() + static_cast<ptrdiff_t>(y) * Width() + x;
    if (keyed) {
        CopyPixelsKeyed(from, source->Width(), to, Width(), width, height, source->sourceKey_,
                        source->RgbMask());
    } else {
        CopyPixels(from, source->Width(), to, Width(), width, height);
    }
    return DD_OK;
}
