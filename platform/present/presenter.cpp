#include "platform/present/presenter.h"

#include <atomic>
#include <cstring>

#include "platform/core/frame_pacing.h"

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
    PresentInWindow(FrameView{pixels, width, height, rgb555});
}
