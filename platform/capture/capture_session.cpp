#include "platform/capture/capture_session.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/capture/capture_sink.h"
#include "platform/ddraw/frame_scaler.h"
#include "platform/ddraw/picture_layout.h"
#include "platform/dsound/audio_backend.h"
#include "platform/win32/stand_in_clock.h"
#include "platform/win32/window_registry.h"

namespace {

constexpr int DEVICE_FRAMES = 512;  // what the sound device asks the mixer for at a time, as live
constexpr int CAPTURE_RANK = 1;     // at the same moment, the program's threads go first

std::atomic<bool> captureActive{false};
std::atomic<bool> stopRequested{false};

void RequestStop(int /*signal*/) { stopRequested.store(true); }

// The last frame flipped, kept for the capture thread (the threads take turns
// on the virtual clock; the mutex only makes that plain).
struct Screen {
    std::mutex mutex;
    std::vector<uint16_t> pixels;
    int width = 0;
    int height = 0;
    bool rgb555 = false;
    bool fresh = false;
};

Screen& TheScreen() {
    static Screen screen;
    return screen;
}

// Microseconds of a moment given as count / perSecond seconds, rounded up, so
// that the moment is never before the exact time.
int64_t MomentUs(int64_t count, int64_t perSecond) { return (count * 1000000 + perSecond - 1) / perSecond; }

class CaptureThread {
  public:
    CaptureThread(const CaptureSettings& settings, CaptureSink& sink)
        : settings_(settings),
          sink_(sink),
          totalFrames_(int64_t{settings.fps} * settings.seconds),
          picture_(static_cast<size_t>(settings.width) * static_cast<size_t>(settings.height), 0xFF000000u) {}

    void Start() {
        const int ticket = ClockAdmitThread(CAPTURE_RANK);
        thread_ = std::thread([this, ticket] {
            ClockEnterThread(ticket);
            Run();
            ClockLeaveThread();
        });
    }

    // After the program ended (it may end before the capture did).
    bool Join() {
        stopRequested.store(true);
        OffClock joining;
        thread_.join();
        return ok_;
    }

  private:
    void Run() {
        started_ = std::chrono::steady_clock::now();
        int64_t frame = 0;
        int64_t deviceBuffers = 0;
        std::vector<int16_t> buffer(DEVICE_FRAMES * 2);
        while (ok_ && frame < totalFrames_ && !stopRequested.load()) {
            const int64_t frameAt = MomentUs(frame, settings_.fps);
            const int64_t bufferAt = MomentUs(deviceBuffers * DEVICE_FRAMES, CAPTURE_SAMPLE_RATE);
            ClockWaitUntilUs(std::min(frameAt, bufferAt));
            if (bufferAt <= frameAt) {
                PullSound(buffer);
                ++deviceBuffers;
                continue;
            }
            ok_ = WriteFrame() && WriteSoundUpTo(frame * CAPTURE_SAMPLE_RATE / settings_.fps);
            ++frame;
            Progress(frame, false);
        }
        // The sound that belongs to the frames written, sample for sample:
        // video frame n starts at sample n x rate / fps.
        const int64_t soundFrames = frame * CAPTURE_SAMPLE_RATE / settings_.fps;
        while (ok_ && soundWritten_ + static_cast<int64_t>(pending_.size() / 2) < soundFrames) {
            ClockWaitUntilUs(MomentUs(deviceBuffers * DEVICE_FRAMES, CAPTURE_SAMPLE_RATE));
            PullSound(buffer);
            ++deviceBuffers;
        }
        ok_ = ok_ && WriteSoundUpTo(soundFrames);
        Progress(frame, true);
        // The capture is over: the intro ends as when its window is closed.
        if (HWND window = GetForegroundWindow()) {
            PostMessageA(window, WM_CLOSE, 0, 0);
        }
    }

    void PullSound(std::vector<int16_t>& buffer) {
        std::fill(buffer.begin(), buffer.end(), 0);
        PullMemoryAudio(buffer.data(), DEVICE_FRAMES);  // silence while no sound plays
        pending_.insert(pending_.end(), buffer.begin(), buffer.end());
    }

