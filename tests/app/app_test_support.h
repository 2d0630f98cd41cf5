// Helpers shared by the application tests.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

inline std::string ReadFile(const char* path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}
