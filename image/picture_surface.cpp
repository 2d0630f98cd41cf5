// The background picture surface.
#include "image/picture_surface.h"

#include <cstddef>
#include <cstring>

IDirectDrawSurface4* pictureSurface = nullptr;
RECT pictureRect = {0, 0, 0, 0};
uint32_t ambientLevel = 0;

void ConvertPicturePixels(const GifImage& image, uint8_t* destination, int32_t pitch,
                          const PixelFormatInfo& format) {
    uint16_t packed[256];
    for (int i = 0; i < 256; ++i) {
        packed[i] = PackColor(format, image.palette[i][0], image.palette[i][1], image.palette[i][2]);
    }
    const uint8_t* source = image.pixels;
    for (int32_t y = 0; y < image.height; ++y) {
        uint8_t* row = destination + static_cast<ptrdiff_t>(y) * pitch;
        for (int32_t x = 0; x < image.width; ++x) {
            const uint16_t value = packed[*source++];
            std::memcpy(row + 2 * x, &value, sizeof value);
        }
    }
}

namespace {

HRESULT CreateOffscreenSurface(IDirectDraw4* directDraw, DWORD width, DWORD height,
                               IDirectDrawSurface4** surface) {
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = DDSURFACEDESC2_SIZE_WIN32;
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.dwHeight = height;
    desc.dwWidth = width;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    return directDraw->CreateSurface(&desc, surface, nullptr);
}

// Rows go at the pitch the lock reports, which may exceed twice the width.
bool FillSurface(IDirectDrawSurface4* surface, const GifImage& image, const PixelFormatInfo& format) {
    DDSURFACEDESC2 locked;
    std::memset(&locked, 0, sizeof locked);
    locked.dwSize = DDSURFACEDESC2_SIZE_WIN32;
    if (FAILED(surface->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr)) || locked.lpSurface == nullptr) {
        return false;
    }
    const bool pitchHoldsRow = locked.lPitch >= 2 * image.width;
    if (pitchHoldsRow) {
        ConvertPicturePixels(image, static_cast<uint8_t*>(locked.lpSurface), locked.lPitch, format);
    }
    surface->Unlock(nullptr);
    return pitchHoldsRow;
}

}  // namespace

int CreatePictureSurface(DisplayDevice& display, IDirectDrawSurface4** surface, const char* name,
                         RECT* rect) {
    GifImage* image = DecodeGifResource(name);
    if (image == nullptr) {
        return 0;
    }
    if (rect != nullptr) {
        *rect = RECT{0, 0, image->width, image->height};
    }
    const bool created =
        display.directDraw != nullptr &&
        SUCCEEDED(CreateOffscreenSurface(display.directDraw, static_cast<DWORD>(image->width),
                                         static_cast<DWORD>(image->height), surface)) &&
        *surface != nullptr;
    const bool filled = created && FillSurface(*surface, *image, display.pixelFormat);
    FreeGifImage(image);
    if (!filled) {
        if (created) {
            // An unfilled surface would be drawn as an empty picture; without
            // one no frame is composed, as when the picture cannot be decoded.
            (*surface)->Release();
            *surface = nullptr;
        }
        return 0;
    }
    ambientLevel = (ambientLevel & 0xFFFF0000u) | PICTURE_AMBIENT_LEVEL;
    return 1;
}
