#include "platform/capture/capture_session.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/capture/capture_sink.h"
#include "platform/core/stand_in_clock.h"
#include "platform/dsound/audio_backend.h"
#include "platform/present/frame_scaler.h"
#include "platform/present/picture_layout.h"
#include "platform/present/presenter.h"
#include "platform/win32/window_registry.h"

namespace {

constexpr int DEVICE_FRAMES = 512;  // what the sound device asks the mixer for at a time, as live
constexpr int CAPTURE_RANK = 1;     // at the same moment, the program's threads go first
constexpr int STOP_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};

// The session the signal handlers speak to.
std::atomic<CaptureSession*> activeSession{nullptr};

void OnStopSignal(int signal) {
    if (CaptureSession* session = activeSession.load()) {
        session->RequestStop(signal);
    }
}

const char* SignalName(int signal) {
    switch (signal) {
        case SIGINT:
            return "SIGINT";
        case SIGTERM:
            return "SIGTERM";
        case SIGHUP:
            return "SIGHUP";
        default:
            return "a request";
    }
}

// The handlers of a capture, the process's own restored afterwards.
class SignalHandlers {
  public:
    explicit SignalHandlers(CaptureSession* session) {
        activeSession.store(session);
        struct sigaction stop = {};
        stop.sa_handler = OnStopSignal;
        stop.sa_flags = SA_RESTART;
        sigemptyset(&stop.sa_mask);
        for (size_t i = 0; i < std::size(STOP_SIGNALS); ++i) {
            sigaction(STOP_SIGNALS[i], &stop, &saved_[i]);
        }
        // A reader of standard error that went away costs the progress, not the capture.
        struct sigaction ignore = {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        sigaction(SIGPIPE, &ignore, &savedPipe_);
    }
    ~SignalHandlers() {
        for (size_t i = 0; i < std::size(STOP_SIGNALS); ++i) {
            sigaction(STOP_SIGNALS[i], &saved_[i], nullptr);
        }
        sigaction(SIGPIPE, &savedPipe_, nullptr);
        activeSession.store(nullptr);
    }
    SignalHandlers(const SignalHandlers&) = delete;
    SignalHandlers& operator=(const SignalHandlers&) = delete;

  private:
    struct sigaction saved_[std::size(STOP_SIGNALS)]{};
    struct sigaction savedPipe_ = {};
};

// Microseconds of a moment given as count / perSecond seconds, rounded up, so
// that the moment is never before the exact time.
int64_t MomentUs(int64_t count, int64_t perSecond) { return (count * 1000000 + perSecond - 1) / perSecond; }

std::string Seconds(int64_t frames, int fps) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(frames) / fps);
    return text;
}

}  // namespace

// The last frame flipped, kept for the capture thread: the capture's presenter.
// (The threads take turns on the virtual clock; the mutex only makes that plain.)
class CaptureSession::Screen final : public Presenter {
  public:
    bool Present(const FrameView& frame) override {
        std::lock_guard lock(mutex);
        pixels.assign(frame.pixels,
                      frame.pixels + static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height));
        width = frame.width;
        height = frame.height;
        rgb555 = frame.rgb555;
        fresh = true;
        return true;
    }

    std::mutex mutex;
    std::vector<uint16_t> pixels;
    int width = 0;
    int height = 0;
    bool rgb555 = false;
    bool fresh = false;
};

class CaptureSession::Thread {
  public:
    Thread(CaptureSession& session, Screen& screen, CaptureSink& sink)
        : session_(session),
          settings_(session.settings_),
          screen_(screen),
          sink_(sink),
          totalFrames_(int64_t{settings_.fps} * settings_.seconds),
          picture_(static_cast<size_t>(settings_.width) * static_cast<size_t>(settings_.height),
                   0xFF000000u) {}

    void Start() {
        const int ticket = ClockAdmitThread(CAPTURE_RANK);
        thread_ = std::thread([this, ticket] {
            ClockEnterThread(ticket);
            Run();
            ClockLeaveThread();
        });
    }

    // True once the capture has all its frames, was stopped or failed: what
    // follows is the program ending because it was asked to.
    bool Over() const { return over_.load(); }

    // After the program ended (it may end before the capture did).
    bool Join() {
        programEnded_.store(true);
        OffClock joining;
        thread_.join();
        return ok_;
    }

    int64_t Frames() const { return frame_; }
    int64_t TotalFrames() const { return totalFrames_; }

  private:
    bool Stopping() const { return session_.stopRequested_.load() || programEnded_.load(); }

    void Run() {
        started_ = std::chrono::steady_clock::now();
        int64_t deviceBuffers = 0;
        std::vector<int16_t> buffer(DEVICE_FRAMES * 2);
        while (ok_ && frame_ < totalFrames_ && !Stopping()) {
            const int64_t frameAt = MomentUs(frame_, settings_.fps);
            const int64_t bufferAt = MomentUs(deviceBuffers * DEVICE_FRAMES, CAPTURE_SAMPLE_RATE);
            ClockWaitUntilUs(std::min(frameAt, bufferAt));
            if (bufferAt <= frameAt) {
                PullSound(buffer);
                ++deviceBuffers;
                continue;
            }
            ok_ = WriteFrame() && WriteSoundUpTo(frame_ * CAPTURE_SAMPLE_RATE / settings_.fps);
            ++frame_;
            Progress();
        }
        // The sound that belongs to the frames written, sample for sample:
        // video frame n starts at sample n x rate / fps.
        const int64_t soundFrames = frame_ * CAPTURE_SAMPLE_RATE / settings_.fps;
        while (ok_ && soundWritten_ + static_cast<int64_t>(pending_.size() / 2) < soundFrames) {
            ClockWaitUntilUs(MomentUs(deviceBuffers * DEVICE_FRAMES, CAPTURE_SAMPLE_RATE));
            PullSound(buffer);
            ++deviceBuffers;
        }
        ok_ = ok_ && WriteSoundUpTo(soundFrames);
        over_.store(true);
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
        std::lock_guard lock(screen_.mutex);
        const bool repeated = !screen_.fresh;
        if (screen_.fresh) {
            screen_.fresh = false;
            const PictureLayout layout =
                LayoutPicture(screen_.width, screen_.height, settings_.width, settings_.height,
                              ScaleChoice::Fit, FilterChoice::Auto);
            auto* origin = reinterpret_cast<uint8_t*>(picture_.data()) +
                           (static_cast<ptrdiff_t>(layout.y) * settings_.width + layout.x) * 4;
            ScaleFrame(screen_.pixels.data(), screen_.width, screen_.height, screen_.width,
                       screen_.rgb555 ? SourceLayout::Rgb555 : SourceLayout::Rgb565, origin,
                       settings_.width * 4, layout.width, layout.height, TargetLayout::Xrgb8888,
                       layout.smooth ? ScaleFilter::Linear : ScaleFilter::Nearest,
                       ScaleRect{0, 0, layout.width, layout.height});
        }
        return sink_.WriteFrame(picture_.data(), repeated);
    }

