// Canonical paths through the standard library; see DiskFolderIdentity.h.
#include "platform/headless/DiskFolderIdentity.h"

#include <filesystem>

namespace headless {
std::string DiskFolderIdentity::Of(const std::string& folder) {
    std::error_code ec;
    std::filesystem::path real = std::filesystem::canonical(folder, ec);
    return ec ? folder : real.string();
}
}  // namespace headless
