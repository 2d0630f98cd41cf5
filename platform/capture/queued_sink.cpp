#include "platform/capture/queued_sink.h"

#include <algorithm>
#include <utility>

namespace {

constexpr int MOST_FRAMES_WAITING = 3;

}  // namespace

QueuedSink::QueuedSink(std::unique_ptr<CaptureSink> sink, size_t frameWords)
    : sink_(std::move(sink)), frameWords_(frameWords), worker_([this] { Run(); }) {}

QueuedSink::~QueuedSink() {
    {
        std::lock_guard lock(mutex_);
        jobs_.clear();  // abandoned: what waits is not written
    }
    Stop();
}

bool QueuedSink::WriteFrame(const uint32_t* pixels, bool repeated) {
    repeated = repeated && anyFrame_;  // the first frame is always handed over whole
    anyFrame_ = true;
    Job job;
    job.repeated = repeated;
    if (!repeated) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return framesWaiting_ < MOST_FRAMES_WAITING || failed_; });
        if (!spare_.empty()) {
            job.pixels = std::move(spare_.back());
            spare_.pop_back();
        }
    }
    if (!repeated) {
        job.pixels.assign(pixels, pixels + frameWords_);
    }
    return Push(std::move(job));
}

bool QueuedSink::WriteSound(const int16_t* stereo, size_t frames) {
    Job job;
    job.sound = true;
    job.stereo.assign(stereo, stereo + frames * 2);
    return Push(std::move(job));
}

bool QueuedSink::Push(Job job) {
    std::lock_guard lock(mutex_);
    if (failed_) {
        return false;
    }
    framesWaiting_ += job.pixels.empty() ? 0 : 1;
    jobs_.push_back(std::move(job));
    changed_.notify_all();
    return true;
}

void QueuedSink::Run() {
    std::vector<uint32_t> shown;  // the last new frame: what a repeat shows
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !jobs_.empty() || ending_; });
            if (jobs_.empty()) {
                return;
            }
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        bool ok = true;
        if (job.sound) {
            ok = sink_->WriteSound(job.stereo.data(), job.stereo.size() / 2);
        } else {
            if (!job.repeated) {
                std::swap(shown, job.pixels);
            }
            ok = sink_->WriteFrame(shown.data(), job.repeated);
        }
        std::lock_guard lock(mutex_);
        if (!job.sound && !job.repeated) {
            --framesWaiting_;
            if (!job.pixels.empty()) {
                spare_.push_back(std::move(job.pixels));
            }
        }
        failed_ = failed_ || !ok;
        changed_.notify_all();
    }
}

void QueuedSink::Stop() {
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
        changed_.notify_all();
    }
    if (worker_.joinable()) {
        worker_.join();
    }
}

bool QueuedSink::Finish() {
    Stop();
    return !failed_ && sink_->Finish();
}
