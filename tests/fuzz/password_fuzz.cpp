// Password unscrambling of whatever the settings file holds, and the scrambling round trip.
#include <cstdint>
#include <string>

#include "settings/Ini.h"
#include "tests/fuzz/FuzzPlatform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Installed();
    std::string text(reinterpret_cast<const char*>(data), size);
    UnscramblePassword(text);
    std::string clear = text.substr(0, 255);
    if (UnscramblePassword(ScramblePassword(clear)) != clear) __builtin_trap();
    return 0;
}
