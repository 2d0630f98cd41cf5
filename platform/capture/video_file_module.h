// The encoders of .mkv and .mp4 captures live in a module of their own,
// loaded only when such a capture starts: FFmpeg's libraries pull in some 150
// shared libraries, which would otherwise cost every run of the intro tens of
// megabytes and a good part of its start-up.
//
// Program and module may come from different builds (a stale module beside a
// newer program, or an installed one found from a copied program), so they
// meet through plain C types only, and each side checks the other's version
// and structure sizes before anything else is called. Any change to these
// structures or to what a call means raises the version. Platform-internal.
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum { TRELK_VIDEO_MODULE_VERSION = 2 };

// What the module needs to encode a capture into a file.
struct TrelkVideoRequest {
    uint32_t structSize;  // sizeof(struct TrelkVideoRequest)
    uint32_t version;     // TRELK_VIDEO_MODULE_VERSION
    const char* path;     // an empty file of this run's to write into (kept open until then)
    int32_t mp4;          // 1: H.264 in yuv420p and AAC in .mp4; 0: FFV1 and FLAC in .mkv
    int32_t width;
    int32_t height;
    int32_t fps;
    int32_t sampleRate;      // 16-bit stereo sound
    const char* folderForm;  // the capture that needs no encoder, for messages
    // Says in one line why the file cannot be written (the program adds the
    // file's name); called at most once per failure, from the caller's thread.
    void (*sayCannotWrite)(void* context, const char* why);
    void* sayContext;
};

struct TrelkVideoEncoder;  // the module's own

// The module's calls. Results: 1 done, 0 failed (said through sayCannotWrite).
struct TrelkVideoModule {
    uint32_t structSize;  // sizeof(struct TrelkVideoModule)
    uint32_t version;     // TRELK_VIDEO_MODULE_VERSION
    // An encoder writing request->path, or null after saying why. The request's
    // strings are not kept.
    struct TrelkVideoEncoder* (*open)(const struct TrelkVideoRequest* request);
    // width x height words 0xFFRRGGBB, rows back to back; `repeated`: the same as
    // the frame before.
    int32_t (*writeFrame)(struct TrelkVideoEncoder* encoder, const uint32_t* pixels, int32_t repeated);
    // Interleaved stereo frames.
    int32_t (*writeSound)(struct TrelkVideoEncoder* encoder, const int16_t* stereo, uint64_t frames);
    // Completes and closes the file; it is left where it was written.
    int32_t (*finish)(struct TrelkVideoEncoder* encoder);
    // Frees the encoder, finished or not (the file itself is the caller's).
    void (*close)(struct TrelkVideoEncoder* encoder);
};

// The module's one entry, found by TRELK_VIDEO_MODULE_ENTRY: fills *module
// and returns 1 when `version` and `moduleSize` are its own, else returns 0
// and leaves *module untouched.
typedef int32_t (*TrelkVideoModuleEntryFunction)(uint32_t version, uint32_t moduleSize,
                                                 struct TrelkVideoModule* module);
#define TRELK_VIDEO_MODULE_ENTRY "TrelkVideoModuleEntry"

#ifdef __cplusplus
}
#endif
