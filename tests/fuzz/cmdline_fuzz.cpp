// Splitting a configured command line into program and parameters.
#include <cstdint>
#include <string>

#include "app/Main_F.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string line(reinterpret_cast<const char*>(data), size), program, params;
    SplitCommandLine(line, program, params);
    if (program.size() + params.size() > line.size()) __builtin_trap();
    return 0;
}
