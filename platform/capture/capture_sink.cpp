#include "platform/capture/capture_sink.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/capture/capture_files.h"
#include "platform/capture/queued_sink.h"

namespace fs = std::filesystem;

namespace {

// The name as the user gave it, for messages.
std::string givenName;

// ---- A folder of PNG frames and audio.wav ---------------------------------
class FolderSink final : public CaptureSink {
  public:
    FolderSink(fs::path output, int width, int height)
        : output_(std::move(output)),
          partial_(TemporaryBeside(output_, "partial", "")),
          width_(width),
          height_(height) {}
    ~FolderSink() override {
        std::error_code ignored;
        if (!finished_) {
            fs::remove_all(partial_, ignored);
        }
    }
    FolderSink(const FolderSink&) = delete;
    FolderSink& operator=(const FolderSink&) = delete;

    bool Open() {
        std::error_code error;
        if (fs::exists(output_, error) &&
            !(fs::is_directory(output_, error) && fs::is_empty(output_, error))) {
            SayCannotWrite("it exists and is not an empty folder");
            return false;
        }
        if (!fs::create_directory(partial_, error)) {
            SayCannotWrite(error ? error.message() : "the folder could not be made");
            return false;
        }
        if (!sound_.Open((partial_ / "audio.wav").string(), CAPTURE_SAMPLE_RATE)) {
            SayCannotWrite(std::strerror(errno));
            return false;
        }
        return true;
    }

    bool WriteFrame(const uint32_t* pixels, bool repeated) override {
        char name[32];
        std::snprintf(name, sizeof name, "frame_%06d.png", frames_);
        const fs::path path = partial_ / name;
        // Most frames of a 50-a-second capture repeat the one before: copying
        // its file costs far less than compressing the picture again.
        std::error_code error;
        const bool written = repeated && frames_ > 0 ? fs::copy_file(previous_, path, error)
                                                     : WritePng(path.string(), pixels, width_, height_);
        previous_ = path;
        ++frames_;
        return written;
    }

    bool WriteSound(const int16_t* stereo, size_t frames) override { return sound_.Append(stereo, frames); }

    bool Finish() override {
        std::error_code error;
        if (!sound_.Close()) {
            SayCannotWrite("the sound track could not be written");
            return false;
        }
        fs::remove(output_, error);  // an empty folder of that name gives way
        fs::rename(partial_, output_, error);
        if (error) {
            SayCannotWrite(error.message());
            return false;
        }
        finished_ = true;
        return true;
    }

  private:
    fs::path output_;
    fs::path partial_;
    int width_;
    int height_;
    int frames_ = 0;
    fs::path previous_;
    WavWriter sound_;
    bool finished_ = false;
};

std::unique_ptr<CaptureSink> Queued(std::unique_ptr<CaptureSink> sink, int width, int height) {
    if (sink == nullptr) {
        return nullptr;
    }
    return std::make_unique<QueuedSink>(std::move(sink),
                                        static_cast<size_t>(width) * static_cast<size_t>(height));
}

bool IsFolder(const std::string& output) {
    const fs::path path(output);
    return output.back() == '/' || path.extension().empty() || fs::is_directory(path);
}

}  // namespace

fs::path TemporaryBeside(const fs::path& output, const char* what, const std::string& extension) {
    std::string name = ".";
    name.append(output.filename().string()).append(".").append(what).append("-");
    name.append(std::to_string(getpid())).append(extension);
    return output.parent_path() / name;
}

void SayCannotWrite(const std::string& why) {
    std::fprintf(stderr, "trelk: cannot write the capture '%s': %s\n", givenName.c_str(), why.c_str());
}

std::unique_ptr<CaptureSink> OpenCaptureSink(const std::string& output, int width, int height, int fps) {
    givenName = output;
    if (IsFolder(output)) {
        std::string folder = output;
        while (folder.size() > 1 && folder.back() == '/') {
            folder.pop_back();
        }
        auto sink = std::make_unique<FolderSink>(fs::absolute(folder), width, height);
        return sink->Open() ? Queued(std::move(sink), width, height) : nullptr;
    }
    return Queued(OpenVideoFileSink(fs::absolute(output), width, height, fps), width, height);
}
