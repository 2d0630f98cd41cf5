// The frames of a web page: each flipped frame becomes RGBA pixels in one of
// two buffers in the program's memory, which the page's drawing loop copies
// to its canvas when the frame counter moves. Platform-internal.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "platform/present/picture_layout.h"
#include "platform/present/presenter.h"

class WebPresenter final : public Presenter {
  public:
    explicit WebPresenter(PictureScaling scaling);  // the page scales the frame as asked
    ~WebPresenter() override;
    WebPresenter(const WebPresenter&) = delete;
    WebPresenter& operator=(const WebPresenter&) = delete;

    bool Present(const FrameView& frame) override;

  private:
    void Attach(int width, int height);

    std::vector<uint32_t> buffers_[2];
    // Frames presented so far; frame n lies in buffers_[n % 2]. The page reads
    // it with Atomics.load.
    std::atomic<int32_t> frames_{0};
    PictureScaling scaling_;
    int width_ = 0;
    int height_ = 0;
};
