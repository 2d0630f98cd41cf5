// Runs an asset generator into a fresh temporary folder and reads back what it
// wrote, so that tests can compare it with the committed asset byte for byte.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/files.h"

namespace trelk::test {

struct GeneratorRun {
    int exitCode = -1;
    std::vector<std::uint8_t> output;
};

// Runs `generator [ARGUMENT]... OUTPUT` with OUTPUT inside a new temporary
// folder, then removes the folder. exitCode is -1 if the program could not be run.
inline GeneratorRun RunGenerator(const std::string& generator, const std::string& fileName,
                                 const std::vector<std::string>& arguments = {}) {
    GeneratorRun run;
    std::string pattern = (std::filesystem::temp_directory_path() / "asset-gen-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return run;
    const std::filesystem::path folder = pattern;
    const std::string output = (folder / fileName).string();
    std::vector<char*> argv{const_cast<char*>(generator.c_str())};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(const_cast<char*>(output.c_str()));
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        execv(generator.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) {
        run.exitCode = WEXITSTATUS(status);
        run.output = ReadFileBytes(output);
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return run;
}

}  // namespace trelk::test
