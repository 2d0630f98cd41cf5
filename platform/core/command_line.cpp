#include "platform/core/command_line.h"

#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string_view>

#ifndef TRELK_VERSION
#define TRELK_VERSION "0"
#endif

namespace {

constexpr const char USAGE[] =
    "Usage: trelk [OPTION]...\n"
    "Shows the Vorlix intro, full screen, until Escape is pressed.\n"
    "\n"
    "Presenting:\n"
    "  --fullscreen              fill the whole screen at the desktop's resolution\n"
    "                            (default)\n"
    "  --windowed                show it in a 640 x 480 window that can be resized\n"
    "  --display N               the monitor to use, counted from 0 (default 0)\n"
    "  --renderer auto|gpu|software\n"
    "                            how frames reach the screen; auto (default) takes\n"
    "                            the GPU when its OpenGL is hardware-accelerated\n"
    "  --scale fit|integer       fit (default): the largest 4:3 picture the screen\n"
    "                            holds; integer: the largest whole multiple of\n"
    "                            640 x 480, crisp\n"
    "  --filter nearest|linear   how pixels are scaled (default: nearest at whole\n"
    "                            scales, linear otherwise)\n"
    "\n"
    "Sound:\n"
    "  --no-sound                run without sound\n"
    "  --volume N                output level from 0 to 100 (default 100)\n"
    "\n"
    "Capture (no display needed; as fast as the machine allows):\n"
    "  --capture OUT             render the intro on a virtual clock into OUT:\n"
    "                            OUT.mkv lossless (FFV1 and FLAC), OUT.mp4 for video\n"
    "                            sites (H.264 and AAC), or a folder OUT/ of PNG frames\n"
    "                            and audio.wav\n"
    "  --fps N                   frames a second, 1 to 240 (default 50)\n"
    "  --seconds S               how long, 1 to 86400 (default 100: the song once)\n"
    "  --size WxH                picture size, 64x48 to 7680x5760 (default 640x480),\n"
    "                            scaled as on a screen of that size\n"
    "  --quiet                   no progress on standard error\n"
    "  --overwrite               replace an existing file (or a folder of an\n"
    "                            earlier capture) under the name OUT\n"
    "\n"
    "Other:\n"
    "  --verbose                 say on standard error what was chosen and why\n"
    "  -h, --help                show this help and exit\n"
    "  --version                 show the version and exit\n"
    "\n"
    "Keys: Escape ends the intro; Alt+Enter switches between full screen and a\n"
    "window.\n"
    "Exit status: 0 when it ends normally, 1 when it cannot run (no display, no\n"
    "such monitor, a capture that cannot be written), 64 on bad usage; 129, 130\n"
    "or 143 when SIGHUP, SIGINT (Ctrl+C) or SIGTERM stopped a capture early.\n";

struct Parser {
    int argc;
    const char* const* argv;
    std::FILE* err;
    ParsedCommandLine result;
    int index = 1;

    bool Fail(const std::string& message) {
        std::fprintf(err, "trelk: %s\nTry 'trelk --help' for more information.\n", message.c_str());
        result.run = false;
        result.exitCode = EXIT_CODE_BAD_USAGE;
        return false;
    }

    // The option's value: after '=' in the same word, or the next word unless
    // that is an option itself (a value that looks like one goes after '=').
    bool Value(std::string_view name, const char* inlineValue, std::string_view* value) {
        if (inlineValue != nullptr) {
            *value = inlineValue;
            return true;
        }
        if (index + 1 >= argc || LooksLikeOption(argv[index + 1])) {
            return Fail("option '" + std::string(name) + "' needs a value" +
                        (index + 1 < argc ? " (a value beginning with '-' goes after '=': " +
                                                std::string(name) + "=" + argv[index + 1] + ")"
                                          : std::string()));
        }
        *value = argv[++index];
        return true;
    }

    // "--fps", "-h"; not "-1" nor a lone "-".
    static bool LooksLikeOption(std::string_view word) {
        return word.size() >= 2 && word[0] == '-' &&
               (word[1] == '-' || std::isalpha(static_cast<unsigned char>(word[1])));
    }

