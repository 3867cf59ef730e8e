// Fuzz targets of the Win32-only parsers, run by w32fuzz.exe (W32Fuzz.cpp) under Wine,
// where libFuzzer is not available. A target takes one input and returns what bound it
// broke, or an empty text; a crash, an escaping exception or a hang is caught by the runner.
#pragma once
#include <cstddef>
#include <string>

namespace w32fuzz {
struct Target {
    const char* name;  // also the seed folder's name, tests/fuzz/corpus/<name>
    size_t maxLen;     // mutated inputs are cut to this length
    std::string (*run)(const std::string& input);
};

std::string RunCharset(const std::string& input);
std::string RunTls(const std::string& input);
}  // namespace w32fuzz
