#include "platform/web/web_presenter.h"

#include <emscripten/emscripten.h>

#include <string>

#include "platform/core/stand_in_settings.h"
#include "platform/win32/window_registry.h"

namespace {

// A window's title (the page's title shows it).
std::string ForegroundTitle() {
    std::lock_guard lock(WindowRegistryMutex());
    WindowRecord* record = FindWindowRecord(GetForegroundWindow());
    return record != nullptr ? record->title : std::string();
}

}  // namespace

void ConvertFrameToRgba(const FrameView& frame, uint32_t* out) {
    const size_t count = static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height);
    const int greenBits = frame.rgb555 ? 5 : 6;
    const int redShift = frame.rgb555 ? 10 : 11;
    for (size_t i = 0; i < count; ++i) {
        const uint32_t pixel = frame.pixels[i];
        uint32_t red = (pixel >> redShift) & 0x1F;
        uint32_t green = (pixel >> 5) & ((1u << greenBits) - 1);
        uint32_t blue = pixel & 0x1F;
        // Widened by repeating the top bits, so that full intensity is 255.
        red = (red << 3) | (red >> 2);
        green = greenBits == 6 ? (green << 2) | (green >> 4) : (green << 3) | (green >> 2);
        blue = (blue << 3) | (blue >> 2);
        out[i] = 0xFF000000u | (blue << 16) | (green << 8) | red;  // R, G, B, A in memory
    }
}

WebPresenter::WebPresenter() = default;

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
    const StandInSettings& settings = Settings();
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
                    filter : [ "auto", "nearest", "linear" ][$6],
                    title : UTF8ToString($7)
                });
        },
        buffers_[0].data(), buffers_[1].data(), &frames_, width, height, settings.scale == ScaleChoice::Integer ? 1 : 0,
        static_cast<int>(settings.filter), title.c_str());
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
