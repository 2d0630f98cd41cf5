// A capture sink that does its work on a thread of its own, so that coding
// and compressing frames goes on beside the intro instead of between its
// steps: the capture thread hands a frame over and the virtual clock moves
// on. At most a few frames wait at a time; the capture thread waits for room
// when the coder falls behind. Platform-internal; the capture thread only.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/capture/capture_sink.h"

class QueuedSink final : public CaptureSink {
  public:
    // `frameWords`: the 32-bit words of one frame.
    QueuedSink(std::unique_ptr<CaptureSink> sink, size_t frameWords);
    ~QueuedSink() override;
    QueuedSink(const QueuedSink&) = delete;
    QueuedSink& operator=(const QueuedSink&) = delete;

    // False once the sink has failed (a frame or two after the failure).
    bool WriteFrame(const uint32_t* pixels, bool repeated) override;
    bool WriteSound(const int16_t* stereo, size_t frames) override;
    // Waits for everything handed over, then finishes the sink.
    bool Finish() override;

  private:
    struct Job {
        bool sound = false;
        bool repeated = false;
        std::vector<uint32_t> pixels;  // a new frame's
        std::vector<int16_t> stereo;   // sound's
    };

    bool Push(Job job);
    void Run();
    void Stop();

    std::unique_ptr<CaptureSink> sink_;
    size_t frameWords_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> jobs_;
    std::vector<std::vector<uint32_t>> spare_;  // frame buffers to use again
    int framesWaiting_ = 0;
    bool failed_ = false;
    bool ending_ = false;
    bool anyFrame_ = false;  // the capture thread's
    std::thread worker_;
};
