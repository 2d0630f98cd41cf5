#include "platform/core/command_line.h"

#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#ifndef TRELK_VERSION
#define TRELK_VERSION "0"
#endif

namespace {

constexpr int HELP_COLUMN = 28;  // where an option's words start in --help

constexpr const char USAGE_HEAD[] =
    "Usage: trelk [OPTION]...\n"
    "Shows the Vorlix intro, full screen, until Escape is pressed.\n"
    "\n";

constexpr const char USAGE_TAIL[] =
    "Keys: Escape ends the intro; Alt+Enter switches between full screen and a\n"
    "window.\n"
    "Exit status: 0 when it ends normally, 1 when it cannot run (no display, no\n"
    "such monitor, a capture that cannot be written), 64 on bad usage; 129, 130\n"
    "or 143 when SIGHUP, SIGINT (Ctrl+C) or SIGTERM stopped a capture early.\n";

struct GroupHeading {
    OptionGroup group;
    const char* heading;
};

constexpr GroupHeading GROUP_HEADINGS[] = {
    {OptionGroup::Presenting, "Presenting:"},
    {OptionGroup::Sound, "Sound:"},
    {OptionGroup::Capture, "Capture (no display needed; as fast as the machine allows):"},
    {OptionGroup::Other, "Other:"},
};

// "--fps", "-h"; not "-1" nor a lone "-".
bool LooksLikeOption(std::string_view word) {
    return word.size() >= 2 && word[0] == '-' &&
           (word[1] == '-' || std::isalpha(static_cast<unsigned char>(word[1])));
}

}  // namespace

// The parse in progress: the words, what they set so far, and the checks an
// option's value goes through (each says what is wrong in one line).
class OptionParser {
  public:
    OptionParser(int argc, const char* const* argv, std::FILE* out, std::FILE* err)
        : argc_(argc), argv_(argv), out_(out), err_(err) {
        result_.run = true;
    }

    ParsedCommandLine& Result() { return result_; }
    StandInSettings& Settings() { return result_.settings; }

    bool Fail(const std::string& message) {
        std::fprintf(err_, "trelk: %s\nTry 'trelk --help' for more information.\n", message.c_str());
        result_.run = false;
        result_.exitCode = EXIT_CODE_BAD_USAGE;
        return false;
    }

    // Help and version: said on `out`, nothing runs.
    bool Say(const char* text) {
        std::fputs(text, out_);
        result_.run = false;
        return false;
    }

    bool Set(bool* target, bool value) {
        *target = value;
        return true;
    }

    bool Number(std::string_view text, int low, int high, int* number) {
        int parsed = 0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
        if (error != std::errc() || end != text.data() + text.size() || parsed < low || parsed > high) {
            return Fail("invalid value '" + std::string(text) + "' for '" + std::string(name_) +
                        "' (a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                        ")");
        }
        *number = parsed;
        return true;
    }

    // One of the words of the option's placeholder ("fit|integer"), each
    // standing for the value in the same place of `choices`.
    template <typename Choice>
    bool OneOf(std::string_view text, std::initializer_list<Choice> choices, Choice* choice) {
        std::string names;
        std::string_view words = option_->value;
        for (const Choice& value : choices) {
            const size_t bar = words.find('|');
            const std::string_view word = words.substr(0, bar);
            words = bar == std::string_view::npos ? std::string_view() : words.substr(bar + 1);
            if (text == word) {
                *choice = value;
                return true;
            }
            names += names.empty() ? "" : ", ";
            names += word;
        }
        return Fail("invalid value '" + std::string(text) + "' for '" + std::string(name_) +
                    "' (one of: " + names + ")");
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
        result_.settings.capture.output = std::string(output);
        return true;
    }

