// Where a capture's frames and sound go: a folder of numbered PNG frames and
// audio.wav, or a video file encoded with FFmpeg's libraries (.mkv lossless:
// FFV1 and FLAC; .mp4: H.264 in yuv420p and AAC). Everything is written under
// a temporary name beside the output and renamed at the end, so that a
// capture that fails leaves nothing half-written under the given name.
// Platform-internal; the capture thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/capture/capture_output.h"
#include "platform/capture/video_file_module.h"
#include "platform/core/stand_in_settings.h"

constexpr int CAPTURE_SAMPLE_RATE = 44100;  // 16-bit stereo

class CaptureSink {
  public:
    virtual ~CaptureSink() = default;  // abandons whatever was not finished
    // Frames are width x height 32-bit words 0xFFRRGGBB, rows back to back;
    // `repeated` when they are the same as the frame before (no new flip).
    virtual bool WriteFrame(const uint32_t* pixels, bool repeated) = 0;
    // Interleaved stereo frames, appended to the sound track.
    virtual bool WriteSound(const int16_t* stereo, size_t frames) = 0;
    // Completes the output under its own name; false (said on standard error) when it could not.
    virtual bool Finish() = 0;
};

// A folder capture: a name ending in '/' or without an extension.
bool IsFolderCapture(const std::string& output);

// The sink for the settings' output, ready to write, or null after one line
// on `console` saying why (a folder or file that cannot be made).
std::unique_ptr<CaptureSink> OpenCaptureSink(const CaptureSettings& settings, CaptureConsole& console);

// For the sinks: .mkv or .mp4 (by the name's extension) encoded by the video
// module, written into `output`'s temporary, or null after saying why.
std::unique_ptr<CaptureSink> OpenVideoFileSink(const CaptureSettings& settings,
                                               std::unique_ptr<CaptureOutput> output,
                                               CaptureConsole& console);

// True when a module's entry gives calls of this build's version and shape
// (filled into *module).
bool AcceptVideoModule(TrelkVideoModuleEntryFunction entry, TrelkVideoModule* module);