    bool Number(std::string_view name, std::string_view text, int low, int high, int* number) {
        int parsed = 0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
        if (error != std::errc() || end != text.data() + text.size() || parsed < low || parsed > high) {
            return Fail("invalid value '" + std::string(text) + "' for '" + std::string(name) +
                        "' (a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                        ")");
        }
        *number = parsed;
        return true;
    }

    // A folder (a name ending in '/' or without an extension), .mkv or .mp4.
    bool CaptureOutput(std::string_view output) {
        if (output.empty()) {
            return Fail("option '--capture' needs a file or folder name");
        }
        const size_t slash = output.find_last_of('/');
        const std::string_view leaf = slash == std::string_view::npos ? output : output.substr(slash + 1);
        const size_t dot = leaf.find_last_of('.');
        if (!leaf.empty() && dot != std::string_view::npos && dot > 0 && leaf.substr(dot) != ".mkv" &&
            leaf.substr(dot) != ".mp4") {
            return Fail("unknown capture format '" + std::string(leaf.substr(dot)) +
                        "' for '--capture' (.mkv, .mp4, or a folder ending in /)");
        }
        result.settings.capture.output = std::string(output);
        return true;
    }

    bool Size(std::string_view name, std::string_view text) {
        const size_t x = text.find('x');
        int width = 0;
        int height = 0;
        const std::string_view widthText = text.substr(0, x);
        const std::string_view heightText =
            x == std::string_view::npos ? std::string_view() : text.substr(x + 1);
        auto whole = [](std::string_view part, int* number) {
            auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), *number);
            return !part.empty() && error == std::errc() && end == part.data() + part.size();
        };
        if (!whole(widthText, &width) || !whole(heightText, &height) || width < 64 || height < 48 ||
            width > 7680 || height > 5760) {
            return Fail("invalid value '" + std::string(text) + "' for '" + std::string(name) +
                        "' (WxH, from 64x48 to 7680x5760)");
        }
        result.settings.capture.width = width;
        result.settings.capture.height = height;
        return true;
    }

    // What the chosen form can hold, checked once every option is known.
    bool CaptureFits() {
        const CaptureSettings& capture = result.settings.capture;
        const std::string_view output = capture.output;
        if (output.ends_with(".mp4") && (capture.width % 2 != 0 || capture.height % 2 != 0)) {
            // H.264 in yuv420p halves the colour planes: both sides must be even.
            return Fail(
                "an .mp4 needs an even width and height: --size " + std::to_string(capture.width) + "x" +
                std::to_string(capture.height) + " cannot be one (the nearest that can: --size " +
                std::to_string(capture.width / 2 * 2) + "x" + std::to_string(capture.height / 2 * 2) + ")");
        }
        if (!output.ends_with(".mp4") && !output.ends_with(".mkv") &&
            int64_t{capture.seconds} > CAPTURE_WAV_MOST_SECONDS) {
            return Fail("a folder capture's audio.wav holds at most " +
                        std::to_string(CAPTURE_WAV_MOST_SECONDS) + " s (WAV's 4 GB): --seconds " +
                        std::to_string(capture.seconds) + " needs .mkv or .mp4");
        }
        return true;
    }

    template <typename Choice>
    bool OneOf(std::string_view name, std::string_view text,
               std::initializer_list<std::pair<std::string_view, Choice>> choices, Choice* choice) {
        std::string names;
        for (const auto& [word, value] : choices) {
            if (text == word) {
                *choice = value;
                return true;
            }
            names += names.empty() ? "" : ", ";
            names += word;
        }
        return Fail("invalid value '" + std::string(text) + "' for '" + std::string(name) +
                    "' (one of: " + names + ")");
    }

    // One option; false ends parsing (an error, or help and version done).
    bool Option(std::string_view word, std::FILE* out) {
        const char* inlineValue = nullptr;
        std::string_view name = word;
        if (size_t equals = word.find('='); word.starts_with("--") && equals != std::string_view::npos) {
            name = word.substr(0, equals);
            inlineValue = argv[index] + equals + 1;
        }
        StandInSettings& settings = result.settings;
        auto flag = [&](bool* target, bool value) {
            if (inlineValue != nullptr) {
                return Fail("option '" + std::string(name) + "' takes no value");
            }
            *target = value;
            return true;
        };
        std::string_view value;
        if ((name == "-h" || name == "--help" || name == "--version") && inlineValue != nullptr) {
            return Fail("option '" + std::string(name) + "' takes no value");
        }
        if (name == "-h" || name == "--help") {
            std::fputs(USAGE, out);
            result.run = false;
            return false;
        }
        if (name == "--version") {
            std::fprintf(out, "trelk %s\n", TRELK_VERSION);
            result.run = false;
            return false;
        }
        if (name == "--verbose") return flag(&settings.verbose, true);
        if (name == "--windowed") return flag(&settings.windowed, true);
        if (name == "--fullscreen") return flag(&settings.windowed, false);
        if (name == "--no-sound") return flag(&settings.sound, false);
        if (name == "--display")
            return Value(name, inlineValue, &value) && Number(name, value, 0, 63, &settings.display);
        if (name == "--volume")
            return Value(name, inlineValue, &value) && Number(name, value, 0, 100, &settings.volume);
        if (name == "--quiet") return flag(&settings.capture.quiet, true);
        if (name == "--overwrite") return flag(&settings.capture.overwrite, true);
        if (name == "--capture") return Value(name, inlineValue, &value) && CaptureOutput(value);
        if (name == "--fps")
            return Value(name, inlineValue, &value) && Number(name, value, 1, 240, &settings.capture.fps);
        if (name == "--seconds") {
            return Value(name, inlineValue, &value) &&
                   Number(name, value, 1, 86400, &settings.capture.seconds);
        }
        if (name == "--size") return Value(name, inlineValue, &value) && Size(name, value);
        if (name == "--renderer") {
            return Value(name, inlineValue, &value) &&
                   OneOf<RendererChoice>(name, value,
                                         {{"auto", RendererChoice::Auto},
                                          {"gpu", RendererChoice::Gpu},
                                          {"software", RendererChoice::Software}},
                                         &settings.renderer);
        }
        if (name == "--scale") {
            return Value(name, inlineValue, &value) &&
                   OneOf<ScaleChoice>(name, value,
                                      {{"fit", ScaleChoice::Fit}, {"integer", ScaleChoice::Integer}},
                                      &settings.scale);
        }
        if (name == "--filter") {
            return Value(name, inlineValue, &value) &&
                   OneOf<FilterChoice>(name, value,
                                       {{"nearest", FilterChoice::Nearest}, {"linear", FilterChoice::Linear}},
                                       &settings.filter);
        }
        return Fail(word.starts_with("-") ? "unknown option '" + std::string(name) + "'"
                                          : "unexpected argument '" + std::string(word) + "'");
    }
};

}  // namespace

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
    Parser parser{argc, argv, err, {}};
    parser.result.run = true;
    std::string captureOnly;  // the first capture option given, which needs --capture
    for (; parser.index < argc; ++parser.index) {
        std::string_view word = argv[parser.index];
        if (word == "--") {
            // The rest is the program's own command line.
            for (int rest = parser.index + 1; rest < argc; ++rest) {
                parser.result.programLine += (rest > parser.index + 1 ? " " : "");
                parser.result.programLine += argv[rest];
            }
            break;
        }
        if (!parser.Option(word, out)) {
            break;
        }
        for (const char* option : {"--fps", "--seconds", "--size", "--quiet", "--overwrite"}) {
            if (captureOnly.empty() && word.substr(0, word.find('=')) == option) {
                captureOnly = option;
            }
        }
    }
    if (parser.result.run && !captureOnly.empty() && parser.result.settings.capture.output.empty()) {
        parser.Fail("option '" + captureOnly + "' needs '--capture'");
    }
    if (parser.result.run && !parser.result.settings.capture.output.empty()) {
        parser.CaptureFits();
    }
    return parser.result;
}

const char* UsageText() { return USAGE; }

const char* VersionText() { return TRELK_VERSION; }