    // Hands the sound up to stereo frame `end` (of what has been pulled) to the sink.
    bool WriteSoundUpTo(int64_t end) {
        const int64_t count =
            std::min<int64_t>(end - soundWritten_, static_cast<int64_t>(pending_.size() / 2));
        if (count <= 0) {
            return true;
        }
        const bool written = sink_.WriteSound(pending_.data(), static_cast<size_t>(count));
        pending_.erase(pending_.begin(), pending_.begin() + count * 2);
        soundWritten_ += count;
        return written;
    }

    bool WriteFrame() {
        Screen& screen = TheScreen();
        std::lock_guard lock(screen.mutex);
        const bool repeated = !screen.fresh;
        if (screen.fresh) {
            screen.fresh = false;
            const PictureLayout layout =
                LayoutPicture(screen.width, screen.height, settings_.width, settings_.height,
                              ScaleChoice::Fit, FilterChoice::Auto);
            auto* origin = reinterpret_cast<uint8_t*>(picture_.data()) +
                           (static_cast<ptrdiff_t>(layout.y) * settings_.width + layout.x) * 4;
            ScaleFrame(screen.pixels.data(), screen.width, screen.height, screen.width,
                       screen.rgb555 ? SourceLayout::Rgb555 : SourceLayout::Rgb565, origin,
                       settings_.width * 4, layout.width, layout.height, TargetLayout::Xrgb8888,
                       layout.smooth ? ScaleFilter::Linear : ScaleFilter::Nearest,
                       ScaleRect{0, 0, layout.width, layout.height});
        }
        return sink_.WriteFrame(picture_.data(), repeated);
    }

    // Frames done, speed against real time, time left; at most twice a second.
    void Progress(int64_t frame, bool last) {
        if (settings_.quiet) {
            return;
        }
        const auto now = std::chrono::steady_clock::now();
        if (!last && now - lastReport_ < std::chrono::milliseconds(500)) {
            return;
        }
        lastReport_ = now;
        const double real = std::chrono::duration<double>(now - started_).count();
        const double captured = static_cast<double>(frame) / settings_.fps;
        const double speed = real > 0 ? captured / real : 0.0;
        const double left =
            speed > 0 ? (static_cast<double>(totalFrames_ - frame) / settings_.fps) / speed : 0.0;
        std::fprintf(stderr,
                     "\rtrelk: captured %lld of %lld frames (%.1f s), %.1fx real time, %.0f s left   %s",
                     static_cast<long long>(frame), static_cast<long long>(totalFrames_), captured, speed,
                     last ? 0.0 : left, last ? "\n" : "");
    }

    const CaptureSettings& settings_;
    CaptureSink& sink_;
    int64_t totalFrames_;
    std::vector<uint32_t> picture_;
    std::vector<int16_t> pending_;  // pulled from the mixer, not yet written
    int64_t soundWritten_ = 0;
    std::thread thread_;
    bool ok_ = true;
    std::chrono::steady_clock::time_point started_;
    std::chrono::steady_clock::time_point lastReport_;
};

}  // namespace

bool CaptureActive() { return captureActive.load(); }

void CaptureFramePresented(const uint16_t* pixels, int width, int height, bool rgb555) {
    Screen& screen = TheScreen();
    std::lock_guard lock(screen.mutex);
    screen.pixels.assign(pixels, pixels + static_cast<size_t>(width) * static_cast<size_t>(height));
    screen.width = width;
    screen.height = height;
    screen.rgb555 = rgb555;
    screen.fresh = true;
}

int RunCapture(const CaptureSettings& settings, ProgramFunction program, void* context) {
    std::unique_ptr<CaptureSink> sink =
        OpenCaptureSink(settings.output, settings.width, settings.height, settings.fps);
    if (sink == nullptr) {
        return 1;
    }
    // Ctrl+C and SIGTERM end the capture early with what it has.
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    SetWindowsOffScreen();
    SelectAudioBackend(AudioBackendKind::Memory);
    captureActive.store(true);
    StartVirtualClock();

    CaptureThread capture(settings, *sink);
    capture.Start();
    const int result = program(context);
    const bool captured = capture.Join();
    DissolveVirtualClock();
    captureActive.store(false);
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    const bool finished = captured && sink->Finish();
    return finished ? result : 1;
}