    bool Size(std::string_view text) {
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
            return Fail("invalid value '" + std::string(text) + "' for '" + std::string(name_) +
                        "' (WxH, from 64x48 to 7680x5760)");
        }
        result_.settings.capture.width = width;
        result_.settings.capture.height = height;
        return true;
    }

    // Every word; stops at the first that ends parsing.
    void ParseAll() {
        const CommandLineOption* captureOnly = nullptr;  // the first capture option given
        for (; index_ < argc_; ++index_) {
            const std::string_view word = argv_[index_];
            if (word == "--") {
                // The rest is the program's own command line.
                for (int rest = index_ + 1; rest < argc_; ++rest) {
                    result_.programLine += (rest > index_ + 1 ? " " : "");
                    result_.programLine += argv_[rest];
                }
                break;
            }
            if (!Option(word)) {
                break;
            }
            if (captureOnly == nullptr && option_->group == OptionGroup::Capture) {
                captureOnly = option_;
            }
        }
        if (result_.run && captureOnly != nullptr && result_.settings.capture.output.empty()) {
            Fail("option '" + std::string(captureOnly->name) + "' needs '--capture'");
        }
        if (result_.run && !result_.settings.capture.output.empty()) {
            CaptureFits();
        }
    }

  private:
    // One option; false ends parsing (an error, or help and version done).
    bool Option(std::string_view word) {
        const char* inlineValue = nullptr;
        name_ = word;
        if (size_t equals = word.find('='); word.starts_with("--") && equals != std::string_view::npos) {
            name_ = word.substr(0, equals);
            inlineValue = argv_[index_] + equals + 1;
        }
        option_ = nullptr;
        for (const CommandLineOption& option : CommandLineOptions()) {
            if (name_ == option.name || (!option.alias.empty() && name_ == option.alias)) {
                option_ = &option;
            }
        }
        if (option_ == nullptr) {
            return Fail(word.starts_with("-") ? "unknown option '" + std::string(name_) + "'"
                                              : "unexpected argument '" + std::string(word) + "'");
        }
        if (option_->value.empty()) {
            if (inlineValue != nullptr) {
                return Fail("option '" + std::string(name_) + "' takes no value");
            }
            return option_->apply(*this, {});
        }
        std::string_view value;
        return Value(inlineValue, &value) && option_->apply(*this, value);
    }

    // The option's value: after '=' in the same word, or the next word unless
    // that is an option itself (a value that looks like one goes after '=').
    bool Value(const char* inlineValue, std::string_view* value) {
        if (inlineValue != nullptr) {
            *value = inlineValue;
            return true;
        }
        if (index_ + 1 >= argc_ || LooksLikeOption(argv_[index_ + 1])) {
            return Fail("option '" + std::string(name_) + "' needs a value" +
                        (index_ + 1 < argc_ ? " (a value beginning with '-' goes after '=': " +
                                                  std::string(name_) + "=" + argv_[index_ + 1] + ")"
                                            : std::string()));
        }
        *value = argv_[++index_];
        return true;
    }

    // What the chosen form can hold, checked once every option is known.
    bool CaptureFits() {
        const CaptureSettings& capture = result_.settings.capture;
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

    int argc_;
    const char* const* argv_;
    std::FILE* out_;
    std::FILE* err_;
    ParsedCommandLine result_;
    int index_ = 1;
    std::string_view name_;                      // the option as given, without its value
    const CommandLineOption* option_ = nullptr;  // the option being parsed
};

