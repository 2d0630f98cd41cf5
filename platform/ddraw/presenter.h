// Presenting the front buffer in the SDL window of the cooperative level:
// an SDL renderer with a streaming 16-bit texture, scaled to fit with the 4:3
// aspect kept (black bars), nearest-neighbour when the scale is whole.
// Platform-internal. Main thread only.
#pragma once

#include <cstdint>

#include "platform/win32/windows.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

// Where a DirectDraw object's flipping chain is shown; shared by the
// DirectDraw object and its primary surface, so either may go first.
struct PresentTarget {
    PresentTarget() = default;
    ~PresentTarget();
    PresentTarget(const PresentTarget&) = delete;
    PresentTarget& operator=(const PresentTarget&) = delete;

    // Shows width x height pixels (rows back to back) in the window; without
    // an SDL window (tests, headless windows) it does nothing.
    void Present(const uint16_t* pixels, int width, int height, bool rgb555);

    HWND window = nullptr;
    DWORD modeWidth = 640;
    DWORD modeHeight = 480;
    bool exclusive = false;

private:
    bool Prepare(SDL_Window* sdlWindow, int width, int height, bool rgb555);

    SDL_Window* sdlWindow_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    int textureWidth_ = 0;
    int textureHeight_ = 0;
    bool texture555_ = false;
};

// The conversion step of presenting: copies a 16-bit frame into texture
// memory whose rows are outPitch bytes apart. The texture has the frame's own
// 16-bit layout, so each row is a straight copy.
void CopyFrameForPresentation(const uint16_t* pixels, int width, int height, void* out, int outPitch);
