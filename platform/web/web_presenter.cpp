#include "platform/web/web_presenter.h"

#include <emscripten/emscripten.h>

#include <string>

#include "platform/web/frame_rgba.h"
#include "platform/win32/window_registry.h"

namespace {

// A window's title (the page's title shows it).
std::string ForegroundTitle() {
    std::lock_guard lock(WindowRegistryMutex());
    WindowRecord* record = FindWindowRecord(GetForegroundWindow());
    return record != nullptr ? record->title : std::string();
}

}  // namespace

WebPresenter::WebPresenter(PictureScaling scaling) : scaling_(scaling) {}

WebPresenter::~WebPresenter() {
    MAIN_THREAD_EM_ASM({
        if (Module.trelkPage) Module.trelkPage.detachFrames();
    });
}

void WebPresenter::Attach(int width, int height) {
    width_ = width;
    height_ = height;
    for (auto& buffer : buffers_) {
        buffer.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0xFF000000u);
    }
    const std::string title = ForegroundTitle();
    // Synchronous, so that the page never reads a buffer that is being replaced.
    MAIN_THREAD_EM_ASM(
        {
            if (Module.trelkPage)
                Module.trelkPage.attachFrames({
                    heapU8 : HEAPU8,
                    heap32 : HEAP32,
                    buffers : [ $0, $1 ],
                    counter : $2,
                    width : $3,
                    height : $4,
                    integerScale : $5 != 0,
                    filter : [ "auto", "nearest", "linear" ][$6], title : UTF8ToString($7)
                });
        },
        buffers_[0].data(), buffers_[1].data(), &frames_, width, height,
        scaling_.scale == ScaleChoice::Integer ? 1 : 0, static_cast<int>(scaling_.filter), title.c_str());
}

bool WebPresenter::Present(const FrameView& frame) {
    if (frame.pixels == nullptr || frame.width <= 0 || frame.height <= 0) {
        return true;
    }
    if (frame.width != width_ || frame.height != height_) {
        Attach(frame.width, frame.height);
    }
    const int32_t next = frames_.load(std::memory_order_relaxed);
    ConvertFrameToRgba(frame, buffers_[next % 2].data());
    frames_.store(next + 1, std::memory_order_release);
    return true;
}
