// The ring of 16-bit stereo frames between the program's feeder thread (the
// only writer) and the page's audio worklet (the only reader, in
// web/page/audio_worklet.js). Both counters only grow (modulo 2^32); a frame
// index is its counter modulo the ring's size. Platform-internal.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

class AudioRing {
  public:
    explicit AudioRing(uint32_t frames) : samples_(static_cast<size_t>(frames) * 2), frames_(frames) {}

    // Frames written and not yet read.
    uint32_t Filled() const { return written_.load(std::memory_order_acquire) - read_.load(std::memory_order_acquire); }

    // Writes `count` frames; the caller leaves room (Filled() + count <= size).
    void Write(const int16_t* stereo, uint32_t count) {
        uint32_t at = written_.load(std::memory_order_relaxed);
        for (uint32_t i = 0; i < count; ++i, ++at) {
            const size_t slot = static_cast<size_t>(at % frames_) * 2;
            samples_[slot] = stereo[2 * i];
            samples_[slot + 1] = stereo[2 * i + 1];
        }
        written_.store(at, std::memory_order_release);
    }

    // The reader's side, as the worklet does it: up to `count` frames into
    // `stereo`; returns how many there were.
    uint32_t Read(int16_t* stereo, uint32_t count) {
        uint32_t at = read_.load(std::memory_order_relaxed);
        const uint32_t available = written_.load(std::memory_order_acquire) - at;
        const uint32_t taken = available < count ? available : count;
        for (uint32_t i = 0; i < taken; ++i, ++at) {
            const size_t slot = static_cast<size_t>(at % frames_) * 2;
            stereo[2 * i] = samples_[slot];
            stereo[2 * i + 1] = samples_[slot + 1];
        }
        read_.store(at, std::memory_order_release);
        return taken;
    }

    const int16_t* Samples() const { return samples_.data(); }
    const std::atomic<uint32_t>* WrittenCounter() const { return &written_; }
    const std::atomic<uint32_t>* ReadCounter() const { return &read_; }

  private:
    std::vector<int16_t> samples_;
    uint32_t frames_;
    std::atomic<uint32_t> written_{0};
    std::atomic<uint32_t> read_{0};
};
