// Internet shortcut (.URL) files of the favorites folder.
#include <cstdint>
#include <filesystem>
#include <string>

#include "tests/fuzz/FuzzPlatform.h"
#include "widgets/wwwbtn97.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Platform& p = fuzz::Installed();
    static const std::string folder = [&] {
        std::string f = p.dir + "/favorites";
        std::filesystem::create_directories(f);
        return f;
    }();
    std::string path = folder + "/site.url";
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), std::streamsize(size));
    ScanFavorites(p.dir, folder);
    return 0;
}
