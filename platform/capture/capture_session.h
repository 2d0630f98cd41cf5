// Room capture/: a capture run and its sinks, above the interface rooms,
// which never include it. Includes present/, core/ and the rooms' seams.
// A capture: the program runs on the virtual clock with windows that need no
// display, Flip hands its frames to the session's presenter, and a capture
// thread taking part in that clock turns what the screen would show at each
// video frame's moment, and what the sound device would have played, into
// frames and sound for the sink. All of a capture's state lives in its
// session; one session runs at a time. Platform-internal.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/capture/capture_output.h"
#include "platform/core/stand_in_settings.h"

using ProgramFunction = int (*)(void* context);

class CaptureSession {
  public:
    // Without `sound` the program finds no sound device (--no-sound) and the
    // capture's sound is silence.
    explicit CaptureSession(const CaptureSettings& settings, bool sound = true);
    ~CaptureSession();
    CaptureSession(const CaptureSession&) = delete;
    CaptureSession& operator=(const CaptureSession&) = delete;

    // Runs program(context) under capture (main thread, once). SIGINT,
    // SIGTERM and SIGHUP stop the capture early and it is finished with what
    // it holds; SIGPIPE is ignored meanwhile. Returns the exit code: 0 when
    // complete; 128 + the signal when a signal stopped it (said, with how
    // much the output holds); 1 when the output could not be written or the
    // program failed or ended on its own (said; nothing under the name).
    int Run(ProgramFunction program, void* context);

    // Stops the capture early as `signal` does (0: no signal); any thread and
    // signal handlers. Once the capture is stopping or its file is being
    // finished, a signal is only answered with a line saying so.
    void RequestStop(int signal);

    // After Run: the video frames captured and whether all of them were.
    int64_t FramesCaptured() const { return framesCaptured_.load(); }

  private:
    class Thread;
    class Screen;

    CaptureSettings settings_;
    bool sound_;
    CaptureConsole console_;
    std::atomic<bool> stopRequested_{false};
    std::atomic<int> stopSignal_{0};
    std::atomic<bool> finishing_{false};
    std::atomic<int64_t> framesCaptured_{0};
};

// The process entry's capture: a session of its own, run once.
int RunCapture(const CaptureSettings& settings, bool sound, ProgramFunction program, void* context);