    // Frames done, speed against real time, time left; at most twice a second.
    void Progress() {
        const auto now = std::chrono::steady_clock::now();
        if (settings_.quiet || now - lastReport_ < std::chrono::milliseconds(500)) {
            return;
        }
        lastReport_ = now;
        const double real = std::chrono::duration<double>(now - started_).count();
        const double captured = static_cast<double>(frame_) / settings_.fps;
        const double speed = real > 0 ? captured / real : 0.0;
        const double left =
            speed > 0 ? (static_cast<double>(totalFrames_ - frame_) / settings_.fps) / speed : 0.0;
        char text[160];
        std::snprintf(text, sizeof text,
                      "trelk: captured %lld of %lld frames (%.1f s), %.1fx real time, %.0f s left   ",
                      static_cast<long long>(frame_), static_cast<long long>(totalFrames_), captured, speed,
                      left);
        session_.console_.Progress(text);
    }

    CaptureSession& session_;
    const CaptureSettings& settings_;
    Screen& screen_;
    CaptureSink& sink_;
    int64_t totalFrames_;
    std::vector<uint32_t> picture_;
    std::vector<int16_t> pending_;  // pulled from the mixer, not yet written
    int64_t soundWritten_ = 0;
    int64_t frame_ = 0;
    std::thread thread_;
    bool ok_ = true;
    std::atomic<bool> over_{false};
    std::atomic<bool> programEnded_{false};
    std::chrono::steady_clock::time_point started_;
    std::chrono::steady_clock::time_point lastReport_;
};

CaptureSession::CaptureSession(const CaptureSettings& settings, bool sound)
    : settings_(settings), sound_(sound), console_(settings.output) {}

CaptureSession::~CaptureSession() = default;

void CaptureSession::RequestStop(int signal) {
    int none = 0;
    const bool first = !stopRequested_.exchange(true);
    if (signal != 0 && first && !finishing_.load()) {
        stopSignal_.compare_exchange_strong(none, signal);
        return;
    }
    if (signal != 0) {
        // Stopping already, or writing the end of the file: that goes on. Only
        // what a signal handler may call.
        static constexpr char NOTICE[] = "\ntrelk: finishing the file, please wait\n";
        const bool progressOpen = console_.TakeProgressOpen();
        const char* text = progressOpen ? NOTICE : NOTICE + 1;
        const ssize_t written = write(STDERR_FILENO, text, std::strlen(text));
        static_cast<void>(written);  // nobody to tell when it cannot be said
    }
}

int CaptureSession::Run(ProgramFunction program, void* context) {
    const SignalHandlers handlers(this);
    std::unique_ptr<CaptureSink> sink = OpenCaptureSink(settings_, console_);
    if (sink == nullptr) {
        return 1;
    }
    Screen screen;
    SetWindowsOffScreen();
    SelectAudioBackend(sound_ ? AudioBackendKind::Memory : AudioBackendKind::Unavailable);
    SetOffScreenPresenter(&screen);
    StartVirtualClock();

    Thread capture(*this, screen, *sink);
    capture.Start();
    const int result = program(context);
    const bool askedToEnd = capture.Over();
    const bool written = capture.Join();
    DissolveVirtualClock();
    SetOffScreenPresenter(nullptr);
    framesCaptured_.store(capture.Frames());
    if (!written) {
        return 1;  // said by the sink
    }
    if (!askedToEnd || result != 0) {
        console_.Line("the intro ended before the capture was complete (exit code " + std::to_string(result) +
                      "): nothing was written to '" + settings_.output + "'");
        return 1;
    }
    finishing_.store(true);
    if (!sink->Finish()) {
        return 1;
    }
    const int64_t frames = capture.Frames();
    const int signal = stopSignal_.load();
    if (frames < capture.TotalFrames()) {
        console_.Line(std::string("stopped by ") + SignalName(signal) + ": '" + settings_.output +
                      "' holds the first " + Seconds(frames, settings_.fps) + " (" + std::to_string(frames) +
                      " of " + std::to_string(capture.TotalFrames()) + " frames)");
        return signal != 0 ? 128 + signal : 0;
    }
    if (!settings_.quiet) {
        console_.Done("trelk: captured " + std::to_string(frames) + " frames (" +
                      Seconds(frames, settings_.fps) + ") into '" + settings_.output + "'");
    }
    return 0;
}

int RunCapture(const CaptureSettings& settings, bool sound, ProgramFunction program, void* context) {
    CaptureSession session(settings, sound);
    return session.Run(program, context);
}
