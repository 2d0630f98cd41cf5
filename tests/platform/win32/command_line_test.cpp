#include "platform/core/command_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Outcome {
    ParsedCommandLine parsed;
    std::string out;
    std::string err;
};

Outcome Parse(const std::vector<const char*>& options) {
    std::vector<const char*> words(options.size() + 1, "trelk");
    std::copy(options.begin(), options.end(), words.begin() + 1);
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    Outcome outcome{ParseCommandLine(static_cast<int>(words.size()), words.data(), out, err), {}, {}};
    for (auto [file, text] : {std::pair{out, &outcome.out}, std::pair{err, &outcome.err}}) {
        std::rewind(file);
        for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
            text->push_back(static_cast<char>(c));
        }
        std::fclose(file);
    }
    return outcome;
}

TEST(CommandLine, NoArgumentsRunWithTheDefaults) {
    Outcome outcome = Parse({});
    EXPECT_TRUE(outcome.parsed.run);
    const StandInSettings& s = outcome.parsed.settings;
    EXPECT_EQ(s.renderer, RendererChoice::Auto);
    EXPECT_EQ(s.scale, ScaleChoice::Fit);
    EXPECT_EQ(s.filter, FilterChoice::Auto);
    EXPECT_FALSE(s.windowed);
    EXPECT_EQ(s.display, 0);
    EXPECT_TRUE(s.sound);
    EXPECT_EQ(s.volume, 100);
    EXPECT_FALSE(s.verbose);
    EXPECT_TRUE(outcome.out.empty() && outcome.err.empty());
}

TEST(CommandLine, EveryOptionInBothSpellings) {
    for (bool inlineValues : {false, true}) {
        std::vector<std::string> words = {"--renderer", "software",  "--scale", "integer",  "--filter",
                                          "linear",     "--display", "2",       "--volume", "35"};
        std::vector<std::string> joined;
        for (size_t i = 0; i < words.size(); i += 2) {
            if (inlineValues) {
                joined.push_back(words[i] + "=" + words[i + 1]);
            } else {
                joined.push_back(words[i]);
                joined.push_back(words[i + 1]);
            }
        }
        std::vector<const char*> argv = {"--windowed", "--no-sound", "--verbose"};
        for (const std::string& word : joined) argv.push_back(word.c_str());
        Outcome outcome = Parse(argv);
        ASSERT_TRUE(outcome.parsed.run) << outcome.err;
        const StandInSettings& s = outcome.parsed.settings;
        EXPECT_EQ(s.renderer, RendererChoice::Software);
        EXPECT_EQ(s.scale, ScaleChoice::Integer);
        EXPECT_EQ(s.filter, FilterChoice::Linear);
        EXPECT_EQ(s.display, 2);
        EXPECT_EQ(s.volume, 35);
        EXPECT_TRUE(s.windowed && s.verbose && !s.sound);
    }
    EXPECT_FALSE(Parse({"--windowed", "--fullscreen"}).parsed.settings.windowed);
    EXPECT_EQ(Parse({"--renderer", "gpu", "--filter", "nearest"}).parsed.settings.renderer,
              RendererChoice::Gpu);
}

TEST(CommandLine, HelpAndVersionPrintAndEndWithZero) {
    for (const char* word : {"-h", "--help"}) {
        Outcome outcome = Parse({"--windowed", word, "--bogus"});
        EXPECT_FALSE(outcome.parsed.run);
        EXPECT_EQ(outcome.parsed.exitCode, EXIT_CODE_OK);
        EXPECT_EQ(outcome.out, UsageText());
        EXPECT_TRUE(outcome.err.empty());
    }
    Outcome version = Parse({"--version"});
    EXPECT_FALSE(version.parsed.run);
    EXPECT_EQ(version.out, std::string("trelk ") + VersionText() + "\n");
}

