// The folder-identity seam's installation; see FolderIdentity.h.
#include "platform/FolderIdentity.h"

namespace platform {
namespace {
IFolderIdentity* g_identity = nullptr;
}

IFolderIdentity* FolderIdentity() { return g_identity; }
void SetFolderIdentity(IFolderIdentity* identity) { g_identity = identity; }
std::string FolderIdentityOf(const std::string& folder) { return g_identity ? g_identity->Of(folder) : folder; }
}  // namespace platform
