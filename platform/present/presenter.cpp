#include "platform/present/presenter.h"

#include <SDL.h>

#include <atomic>
#include <cstring>

#include "platform/core/frame_pacing.h"
#include "platform/core/stand_in_settings.h"
#include "platform/present/sdl_window.h"

namespace {

std::atomic<Presenter*> offScreenPresenter{nullptr};

}  // namespace

void SetOffScreenPresenter(Presenter* presenter) { offScreenPresenter.store(presenter); }

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

void PresentTarget::Present(const uint16_t* pixels, int width, int height, bool rgb555) {
    NoteFramePresented();
    if (Presenter* offScreen = offScreenPresenter.load()) {
        offScreen->Present(FrameView{pixels, width, height, rgb555});
        return;
    }
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
    if (!presenter_->Present(FrameView{pixels, width, height, rgb555})) {
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
