#include "platform/win32/command_line.h"

#include <charconv>
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
    "Other:\n"
    "  --verbose                 say on standard error what was chosen and why\n"
    "  -h, --help                show this help and exit\n"
    "  --version                 show the version and exit\n"
    "\n"
    "Keys: Escape ends the intro; Alt+Enter switches between full screen and a\n"
    "window.\n"
    "Exit status: 0 when it ends normally, 1 when it cannot run (no display, no\n"
    "such monitor), 64 on bad usage.\n";

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

    // The option's value: after '=' in the same word, or the next word.
    bool Value(std::string_view name, const char* inlineValue, std::string_view* value) {
        if (inlineValue != nullptr) {
            *value = inlineValue;
            return true;
        }
        if (index + 1 >= argc) {
            return Fail("option '" + std::string(name) + "' needs a value");
        }
        *value = argv[++index];
        return true;
    }

    bool Number(std::string_view name, std::string_view text, int low, int high, int* number) {
        int parsed = 0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
        if (error != std::errc() || end != text.data() + text.size() || parsed < low || parsed > high) {
            return Fail("invalid value '" + std::string(text) + "' for '" + std::string(name) + "' (a whole number from " +
                        std::to_string(low) + " to " + std::to_string(high) + ")");
        }
        *number = parsed;
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
        return Fail("invalid value '" + std::string(text) + "' for '" + std::string(name) + "' (one of: " + names + ")");
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
        if (name == "--display") return Value(name, inlineValue, &value) && Number(name, value, 0, 63, &settings.display);
        if (name == "--volume") return Value(name, inlineValue, &value) && Number(name, value, 0, 100, &settings.volume);
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
                   OneOf<ScaleChoice>(name, value, {{"fit", ScaleChoice::Fit}, {"integer", ScaleChoice::Integer}},
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
    }
    return parser.result;
}

const char* UsageText() { return USAGE; }

const char* VersionText() { return TRELK_VERSION; }
