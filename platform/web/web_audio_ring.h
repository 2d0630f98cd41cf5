// The ring of 16-bit stereo frames between the program's feeder thread (the
// only writer) and the page's audio worklet (the only reader, in
// web/page/audio_worklet.js, on the browser's audio thread). Both counters
// only grow (modulo 2^32); a frame's slot is its counter modulo the size.
//
// The worklet reads and writes this memory on its own schedule and learns of
// a closed output only later, so the ring is never freed: there is one, in
// static storage, and each output that opens it takes a new generation; a
// worklet of an older generation stops touching it. Platform-internal.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

class AudioRing {
  public:
    static constexpr uint32_t FRAMES = 8192;

    // The one ring, for the output that is open.
    static AudioRing& Shared();

    // A new output: an empty ring under a new generation, which it returns.
    uint32_t Open() {
        const uint32_t generation = generation_.fetch_add(1) + 1;  // older worklets stop first
        written_.store(0);
        read_.store(0);
        return generation;
    }
    // The output is closed: its worklet stops at its next block.
    void Close() { generation_.fetch_add(1); }

    // Frames written and not yet read.
    uint32_t Filled() const {
        return written_.load(std::memory_order_acquire) - read_.load(std::memory_order_acquire);
    }

    // Writes `count` frames; the caller leaves room (Filled() + count <= FRAMES).
    void Write(const int16_t* stereo, uint32_t count) {
        uint32_t at = written_.load(std::memory_order_relaxed);
        for (uint32_t i = 0; i < count; ++i, ++at) {
            const size_t slot = static_cast<size_t>(at % FRAMES) * 2;
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
            const size_t slot = static_cast<size_t>(at % FRAMES) * 2;
            stereo[2 * i] = samples_[slot];
            stereo[2 * i + 1] = samples_[slot + 1];
        }
        read_.store(at, std::memory_order_release);
        return taken;
    }

    const int16_t* Samples() const { return samples_; }
    const std::atomic<uint32_t>* WrittenCounter() const { return &written_; }
    const std::atomic<uint32_t>* ReadCounter() const { return &read_; }
    const std::atomic<uint32_t>* GenerationCounter() const { return &generation_; }

  private:
    int16_t samples_[FRAMES * 2] = {};
    std::atomic<uint32_t> written_{0};
    std::atomic<uint32_t> read_{0};
    std::atomic<uint32_t> generation_{0};
};
