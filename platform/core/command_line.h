// The intro's command line: the stand-in's options, parsed once before WinMain.
// Platform-internal. Main thread, before anything else runs.
#pragma once

#include <cstdio>
#include <span>
#include <string>
#include <string_view>

#include "platform/core/stand_in_settings.h"

// Exit codes of the process.
constexpr int EXIT_CODE_OK = 0;
constexpr int EXIT_CODE_FAILED = 1;      // could not run: no display, no such monitor, nothing to present on
constexpr int EXIT_CODE_BAD_USAGE = 64;  // as sysexits.h's EX_USAGE

struct ParsedCommandLine {
    bool run = false;  // false: end at once with exitCode (help, version, bad usage)
    int exitCode = EXIT_CODE_OK;
    StandInSettings settings;
    std::string programLine;  // what follows "--", for WinMain
};

// Where an option applies: its heading in --help. Every capture option but
// --capture itself needs --capture.
enum class OptionGroup { Presenting, Sound, Capture, Other };

class OptionParser;  // command_line.cpp

// One option. The table of them is the parser's and --help's one source; the
// manual page is checked against --help.
struct CommandLineOption {
    std::string_view name;   // "--volume"
    std::string_view alias;  // another spelling ("-h"), or empty
    std::string_view value;  // the value's placeholder ("N", "fit|integer"); empty for a flag
    OptionGroup group;
    // Its lines in --help as shown from the help column, joined by '\n'.
    std::string_view help;
    // Takes the value (empty for a flag); false ends parsing (bad usage, or
    // help and version done).
    bool (*apply)(OptionParser& parser, std::string_view value);
};

std::span<const CommandLineOption> CommandLineOptions();

// Parses argv[1..]. Help and version go to `out`, a bad option or value to
// `err` in one line followed by the usage hint.
ParsedCommandLine ParseCommandLine(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

// The text of --help.
const char* UsageText();
// The version, from the build.
const char* VersionText();
