// The display chain: driver, exclusive 16-bit mode, flipping primary with its
// back buffer, z-buffer, Direct3D device and viewport, pixel format; and its
// release in reverse order. Each step leaves one line in "debug.log".
#include "display/display_device.h"

#include "log/debug_log.h"

namespace {

constexpr DWORD COOPERATIVE_FLAGS = DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE | DDSCL_FPUSETUP;
constexpr DWORD PRIMARY_CAPS = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;

// Takes the first format that is pure depth (no stencil or other flag).
HRESULT ZFormatCallback(DDPIXELFORMAT* format, LPVOID context) {
    if (format->dwFlags == DDPF_ZBUFFER) {
        *static_cast<DDPIXELFORMAT*>(context) = *format;
        return D3DENUMRET_CANCEL;
    }
    return D3DENUMRET_OK;
}

template <class Interface>
void ReleaseAndClear(Interface*& object) {
    if (object != nullptr) {
        object->Release();
        object = nullptr;
    }
}

struct ZBufferChoice {
    HRESULT result;
    bool hardware;
    DDPIXELFORMAT format;
};

// Hardware first; the software device only when the HAL cannot enumerate.
ZBufferChoice ChooseZBufferFormat(IDirect3D3* direct3D) {
    ZBufferChoice choice{D3D_OK, true, {}};
    choice.result = direct3D->EnumZBufferFormats(IID_IDirect3DHALDevice, ZFormatCallback, &choice.format);
    if (FAILED(choice.result)) {
        DebugLog("attempting software z-buffer");
        choice.hardware = false;
        choice.result = direct3D->EnumZBufferFormats(IID_IDirect3DRGBDevice, ZFormatCallback, &choice.format);
        if (FAILED(choice.result)) {
            return choice;
        }
        DebugLog("Using software z-buffer");
    } else {
        DebugLog("Using hardware z-buffer");
    }
    return choice;
}

}  // namespace

DisplayDevice::DisplayDevice() = default;

DisplayDevice::~DisplayDevice() { ReleaseDisplay(); }

// Main thread, once at start-up. Every object made stays in its field, also on failure.
HRESULT DisplayDevice::CreateDisplay(uint16_t modeWidth, uint16_t modeHeight, uint8_t modeBits) {
    EnumerateDrivers(drivers, &driverCount, &chosenDriver);
    DebugLog("Drivers enumerated");

    // With no driver staged the chosen index names no record: use the default driver.
    GUID* guid = chosenDriver == 0 || chosenDriver >= MAX_DRIVERS ? nullptr : &drivers[chosenDriver].guid;
    IDirectDraw* first = nullptr;
    if (HRESULT result = DirectDrawCreate(guid, &first, nullptr); FAILED(result)) {
        return result;
    }
    DebugLog("DirectDrawCreated");
    void* found = nullptr;
    const HRESULT queried = first->QueryInterface(IID_IDirectDraw4, &found);
    first->Release();  // either way the first interface has done its work
    if (FAILED(queried)) {
        return queried;
    }
    directDraw = static_cast<IDirectDraw4*>(found);
    DebugLog("DDraw interface found");

    if (HRESULT result = directDraw->SetCooperativeLevel(hWnd, COOPERATIVE_FLAGS); FAILED(result)) {
        return result;
    }
    DebugLog("Cooperative level set");
    if (HRESULT result = directDraw->SetDisplayMode(modeWidth, modeHeight, modeBits, 0, 0); FAILED(result)) {
        return result;
    }
    width = modeWidth;
    height = modeHeight;
    bitsPerPixel = modeBits;
    DebugLog("Displaymode Set");
    if (HRESULT result = CreateSurfaces(); FAILED(result)) {
        return result;
    }
    found = nullptr;
    if (HRESULT result = directDraw->QueryInterface(IID_IDirect3D3, &found); FAILED(result)) {
        return result;
    }
    direct3D = static_cast<IDirect3D3*>(found);
    DebugLog("D3D interface found");
    return CreateDevice();
}

HRESULT DisplayDevice::CreateSurfaces() {
    DDSURFACEDESC2 desc{};
    desc.dwSize = DDSURFACEDESC2_SIZE_WIN32;
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps.dwCaps = PRIMARY_CAPS;
    if (HRESULT result = directDraw->CreateSurface(&desc, &primarySurface, nullptr); FAILED(result)) {
        return result;
    }
    DebugLog("Primary Surface Created");
    DDSCAPS2 caps{DDSCAPS_BACKBUFFER, 0, 0, 0};
    if (HRESULT result = primarySurface->GetAttachedSurface(&caps, &backBuffer); FAILED(result)) {
        return result;
    }
    DebugLog("Backbuffer attached");
    return DD_OK;
}

HRESULT DisplayDevice::CreateDevice() {
    const ZBufferChoice choice = ChooseZBufferFormat(direct3D);
    if (FAILED(choice.result)) {
        return choice.result;
    }
    // Nothing after this point works without a z-buffer and device: a failure.
    if (choice.format.dwSize != sizeof(DDPIXELFORMAT)) {
        return D3DERR_ZBUFFER_NOTPRESENT;
    }
    DDSURFACEDESC2 desc{};
    desc.dwSize = DDSURFACEDESC2_SIZE_WIN32;
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
    desc.dwHeight = height;
    desc.dwWidth = width;
    desc.ddpfPixelFormat = choice.format;
    desc.ddsCaps.dwCaps = DDSCAPS_ZBUFFER | (choice.hardware ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY);
    if (HRESULT result = directDraw->CreateSurface(&desc, &zBuffer, nullptr); FAILED(result)) {
        return result;
    }
    DebugLog("Z-Buffer created");
    if (HRESULT result = backBuffer->AddAttachedSurface(zBuffer); FAILED(result)) {
        return result;
    }
    DebugLog("Z-Buffer attached");
    const IID& deviceType = choice.hardware ? IID_IDirect3DHALDevice : IID_IDirect3DRGBDevice;
    if (HRESULT result = direct3D->CreateDevice(deviceType, backBuffer, &device, nullptr); FAILED(result)) {
        return result;
    }
    DebugLog(choice.hardware ? "HAL" : "RGB");
    backBuffer->AddRef();
    backBufferHeld = true;
    if (HRESULT result = device->SetRenderTarget(backBuffer, 0); FAILED(result)) {
        return result;
    }
    DebugLog("Render target set");
    viewportHolder.direct3DRef = &direct3D;
    viewportHolder.deviceRef = &device;
    const HRESULT viewportResult = viewportHolder.SetUpViewport(0, 0, width, height);
    AnalysePixelFormat();
    LogPixelFormat(pixelFormat);
    return viewportResult;
}

// Main thread, at exit (also as the destructor); releases what exists, newest first.
void DisplayDevice::ReleaseDisplay() {
    DebugLog("de-referencing DirectX");
    viewportHolder.ReleaseViewport();
    ReleaseAndClear(device);
    ReleaseAndClear(direct3D);
    ReleaseAndClear(zBuffer);
    if (backBufferHeld && backBuffer != nullptr) {
        backBuffer->Release();
    }
    backBufferHeld = false;
    ReleaseAndClear(backBuffer);
    ReleaseAndClear(primarySurface);
    ReleaseAndClear(directDraw);
    width = 0;
    height = 0;
    bitsPerPixel = 0;
}
