// Finds and loads the module that encodes .mkv and .mp4 captures. It is
// installed beside the program's libraries (TRELK_VIDEO_MODULE_FROM_PROGRAM,
// relative to the program's folder, so that an unpacked or relocated install
// finds it too) and, in a build tree, lies beside the program.
#include <dlfcn.h>

#include <string>
#include <system_error>

#include "platform/capture/capture_sink.h"
#include "platform/capture/video_file_module.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* MODULE_NAME = "trelk-video.so";

struct LoadedModule {
    OpenVideoFileSinkEntry entry = nullptr;
    std::string why;  // when there is no entry
};

LoadedModule Load() {
    LoadedModule loaded;
    std::string& why = loaded.why;
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (error) {
        why = "the program's folder is unknown (" + error.message() + ")";
        return loaded;
    }
    const fs::path folder = program.parent_path();
    for (const fs::path& candidate :
         {folder / TRELK_VIDEO_MODULE_FROM_PROGRAM / MODULE_NAME, folder / MODULE_NAME}) {
        if (!fs::exists(candidate, error)) {
            continue;
        }
        void* module = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            // dlerror names the library that is missing.
            why = std::string(dlerror()) +
                  " (Debian packages libavcodec59, libavformat59 and libswscale6 have FFmpeg's libraries)";
            return loaded;
        }
        loaded.entry = reinterpret_cast<OpenVideoFileSinkEntry>(dlsym(module, VIDEO_FILE_MODULE_ENTRY));
        if (loaded.entry != nullptr) {
            return loaded;
        }
        why = candidate.string() + " is not the video module of this trelk";
        return loaded;
    }
    why = std::string(MODULE_NAME) + " is not installed with the program";
    return loaded;
}

// Loaded once and never unloaded: the sinks it makes run its code until the
// process ends.
const LoadedModule& Module() {
    static const LoadedModule loaded = Load();
    return loaded;
}

}  // namespace

std::unique_ptr<CaptureSink> OpenVideoFileSink(const fs::path& output, int width, int height, int fps) {
    const std::string folderForm =
        "a folder of PNG frames needs none (--capture " + output.stem().string() + "/)";
    const LoadedModule& module = Module();
    if (module.entry == nullptr) {
        SayCannotWrite("the video encoders could not be loaded: " + module.why + "; " + folderForm);
        return nullptr;
    }
    const VideoFileRequest request{.output = output,
                                   .partial = TemporaryBeside(output, "partial", output.extension().string()),
                                   .width = width,
                                   .height = height,
                                   .fps = fps,
                                   .sayCannotWrite = &SayCannotWrite,
                                   .folderForm = folderForm};
    return std::unique_ptr<CaptureSink>(module.entry(request));
}
