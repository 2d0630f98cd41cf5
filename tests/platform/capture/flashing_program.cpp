// A program written against the same interfaces as the intro, for the
// capture's tests: every 200 ms of its clock it flips a white frame and
// starts a click at that moment, and 100 ms later flips a black one. It runs
// until its window is closed.
#include "tests/platform/capture/flashing_program.h"

#include <cstring>

#include "platform/ddraw/ddraw.h"
#include "platform/dsound/dsound.h"
#include "platform/mmsystem/mmsystem.h"

namespace {

constexpr DWORD FLASH_MS = 200;
bool running = true;

LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        running = false;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void Fill(IDirectDrawSurface4* surface, uint16_t colour) {
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof desc;
    if (SUCCEEDED(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr))) {
        for (DWORD y = 0; y < desc.dwHeight; ++y) {
            auto* row = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(desc.lpSurface) + y * desc.lPitch);
            for (DWORD x = 0; x < desc.dwWidth; ++x) {
                row[x] = colour;
            }
        }
        surface->Unlock(nullptr);
    }
}

// A 20 ms click at full level, mono 44100 Hz.
IDirectSoundBuffer* MakeClick(IDirectSound* sound) {
    WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, 44100, 88200, 2, 16, 0};
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwBufferBytes = 882 * 2;
    desc.lpwfxFormat = &format;
    IDirectSoundBuffer* click = nullptr;
    if (FAILED(sound->CreateSoundBuffer(&desc, &click, nullptr))) {
        return nullptr;
    }
    void* part = nullptr;
    DWORD bytes = 0;
    if (SUCCEEDED(click->Lock(0, desc.dwBufferBytes, &part, &bytes, nullptr, nullptr, 0))) {
        auto* samples = static_cast<int16_t*>(part);
        for (DWORD i = 0; i < bytes / 2; ++i) {
            samples[i] = (i / 20) % 2 == 0 ? 30000 : -30000;
        }
        click->Unlock(part, bytes, nullptr, 0);
    }
    return click;
}

}  // namespace

int FlashingMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    running = true;
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "CaptureSync";
    RegisterClassExA(&windowClass);
    HWND window = CreateWindowExA(0, "CaptureSync", "Capture sync", WS_POPUP, 0, 0, 640, 480, nullptr,
                                  nullptr, instance, nullptr);
    ShowWindow(window, SW_SHOW);

    IDirectDraw* first = nullptr;
    void* found = nullptr;
    IDirectSound* sound = nullptr;
    if (FAILED(DirectDrawCreate(nullptr, &first, nullptr)) ||
        FAILED(first->QueryInterface(IID_IDirectDraw4, &found)) ||
        FAILED(DirectSoundCreate(nullptr, &sound, nullptr))) {
        return 2;
    }
    auto* directDraw = static_cast<IDirectDraw4*>(found);
    directDraw->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE);
    directDraw->SetDisplayMode(640, 480, 16, 0, 0);
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    IDirectDrawSurface4* primary = nullptr;
    IDirectDrawSurface4* back = nullptr;
    DDSCAPS2 caps{DDSCAPS_BACKBUFFER, 0, 0, 0};
    sound->SetCooperativeLevel(window, DSSCL_PRIORITY);
    IDirectSoundBuffer* click = MakeClick(sound);
    if (FAILED(directDraw->CreateSurface(&desc, &primary, nullptr)) ||
        FAILED(primary->GetAttachedSurface(&caps, &back)) || click == nullptr) {
        return 2;
    }

    DWORD nextFlash = FLASH_MS;
    bool white = false;
    MSG message;
    while (running) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&message);
        }
        const DWORD now = timeGetTime();
        if (!white && now >= nextFlash) {
            Fill(back, 0xFFFF);
            primary->Flip(nullptr, DDFLIP_WAIT);
            click->SetCurrentPosition(0);
            click->Play(0, 0, 0);
            white = true;
        } else if (white && now >= nextFlash + FLASH_MS / 2) {
            Fill(back, 0x0000);
            primary->Flip(nullptr, DDFLIP_WAIT);
            white = false;
            nextFlash += FLASH_MS;
        }
    }
    click->Release();
    sound->Release();
    back->Release();
    primary->Release();
    directDraw->Release();
    first->Release();
    return 0;
}
