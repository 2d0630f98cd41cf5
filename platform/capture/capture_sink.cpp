#include "platform/capture/capture_sink.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/capture/capture_files.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

// A hidden name beside the output, unique to this process.
fs::path Temporary(const fs::path& output, const char* what, const std::string& extension) {
    std::string name = ".";
    name.append(output.filename().string()).append(".").append(what).append("-");
    name.append(std::to_string(getpid())).append(extension);
    return output.parent_path() / name;
}

// The name as the user gave it, for messages.
std::string givenName;

void Say(const std::string& why) {
    std::fprintf(stderr, "trelk: cannot write the capture '%s': %s\n", givenName.c_str(), why.c_str());
}

// ---- A folder of PNG frames and audio.wav ---------------------------------
class FolderSink final : public CaptureSink {
  public:
    FolderSink(fs::path output, int width, int height)
        : output_(std::move(output)),
          partial_(Temporary(output_, "partial", "")),
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
            Say("it exists and is not an empty folder");
            return false;
        }
        if (!fs::create_directory(partial_, error)) {
            Say(error ? error.message() : "the folder could not be made");
            return false;
        }
        if (!sound_.Open((partial_ / "audio.wav").string(), CAPTURE_SAMPLE_RATE)) {
            Say(std::strerror(errno));
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
            Say("the sound track could not be written");
            return false;
        }
        fs::remove(output_, error);  // an empty folder of that name gives way
        fs::rename(partial_, output_, error);
        if (error) {
            Say(error.message());
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

// ---- FFmpeg ------------------------------------------------------------------
// Runs a program with its standard input on a pipe (or none), in a process
// group of its own, so that Ctrl+C in the terminal reaches only the intro,
// which then finishes the file properly.
pid_t Spawn(const std::vector<std::string>& arguments, int* inputPipe) {
    int pipeEnds[2] = {-1, -1};
    if (inputPipe != nullptr && pipe2(pipeEnds, O_CLOEXEC) != 0) {
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (inputPipe != nullptr) {
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[0], STDIN_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    }
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_t child = -1;
    if (posix_spawn(&child, argv[0], &actions, &attributes, argv.data(), environ) != 0) {
        child = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (inputPipe != nullptr) {
        close(pipeEnds[0]);
        if (child < 0) {
            close(pipeEnds[1]);
        }
        *inputPipe = child < 0 ? -1 : pipeEnds[1];
    }
    return child;
}

bool Succeeded(pid_t child) {
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool WriteAll(int fd, const void* data, size_t bytes) {
    const auto* next = static_cast<const uint8_t*>(data);
    while (bytes > 0) {
        ssize_t written = write(fd, next, bytes);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        next += written;
        bytes -= static_cast<size_t>(written);
    }
    return true;
}

// The picture goes to FFmpeg on a pipe as it is made and is encoded there at
// once; the sound is kept in a WAV file and joined to the video at the end
// (FFmpeg copies the video then, it does not encode it again).
class FfmpegSink final : public CaptureSink {
  public:
    FfmpegSink(std::string ffmpeg, fs::path output, int width, int height, int fps)
        : ffmpeg_(std::move(ffmpeg)),
          output_(std::move(output)),
          mp4_(output_.extension() == ".mp4"),
          video_(Temporary(output_, "video", ".mkv")),
          sound_(Temporary(output_, "sound", ".wav")),
          partial_(Temporary(output_, "partial", output_.extension().string())),
          width_(width),
          height_(height),
          fps_(fps) {}
    ~FfmpegSink() override {
        if (encoder_ > 0) {
            close(input_);
            Succeeded(encoder_);
        }
        std::error_code ignored;
        fs::remove(video_, ignored);
        fs::remove(sound_, ignored);
        fs::remove(partial_, ignored);
    }
    FfmpegSink(const FfmpegSink&) = delete;
    FfmpegSink& operator=(const FfmpegSink&) = delete;

    bool Open() {
        if (!soundFile_.Open(sound_.string(), CAPTURE_SAMPLE_RATE)) {
            Say(std::strerror(errno));
            return false;
        }
        std::vector<std::string> arguments = {ffmpeg_,
                                              "-hide_banner",
                                              "-loglevel",
                                              "error",
                                              "-y",
                                              "-f",
                                              "rawvideo",
                                              "-pix_fmt",
                                              "bgr0",
                                              "-s",
                                              std::to_string(width_) + "x" + std::to_string(height_),
                                              "-framerate",
                                              std::to_string(fps_),
                                              "-i",
                                              "pipe:0"};
        const std::vector<std::string> codec =
            mp4_ ? std::vector<std::string>{"-c:v", "libx264", "-preset",  "fast",
                                            "-crf", "18",      "-pix_fmt", "yuv420p"}
                 : std::vector<std::string>{"-c:v", "ffv1",     "-level", "3",  "-slices",
                                            "4",    "-threads", "2",      "-g", "1"};
        arguments.insert(arguments.end(), codec.begin(), codec.end());
        arguments.push_back(video_.string());
        encoder_ = Spawn(arguments, &input_);
        if (encoder_ < 0) {
            Say("FFmpeg could not be started");
            return false;
        }
        return true;
    }

    bool WriteFrame(const uint32_t* pixels, bool /*repeated*/) override {
        // 0xFFRRGGBB words are B, G, R, 0xFF bytes in memory: FFmpeg's bgr0.
        return WriteAll(input_, pixels, static_cast<size_t>(width_) * static_cast<size_t>(height_) * 4);
    }

    bool WriteSound(const int16_t* stereo, size_t frames) override {
        return soundFile_.Append(stereo, frames);
    }

    bool Finish() override {
        close(input_);
        const bool encoded = Succeeded(encoder_);
        encoder_ = -1;
        if (!encoded || !soundFile_.Close()) {
            Say("FFmpeg could not encode the video");
            return false;
        }
        std::vector<std::string> arguments = {ffmpeg_, "-hide_banner",  "-loglevel", "error",         "-y",
                                              "-i",    video_.string(), "-i",        sound_.string(), "-map",
                                              "0:v:0", "-map",          "1:a:0",     "-c:v",          "copy"};
        const std::vector<std::string> sound =
            mp4_ ? std::vector<std::string>{"-c:a",      "aac",        "-b:a", "192k",
                                            "-movflags", "+faststart", "-f",   "mp4"}
                 : std::vector<std::string>{"-c:a", "flac", "-f", "matroska"};
        arguments.insert(arguments.end(), sound.begin(), sound.end());
        arguments.push_back(partial_.string());
        pid_t muxer = Spawn(arguments, nullptr);
        if (muxer < 0 || !Succeeded(muxer)) {
            Say("FFmpeg could not join the picture and the sound");
            return false;
        }
        std::error_code error;
        fs::rename(partial_, output_, error);
        if (error) {
            Say(error.message());
            return false;
        }
        return true;
    }

  private:
    std::string ffmpeg_;
    fs::path output_;
    bool mp4_;
    fs::path video_;
    fs::path sound_;
    fs::path partial_;
    int width_;
    int height_;
    int fps_;
    pid_t encoder_ = -1;
    int input_ = -1;
    WavWriter soundFile_;
};

bool IsFolder(const std::string& output) {
    const fs::path path(output);
    return output.back() == '/' || path.extension().empty() || fs::is_directory(path);
}

}  // namespace

std::string FindFfmpeg() {
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) {
            end = folders.size();
        }
        const std::string candidate = folders.substr(start, end - start) + "/ffmpeg";
        if (end > start && access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
        start = end + 1;
    }
    return "";
}

std::unique_ptr<CaptureSink> OpenCaptureSink(const std::string& output, int width, int height, int fps) {
    givenName = output;
    if (IsFolder(output)) {
        std::string folder = output;
        while (folder.size() > 1 && folder.back() == '/') {
            folder.pop_back();
        }
        auto sink = std::make_unique<FolderSink>(fs::absolute(folder), width, height);
        return sink->Open() ? std::move(sink) : nullptr;
    }
    std::string ffmpeg = FindFfmpeg();
    if (ffmpeg.empty()) {
        std::fprintf(stderr,
                     "trelk: a %s capture needs the ffmpeg program (Debian package: ffmpeg); a folder of PNG "
                     "frames and a WAV file needs nothing more (--capture %s/)\n",
                     fs::path(output).extension().c_str(), fs::path(output).stem().c_str());
        return nullptr;
    }
    auto sink = std::make_unique<FfmpegSink>(ffmpeg, fs::absolute(output), width, height, fps);
    return sink->Open() ? std::move(sink) : nullptr;
}
