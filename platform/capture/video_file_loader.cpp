// Finds and loads the module that encodes .mkv and .mp4 captures. It is
// installed beside the program's libraries (TRELK_VIDEO_MODULE_FROM_PROGRAM,
// relative to the program's folder, so that an unpacked or relocated install
// finds it too) and, in a build tree, lies beside the program.
#include <dlfcn.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "platform/capture/capture_sink.h"
#include "platform/capture/video_file_module.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* MODULE_NAME = "trelk-video.so";

struct LoadedModule {
    TrelkVideoModule calls{};
    bool loaded = false;
    std::string why;  // when it is not
};

LoadedModule Load() {
    LoadedModule module;
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (error) {
        module.why = "the program's folder is unknown (" + error.message() + ")";
        return module;
    }
    const fs::path folder = program.parent_path();
    for (const fs::path& candidate :
         {folder / TRELK_VIDEO_MODULE_FROM_PROGRAM / MODULE_NAME, folder / MODULE_NAME}) {
        if (!fs::exists(candidate, error)) {
            continue;
        }
        void* library = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) {
            // dlerror names the library that is missing.
            module.why =
                std::string(dlerror()) +
                " (Debian packages libavcodec59, libavformat59 and libswscale6 have FFmpeg's libraries)";
            return module;
        }
        // Another build's module: nothing of it is called but the entry that says so.
        const auto entry =
            reinterpret_cast<TrelkVideoModuleEntryFunction>(dlsym(library, TRELK_VIDEO_MODULE_ENTRY));
        module.loaded = entry != nullptr && AcceptVideoModule(entry, &module.calls);
        if (!module.loaded) {
            module.why = candidate.string() + " does not belong to this trelk (install the two together)";
        }
        return module;
    }
    module.why = std::string(MODULE_NAME) + " is not installed with the program";
    return module;
}

// Loaded once and never unloaded: the encoders it makes run its code until
// the process ends.
const LoadedModule& Module() {
    static const LoadedModule loaded = Load();
    return loaded;
}

void SayFromModule(void* context, const char* why) {
    static_cast<CaptureConsole*>(context)->CannotWrite(why);
}

// A sink whose encoder is the module's.
class ModuleSink final : public CaptureSink {
  public:
    ModuleSink(const TrelkVideoModule& calls, TrelkVideoEncoder* encoder,
               std::unique_ptr<CaptureOutput> output)
        : output_(std::move(output)), calls_(calls), encoder_(encoder) {}
    ~ModuleSink() override { calls_.close(encoder_); }  // before the temporary goes with output_
    ModuleSink(const ModuleSink&) = delete;
    ModuleSink& operator=(const ModuleSink&) = delete;

    bool WriteFrame(const uint32_t* pixels, bool repeated) override {
        return calls_.writeFrame(encoder_, pixels, repeated ? 1 : 0) != 0;
    }
    bool WriteSound(const int16_t* stereo, size_t frames) override {
        return calls_.writeSound(encoder_, stereo, frames) != 0;
    }
    bool Finish() override { return calls_.finish(encoder_) != 0 && output_->Place(); }

  private:
    std::unique_ptr<CaptureOutput> output_;
    TrelkVideoModule calls_;
    TrelkVideoEncoder* encoder_;
};

}  // namespace

bool AcceptVideoModule(TrelkVideoModuleEntryFunction entry, TrelkVideoModule* module) {
    TrelkVideoModule calls{};
    if (entry(TRELK_VIDEO_MODULE_VERSION, sizeof(TrelkVideoModule), &calls) != 1 ||
        calls.structSize != sizeof(TrelkVideoModule) || calls.version != TRELK_VIDEO_MODULE_VERSION ||
        calls.open == nullptr || calls.writeFrame == nullptr || calls.writeSound == nullptr ||
        calls.finish == nullptr || calls.close == nullptr) {
        return false;
    }
    *module = calls;
    return true;
}

std::unique_ptr<CaptureSink> OpenVideoFileSink(const CaptureSettings& settings,
                                               std::unique_ptr<CaptureOutput> output,
                                               CaptureConsole& console) {
    const std::string name = settings.output.substr(settings.output.find_last_of('/') + 1);
    const std::string folderForm =
        "a folder of PNG frames needs none (--capture " + name.substr(0, name.find_last_of('.')) + "/)";
    const LoadedModule& module = Module();
    if (!module.loaded) {
        console.CannotWrite("the video encoders could not be loaded: " + module.why + "; " + folderForm);
        return nullptr;
    }
    const TrelkVideoRequest request{.structSize = sizeof(TrelkVideoRequest),
                                    .version = TRELK_VIDEO_MODULE_VERSION,
                                    .path = output->Temporary().c_str(),
                                    .mp4 = settings.output.ends_with(".mp4") ? 1 : 0,
                                    .width = settings.width,
                                    .height = settings.height,
                                    .fps = settings.fps,
                                    .sampleRate = CAPTURE_SAMPLE_RATE,
                                    .folderForm = folderForm.c_str(),
                                    .sayCannotWrite = SayFromModule,
                                    .sayContext = &console};
    TrelkVideoEncoder* encoder = module.calls.open(&request);
    if (encoder == nullptr) {
        if (!console.SaidCannotWrite()) {
            console.CannotWrite("the video encoders could not be loaded: " + std::string(MODULE_NAME) +
                                " does not belong to this trelk");
        }
        return nullptr;
    }
    return std::make_unique<ModuleSink>(module.calls, encoder, std::move(output));
}
