// Fakes of the DirectDraw and Direct3D objects the display chain makes,
// installed through the creation seams. Every call is recorded; any call can
// be made to fail; every Release is logged by object name so that tests can
// check what was released and in which order, and every fake counts itself
// so that tests can check nothing is left.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/d3d/d3d.h"

namespace fake {

struct Driver {
    bool nullGuid = false;
    GUID guid{};
    std::string description;
    bool creatable = true;    // DirectDrawCreate succeeds for it
    bool hasVersion4 = true;  // QueryInterface(IID_IDirectDraw4) succeeds
};

struct World {
    std::vector<Driver> drivers;                // what the enumeration reports
    std::map<std::string, HRESULT> failures;    // call name -> result to return
    std::vector<DDPIXELFORMAT> halFormats;      // offered when the HAL enumeration succeeds
    std::vector<std::string> calls;             // every call, in order
    std::vector<std::string> releases;          // "Release <name>" for each Release call
    std::vector<std::string> createdWith;       // "null" or the GUID's Data1, per DirectDrawCreate
    D3DVIEWPORT2 viewport{};                    // the last SetViewport2 argument
    DDSURFACEDESC2 primaryDesc{};
    DDSURFACEDESC2 zBufferDesc{};
    DWORD cooperativeFlags = 0;
    HWND cooperativeWindow = nullptr;
    DWORD primaryRedMask = 0xF800;
    DWORD primaryGreenMask = 0x07E0;
    DWORD primaryBlueMask = 0x001F;
    int enumerationStoppedAt = -1;              // index whose callback answered FALSE
    int live = 0;                               // fake objects not yet destroyed
};

// The world the fakes act on; Install() resets it and points the seams at the fakes.
World& TheWorld();
void Install();
void Uninstall();

// A DirectDraw pixel format with only the given flags, as a driver may offer.
DDPIXELFORMAT DepthFormat(DWORD flags, DWORD bits);

}  // namespace fake
