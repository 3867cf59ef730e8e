// Folder identities on the machine the tests run on: the canonical path, links resolved.
#pragma once
#include "platform/FolderIdentity.h"

namespace headless {
class DiskFolderIdentity : public IFolderIdentity {
public:
    std::string Of(const std::string& folder) override;
};
}  // namespace headless
