// Two independent module players, when installed, read the song without a
// warning and see what it is: four channels, nine samples. Skipped when the
// players are missing.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace songtest {
namespace {

bool OnPath(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

struct Outcome {
    int exitCode = -1;
    std::string output;  // standard output and error together
};

Outcome RunCommand(const std::string& command) {
    Outcome outcome;
    std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return outcome;
    char buffer[512];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) outcome.output.append(buffer, got);
    const int status = pclose(pipe);
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

void ExpectCleanLoad(const Outcome& outcome) {
    EXPECT_EQ(outcome.exitCode, 0) << outcome.output;
    const std::string text = Lower(outcome.output);
    EXPECT_EQ(text.find("warning"), std::string::npos) << outcome.output;
    EXPECT_EQ(text.find("error"), std::string::npos) << outcome.output;
    EXPECT_EQ(text.find("unable"), std::string::npos) << outcome.output;
}

TEST(SongInOtherPlayers, OpenMptReadsItWithoutWarnings) {
    if (!OnPath("openmpt123")) GTEST_SKIP() << "openmpt123 is not installed";
    const Outcome outcome = RunCommand(std::string("openmpt123 --info --verbose '") + SONG_XM_PATH + "'");
    ExpectCleanLoad(outcome);
    EXPECT_NE(outcome.output.find("Channels...: 4"), std::string::npos) << outcome.output;
    EXPECT_NE(outcome.output.find("Samples....: 9"), std::string::npos) << outcome.output;
    EXPECT_NE(outcome.output.find("Type.......: xm"), std::string::npos) << outcome.output;
}

TEST(SongInOtherPlayers, XmpLoadsItWithoutWarnings) {
    if (!OnPath("xmp")) GTEST_SKIP() << "xmp is not installed";
    const Outcome outcome = RunCommand(std::string("xmp --load-only '") + SONG_XM_PATH + "'");
    ExpectCleanLoad(outcome);
    EXPECT_NE(outcome.output.find("Channels     : 4"), std::string::npos) << outcome.output;
    EXPECT_NE(outcome.output.find("Samples      : 9"), std::string::npos) << outcome.output;
    EXPECT_NE(outcome.output.find("XM 1.04"), std::string::npos) << outcome.output;
}

}  // namespace
}  // namespace songtest