namespace {

std::string MakeUsage();

const std::string& Usage() {
    static const std::string usage = MakeUsage();
    return usage;
}

// The options in the order --help shows them within their group.
constexpr CommandLineOption OPTIONS[] = {
    {"--fullscreen", "", "", OptionGroup::Presenting,
     "fill the whole screen at the desktop's resolution\n"
     "(default)",
     [](OptionParser& p, std::string_view) { return p.Set(&p.Settings().windowed, false); }},
    {"--windowed", "", "", OptionGroup::Presenting, "show it in a 640 x 480 window that can be resized",
     [](OptionParser& p, std::string_view) { return p.Set(&p.Settings().windowed, true); }},
    {"--display", "", "N", OptionGroup::Presenting, "the monitor to use, counted from 0 (default 0)",
     [](OptionParser& p, std::string_view v) { return p.Number(v, 0, 63, &p.Settings().display); }},
    {"--renderer", "", "auto|gpu|software", OptionGroup::Presenting,
     "how frames reach the screen; auto (default) takes\n"
     "the GPU when its OpenGL is hardware-accelerated",
     [](OptionParser& p, std::string_view v) {
         return p.OneOf(v, {RendererChoice::Auto, RendererChoice::Gpu, RendererChoice::Software},
                        &p.Settings().renderer);
     }},
    {"--scale", "", "fit|integer", OptionGroup::Presenting,
     "fit (default): the largest 4:3 picture the screen\n"
     "holds; integer: the largest whole multiple of\n"
     "640 x 480, crisp",
     [](OptionParser& p, std::string_view v) {
         return p.OneOf(v, {ScaleChoice::Fit, ScaleChoice::Integer}, &p.Settings().scale);
     }},
    {"--filter", "", "nearest|linear", OptionGroup::Presenting,
     "how pixels are scaled (default: nearest at whole\n"
     "scales, linear otherwise)",
     [](OptionParser& p, std::string_view v) {
         return p.OneOf(v, {FilterChoice::Nearest, FilterChoice::Linear}, &p.Settings().filter);
     }},
    {"--no-sound", "", "", OptionGroup::Sound, "run without sound",
     [](OptionParser& p, std::string_view) { return p.Set(&p.Settings().sound, false); }},
    {"--volume", "", "N", OptionGroup::Sound, "output level from 0 to 100 (default 100)",
     [](OptionParser& p, std::string_view v) { return p.Number(v, 0, 100, &p.Settings().volume); }},
    {"--capture", "", "OUT", OptionGroup::Capture,
     "render the intro on a virtual clock into OUT:\n"
     "OUT.mkv lossless (FFV1 and FLAC), OUT.mp4 for video\n"
     "sites (H.264 and AAC), or a folder OUT/ of PNG frames\n"
     "and audio.wav",
     [](OptionParser& p, std::string_view v) { return p.CaptureOutput(v); }},
    {"--fps", "", "N", OptionGroup::Capture, "frames a second, 1 to 240 (default 50)",
     [](OptionParser& p, std::string_view v) { return p.Number(v, 1, 240, &p.Settings().capture.fps); }},
    {"--seconds", "", "S", OptionGroup::Capture, "how long, 1 to 86400 (default 100: the song once)",
     [](OptionParser& p, std::string_view v) {
         return p.Number(v, 1, 86400, &p.Settings().capture.seconds);
     }},
    {"--size", "", "WxH", OptionGroup::Capture,
     "picture size, 64x48 to 7680x5760 (default 640x480),\n"
     "scaled as on a screen of that size",
     [](OptionParser& p, std::string_view v) { return p.Size(v); }},
    {"--quiet", "", "", OptionGroup::Capture, "no progress on standard error",
     [](OptionParser& p, std::string_view) { return p.Set(&p.Settings().capture.quiet, true); }},
    {"--overwrite", "", "", OptionGroup::Capture,
     "replace an existing file (or a folder of an\n"
     "earlier capture) under the name OUT",
     [](OptionParser& p, std::string_view) { return p.Set(&p.Settings().capture.overwrite, true); }},
    {"--verbose", "", "", OptionGroup::Other, "say on standard error what was chosen and why",
     [](OptionParser& p, std::string_view) { return p.Set(&p.Settings().verbose, true); }},
    {"--help", "-h", "", OptionGroup::Other, "show this help and exit",
     [](OptionParser& p, std::string_view) { return p.Say(Usage().c_str()); }},
    {"--version", "", "", OptionGroup::Other, "show the version and exit",
     [](OptionParser& p, std::string_view) { return p.Say("trelk " TRELK_VERSION "\n"); }},
};

// --help: the options by group, each with its words from HELP_COLUMN on (on
// a line of their own after a long option).
std::string MakeUsage() {
    std::string usage = USAGE_HEAD;
    for (const GroupHeading& heading : GROUP_HEADINGS) {
        usage += heading.heading;
        usage += '\n';
        for (const CommandLineOption& option : OPTIONS) {
            if (option.group != heading.group) {
                continue;
            }
            std::string line = "  ";
            if (!option.alias.empty()) {
                line.append(option.alias).append(", ");
            }
            line.append(option.name);
            if (!option.value.empty()) {
                line.append(" ").append(option.value);
            }
            if (line.size() + 2 > HELP_COLUMN) {
                line.append("\n").append(HELP_COLUMN, ' ');
            } else {
                line.append(HELP_COLUMN - line.size(), ' ');
            }
            for (char c : option.help) {
                line += c;
                if (c == '\n') {
                    line.append(HELP_COLUMN, ' ');
                }
            }
            usage.append(line).append("\n");
        }
        usage += '\n';
    }
    return usage + USAGE_TAIL;
}

}  // namespace

std::span<const CommandLineOption> CommandLineOptions() { return OPTIONS; }

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
    OptionParser parser(argc, argv, out, err);
    parser.ParseAll();
    return parser.Result();
}

const char* UsageText() { return Usage().c_str(); }

const char* VersionText() { return TRELK_VERSION; }
