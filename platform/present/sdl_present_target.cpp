// Presenting in the window's SDL window: the window's own kind of presenter,
// made again for each new window.
#include <SDL.h>

#include "platform/core/stand_in_settings.h"
#include "platform/present/presenter.h"
#include "platform/present/sdl_window.h"

void PresentTarget::PresentInWindow(const FrameView& frame) {
    SDL_Window* sdlWindow = window != nullptr ? SdlWindowOf(window) : nullptr;
    if (sdlWindow == nullptr || failed_) {
        return;
    }
    if (sdlWindow != sdlWindow_) {
        // A new window: whatever belonged to the old one went with it.
        presenter_.reset();
        sdlWindow_ = sdlWindow;
        const PictureScaling scaling = WindowPictureScaling(sdlWindow);
        presenter_ = WindowPresentsWithGpu(sdlWindow) ? MakeGpuPresenter(window, sdlWindow, scaling)
                                                      : MakeSoftwarePresenter(window, sdlWindow, scaling);
    }
    const Uint64 started = SDL_GetPerformanceCounter();
    if (!presenter_->Present(frame)) {
        failed_ = true;
        EndRunCannotPresent(window);
        return;
    }
    if (!presentedOnce_) {
        // The first frame fills the whole window, most of it memory touched for
        // the first time by this process and by the display server: at large
        // sizes it takes far longer than any later frame.
        presentedOnce_ = true;
        int drawableWidth = 0;
        int drawableHeight = 0;
        SDL_GetWindowSizeInPixels(sdlWindow, &drawableWidth, &drawableHeight);
        Verbose("the first frame took %.1f ms to present (%d x %d)",
                static_cast<double>(SDL_GetPerformanceCounter() - started) * 1000.0 /
                    static_cast<double>(SDL_GetPerformanceFrequency()),
                drawableWidth, drawableHeight);
    }
}
