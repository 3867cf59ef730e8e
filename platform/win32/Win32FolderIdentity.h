// Folder identities on Windows: the volume's serial number and the folder's file index, the
// same through every link or junction that leads to the folder.
#pragma once
#include "platform/FolderIdentity.h"

namespace win32 {
class FolderIdentity : public IFolderIdentity {
public:
    std::string Of(const std::string& folder) override;
};
}  // namespace win32
