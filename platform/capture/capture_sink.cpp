#include "platform/capture/capture_sink.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/capture/capture_files.h"
#include "platform/capture/queued_sink.h"

namespace fs = std::filesystem;

namespace {

// ---- A folder of PNG frames and audio.wav ---------------------------------
class FolderSink final : public CaptureSink {
  public:
    FolderSink(const CaptureSettings& settings, CaptureConsole& console)
        : output_(settings.output, true, settings.overwrite, console),
          console_(console),
          width_(settings.width),
          height_(settings.height) {}

    bool Open() {
        if (!output_.Prepare("")) {
            return false;
        }
        return sound_.Open(output_.Temporary() + "/audio.wav", CAPTURE_SAMPLE_RATE) || SoundFailed();
    }

    bool WriteFrame(const uint32_t* pixels, bool repeated) override {
        char name[32];
        std::snprintf(name, sizeof name, "frame_%06d.png", frames_);
        const std::string path = output_.Temporary() + "/" + name;
        // Most frames of a 50-a-second capture repeat the one before: copying
        // its file costs far less than compressing the picture again.
        int error = 0;
        if (repeated && frames_ > 0) {
            std::error_code copied;
            fs::copy_file(previous_, path, copied);
            error = copied.value();
        } else {
            error = WritePng(path, pixels, width_, height_);
        }
        previous_ = path;
        ++frames_;
        if (error != 0) {
            console_.CannotWrite(std::string(name) + ": " + std::strerror(error));
            return false;
        }
        return true;
    }

    bool WriteSound(const int16_t* stereo, size_t frames) override {
        return sound_.Append(stereo, frames) || SoundFailed();
    }

    bool Finish() override { return (sound_.Close() || SoundFailed()) && output_.Place(); }

  private:
    bool SoundFailed() {
        console_.CannotWrite(std::string("audio.wav: ") + std::strerror(sound_.Error()));
        return false;
    }

    CaptureOutput output_;
    CaptureConsole& console_;
    int width_;
    int height_;
    int frames_ = 0;
    std::string previous_;
    WavWriter sound_;  // closed before output_ goes
};

std::unique_ptr<CaptureSink> Queued(std::unique_ptr<CaptureSink> sink, const CaptureSettings& settings) {
    if (sink == nullptr) {
        return nullptr;
    }
    return std::make_unique<QueuedSink>(
        std::move(sink), static_cast<size_t>(settings.width) * static_cast<size_t>(settings.height));
}

}  // namespace

bool IsFolderCapture(const std::string& output) {
    const std::string leaf = output.substr(output.find_last_of('/') + 1);
    const size_t dot = leaf.find_last_of('.');
    return leaf.empty() || dot == std::string::npos || dot == 0;
}

std::unique_ptr<CaptureSink> OpenCaptureSink(const CaptureSettings& settings, CaptureConsole& console) {
    if (IsFolderCapture(settings.output)) {
        auto sink = std::make_unique<FolderSink>(settings, console);
        return sink->Open() ? Queued(std::move(sink), settings) : nullptr;
    }
    auto output = std::make_unique<CaptureOutput>(settings.output, false, settings.overwrite, console);
    const std::string extension = settings.output.substr(settings.output.find_last_of('.'));
    if (!output->Prepare(extension)) {
        return nullptr;
    }
    return Queued(OpenVideoFileSink(settings, std::move(output), console), settings);
}
