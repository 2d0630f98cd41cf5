// Room core/: what every part of the stand-in shares (settings, command line,
// clocks, pacing, threads, COM, unsupported calls). Includes only include/.
// The stand-in's settings: how frames reach the screen, the window, the sound.
// Filled once from the command line before WinMain runs, read-only afterwards
// (every thread may read them). Platform-internal; the program never sees them.
#pragma once

#include <cstdio>
#include <string>

enum class RendererChoice { Auto, Gpu, Software };
enum class ScaleChoice { Fit, Integer };
enum class FilterChoice { Auto, Nearest, Linear };  // Auto: nearest at whole scales, linear otherwise

// --capture: the intro rendered off-screen on a virtual clock into a video.
struct CaptureSettings {
    std::string output;  // empty: a live run
    int fps = 50;
    int seconds = 100;
    int width = 640;
    int height = 480;
    bool quiet = false;
    bool overwrite = false;  // an existing output may be replaced
};

// A folder capture's audio.wav (16-bit stereo at 44100 Hz) stays within the
// 4 GB that WAV's 32-bit sizes can count: longer ones are refused, not written as RF64.
constexpr int CAPTURE_WAV_MOST_SECONDS = (0xFFFFFFFFLL - 36) / (44100 * 4);

struct StandInSettings {
    RendererChoice renderer = RendererChoice::Auto;
    ScaleChoice scale = ScaleChoice::Fit;
    FilterChoice filter = FilterChoice::Auto;
    bool windowed = false;
    int display = 0;  // the monitor, counted from 0
    bool sound = true;
    int volume = 100;  // output level of the mixer, 0 to 100
    bool verbose = false;
    CaptureSettings capture;
};

const StandInSettings& Settings();
// The entry point sets them before anything else runs; tests set them too.
void SetSettings(const StandInSettings& settings);

// A line on standard error when --verbose was given (printf format).
void Verbose(const char* format, ...) __attribute__((format(printf, 1, 2)));