TEST(CommandLine, BadUsageIsOneLineAndTheHintWithExit64) {
    const std::vector<std::vector<const char*>> bad = {
        {"--bogus"},
        {"stray"},
        {"--renderer"},
        {"--renderer", "vulkan"},
        {"--scale=stretch"},
        {"--filter", ""},
        {"--display", "-1"},
        {"--display", "x"},
        {"--display", "64"},
        {"--volume", "101"},
        {"--volume", "5O"},
        {"--volume="},
        {"--windowed=yes"},
        {"-x"},
        {"--help=foo"},
        {"--version=1"},
        {"--capture", "--fps", "25"},  // an option is never another's value
        {"--size", "100x75", "--capture=a.mp4"},
        {"--seconds", "24348", "--capture=a/"},
        {"--overwrite"},
    };
    for (const auto& words : bad) {
        Outcome outcome = Parse(words);
        EXPECT_FALSE(outcome.parsed.run) << words[0];
        EXPECT_EQ(outcome.parsed.exitCode, EXIT_CODE_BAD_USAGE) << words[0];
        EXPECT_TRUE(outcome.out.empty());
        ASSERT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 2) << outcome.err;
        EXPECT_EQ(outcome.err.rfind("trelk: ", 0), 0u) << outcome.err;
        EXPECT_NE(outcome.err.find(std::string(words[0]).substr(0, std::string(words[0]).find('='))),
                  std::string::npos)
            << "names the option: " << outcome.err;
        EXPECT_NE(outcome.err.find("--help"), std::string::npos);
    }
}

// What the table of options promises for each one: --help shows it with its
// value's placeholder, a flag refuses a value, an option with a value refuses
// to go without one, and a capture flag needs --capture.
TEST(CommandLine, EveryOptionOfTheTableKeepsItsForm) {
    const std::string usage = UsageText();
    for (const CommandLineOption& option : CommandLineOptions()) {
        const std::string name(option.name);
        const std::string shown = name + (option.value.empty() ? "" : " " + std::string(option.value));
        EXPECT_TRUE(usage.find(" " + shown + " ") != std::string::npos ||
                    usage.find(" " + shown + "\n") != std::string::npos)
            << shown;
        Outcome bare = Parse({name.c_str()});
        if (!option.value.empty()) {
            EXPECT_NE(bare.err.find("'" + name + "' needs a value"), std::string::npos) << bare.err;
            continue;
        }
        const std::string given = name + "=1";
        EXPECT_NE(Parse({given.c_str()}).err.find("'" + name + "' takes no value"), std::string::npos)
            << name;
        if (option.group == OptionGroup::Capture) {
            EXPECT_NE(bare.err.find("'" + name + "' needs '--capture'"), std::string::npos) << bare.err;
        }
    }
}

TEST(CommandLine, CaptureOptionsTheFormCanHold) {
    Outcome odd = Parse({"--capture", "a.mp4", "--size", "301x225"});
    EXPECT_NE(odd.err.find("--size 300x224"), std::string::npos)
        << "names the nearest even size: " << odd.err;
    for (const std::vector<const char*>& words :
         {std::vector<const char*>{"--capture", "a.mkv", "--size", "301x225", "--overwrite"},
          {"--capture", "a/", "--seconds", "24347"},
          {"--capture=--fps", "--volume", "-0"}}) {
        Outcome outcome = Parse(words);
        EXPECT_TRUE(outcome.parsed.run) << outcome.err;
    }
    EXPECT_TRUE(Parse({"--capture", "a.mkv", "--overwrite"}).parsed.settings.capture.overwrite);
    EXPECT_EQ(Parse({"--capture=--fps"}).parsed.settings.capture.output, "--fps");
}

TEST(CommandLine, EverythingAfterDoubleDashGoesToTheProgram) {
    Outcome outcome = Parse({"--verbose", "--", "--bogus", "two"});
    EXPECT_TRUE(outcome.parsed.run);
    EXPECT_EQ(outcome.parsed.programLine, "--bogus two");
}

}  // namespace
