// The encoders of .mkv and .mp4 captures live in a module of their own,
// loaded only when such a capture starts: FFmpeg's libraries pull in some 150
// shared libraries, which would otherwise cost every run of the intro tens of
// megabytes and a good part of its start-up. Platform-internal.
#pragma once

#include <filesystem>
#include <string>

#include "platform/capture/capture_sink.h"

// What the module needs to open a video file.
struct VideoFileRequest {
    std::filesystem::path output;   // .mkv or .mp4, by its extension
    std::filesystem::path partial;  // where the file is written until it is finished
    int width;
    int height;
    int fps;
    void (*sayCannotWrite)(const std::string& why);  // one line on standard error
    std::string folderForm;                          // the capture that needs no encoder, for messages
};

// The module's one entry, found by this name: a sink ready to write (owned by
// the caller), or null after saying why.
using OpenVideoFileSinkEntry = CaptureSink* (*)(const VideoFileRequest& request);
inline constexpr const char* VIDEO_FILE_MODULE_ENTRY = "TrelkOpenVideoFileSink";
