// The files of a folder capture: PNG frames and a WAV sound track.
// Platform-internal.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// Writes width x height 0xFFRRGGBB words as an 8-bit RGB PNG: 0, or the
// system's error number of the failure. Fast compression: a capture writes
// thousands of them.
int WritePng(const std::string& path, const uint32_t* pixels, int width, int height);

// A 16-bit stereo WAV file written as it grows; its sizes are filled in at Close.
class WavWriter {
  public:
    WavWriter() = default;
    ~WavWriter();
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    bool Open(const std::string& path, int sampleRate);
    bool Append(const int16_t* stereo, size_t frames);
    bool Close();
    // The system's error number of the last failure.
    int Error() const { return error_; }

  private:
    bool Failed();

    std::FILE* file_ = nullptr;
    uint64_t frames_ = 0;
    int sampleRate_ = 0;
    int error_ = 0;
};
