#include "platform/ddraw/presenter.h"

#include <SDL.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/win32/sdl_window.h"

void CopyFrameForPresentation(const uint16_t* pixels, int width, int height, void* out, int outPitch) {
    const size_t rowBytes = static_cast<size_t>(width) * sizeof(uint16_t);
    auto* destination = static_cast<uint8_t*>(out);
    if (static_cast<size_t>(outPitch) == rowBytes) {
        std::memcpy(destination, pixels, rowBytes * static_cast<size_t>(height));
        return;
    }
    for (int row = 0; row < height; ++row) {
        std::memcpy(destination + static_cast<ptrdiff_t>(row) * outPitch,
                    pixels + static_cast<ptrdiff_t>(row) * width, rowBytes);
    }
}

PresentTarget::~PresentTarget() {
    // Only while the window still exists: SDL frees a window's renderer with it.
    if (renderer_ != nullptr && window != nullptr && SdlWindowOf(window) == sdlWindow_) {
        if (texture_ != nullptr) {
            SDL_DestroyTexture(texture_);
        }
        SDL_DestroyRenderer(renderer_);
    }
}

bool PresentTarget::Prepare(SDL_Window* sdlWindow, int width, int height, bool rgb555) {
    if (sdlWindow != sdlWindow_) {
        // A new window: whatever belonged to the old one went with it.
        sdlWindow_ = sdlWindow;
        renderer_ = SDL_GetRenderer(sdlWindow);
        if (renderer_ == nullptr) {
            // SDL's own software renderer: the picture is small, it starts at once
            // (no OpenGL set-up, which on a machine without a GPU compiles shaders
            // for seconds) and it never replaces the window.
            renderer_ = SDL_CreateRenderer(sdlWindow, -1, SDL_RENDERER_SOFTWARE);
        }
        texture_ = nullptr;
        if (renderer_ == nullptr) {
            std::fprintf(stderr, "DirectDraw: no renderer for the window: %s\n", SDL_GetError());
            sdlWindow_ = nullptr;
            return false;
        }
    }
    if (texture_ == nullptr || textureWidth_ != width || textureHeight_ != height || texture555_ != rgb555) {
        if (texture_ != nullptr) {
            SDL_DestroyTexture(texture_);
        }
        texture_ = SDL_CreateTexture(renderer_, rgb555 ? SDL_PIXELFORMAT_RGB555 : SDL_PIXELFORMAT_RGB565,
                                     SDL_TEXTUREACCESS_STREAMING, width, height);
        if (texture_ == nullptr) {
            return false;
        }
        textureWidth_ = width;
        textureHeight_ = height;
        texture555_ = rgb555;
        SDL_RenderSetLogicalSize(renderer_, width, height);  // keeps the aspect with black bars
    }
    // Whole-number scales stay sharp; others are smoothed.
    int outputWidth = 0;
    int outputHeight = 0;
    SDL_GetRendererOutputSize(renderer_, &outputWidth, &outputHeight);
    const double scale = std::fmin(static_cast<double>(outputWidth) / width,
                                   static_cast<double>(outputHeight) / height);
    const bool whole = std::fabs(scale - std::round(scale)) < 1e-9;
    SDL_SetTextureScaleMode(texture_, whole ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
    return true;
}

void PresentTarget::Present(const uint16_t* pixels, int width, int height, bool rgb555) {
    SDL_Window* sdlWindow = window != nullptr ? SdlWindowOf(window) : nullptr;
    if (sdlWindow == nullptr || !Prepare(sdlWindow, width, height, rgb555)) {
        return;
    }
    void* out = nullptr;
    int outPitch = 0;
    if (SDL_LockTexture(texture_, nullptr, &out, &outPitch) != 0) {
        return;
    }
    CopyFrameForPresentation(pixels, width, height, out, outPitch);
    SDL_UnlockTexture(texture_);
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
}
