// "debug.log" of the test's working directory, line by line.
#pragma once

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

inline void ClearLog() { std::remove("debug.log"); }

inline std::vector<std::string> LogLines() {
    std::vector<std::string> lines;
    std::ifstream file("debug.log");
    for (std::string line; std::getline(file, line);) {
        lines.push_back(line);
    }
    return lines;
}
