// Runs an asset generator into a fresh temporary folder and reads back what it
// wrote, so that tests can compare it with the committed asset byte for byte.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace trelk::test {

inline std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct GeneratorRun {
  int exitCode = -1;
  std::vector<std::uint8_t> output;
};

// Runs `generator OUTPUT` with OUTPUT inside a new temporary folder, then
// removes the folder. exitCode is -1 if the program could not be run.
inline GeneratorRun RunGenerator(const std::string& generator, const std::string& fileName) {
  GeneratorRun run;
  std::string pattern = (std::filesystem::temp_directory_path() / "asset-gen-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return run;
  const std::filesystem::path folder = pattern;
  const std::string output = (folder / fileName).string();
  const pid_t child = fork();
  if (child == 0) {
    execl(generator.c_str(), generator.c_str(), output.c_str(), static_cast<char*>(nullptr));
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
