#include "platform/ddraw/presenter.h"

#include <cstring>

#include "platform/capture/capture_session.h"
#include "platform/win32/frame_pacing.h"
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

void PresentTarget::Present(const uint16_t* pixels, int width, int height, bool rgb555) {
    NoteFramePresented();
    if (CaptureActive()) {
        CaptureFramePresented(pixels, width, height, rgb555);
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
        presenter_ = WindowPresentsWithGpu(sdlWindow) ? MakeGpuPresenter(window, sdlWindow)
                                                      : MakeSoftwarePresenter(window, sdlWindow);
    }
    if (!presenter_->Present(FrameView{pixels, width, height, rgb555})) {
        failed_ = true;
        EndRunCannotPresent(window);
    }
}
