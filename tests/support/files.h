// Whole files read for the tests, and the progress log the program writes to
// "debug.log" in the test's working directory.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// Empty when the file cannot be read.
inline std::string ReadFileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path) {
    const std::string text = ReadFileText(path);
    return {text.begin(), text.end()};
}

inline void ClearDebugLog() { std::remove("debug.log"); }

inline std::string DebugLogText() { return ReadFileText("debug.log"); }

inline std::vector<std::string> DebugLogLines() {
    std::vector<std::string> lines;
    std::ifstream file("debug.log");
    for (std::string line; std::getline(file, line);) {
        lines.push_back(line);
    }
    return lines;
}
