// The display device: every DirectDraw and Direct3D object of the program,
// built in one fixed chain by CreateDisplay and released in reverse order.
// Main thread only.
#pragma once

#include <cstdint>

#include "display/pixel_format.h"
#include "platform/d3d/d3d.h"

constexpr int MAX_DRIVERS = 10;

struct DriverRecord {
    GUID guid;
    char description[50];
    uint8_t present;  // 0 = filled by the enumeration, 0xFF = empty
    uint8_t spare[2];
};

class ViewportHolder {
  public:
    ViewportHolder() = default;
    ~ViewportHolder();
    ViewportHolder(const ViewportHolder&) = delete;
    ViewportHolder& operator=(const ViewportHolder&) = delete;

    HRESULT SetUpViewport(int32_t x, int32_t y, int32_t width, int32_t height);
    HRESULT ReleaseViewport();

    IDirect3D3** direct3DRef = nullptr;
    IDirect3DDevice3** deviceRef = nullptr;
    IDirect3DViewport3* viewport = nullptr;
};

// Fills table with the drivers that offer IDirectDraw4; always returns 0.
int EnumerateDrivers(DriverRecord* table, uint8_t* count, uint8_t* chosen);

class DisplayDevice {
  public:
    DisplayDevice();
    ~DisplayDevice();
    DisplayDevice(const DisplayDevice&) = delete;
    DisplayDevice& operator=(const DisplayDevice&) = delete;

    // Negative: the failing step's code; objects made so far stay for ReleaseDisplay.
    HRESULT CreateDisplay(uint16_t width, uint16_t height, uint8_t bitsPerPixel);
    void ReleaseDisplay();
    void AnalysePixelFormat();

    // The parts of CreateDisplay: the flipping chain, then z-buffer, device and viewport.
    HRESULT CreateSurfaces();
    HRESULT CreateDevice();

    DriverRecord drivers[MAX_DRIVERS] = {};
    uint8_t driverCount = 0;
    uint8_t chosenDriver = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t bitsPerPixel = 0;
    HWND hWnd = nullptr;
    ViewportHolder viewportHolder;
    IDirectDraw4* directDraw = nullptr;
    IDirectDrawSurface4* primarySurface = nullptr;
    IDirectDrawSurface4* backBuffer = nullptr;
    IDirectDrawSurface4* zBuffer = nullptr;
    IDirect3D3* direct3D = nullptr;
    IDirect3DDevice3* device = nullptr;
    PixelFormatInfo pixelFormat;
    // The reference CreateDisplay takes on backBuffer for the device's sake;
    // given back by ReleaseDisplay so that the flipping chain is freed.
    bool backBufferHeld = false;
};
