// The intro's command line: the stand-in's options, parsed once before WinMain.
// Platform-internal. Main thread, before anything else runs.
#pragma once

#include <cstdio>
#include <string>

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

// Parses argv[1..]. Help and version go to `out`, a bad option or value to
// `err` in one line followed by the usage hint.
ParsedCommandLine ParseCommandLine(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

// The text of --help.
const char* UsageText();
// The version, from the build.
const char* VersionText();
