// The platform services of the record in force, each checked for presence.
#include "platform/Platform.h"

#include <stdexcept>

namespace platform {
namespace {
template <class T>
T& Need(T* p, const char* what) {
    if (!p) throw std::logic_error(std::string("platform service not installed: ") + what);
    return *p;
}
}  // namespace

IClock& Clock() { return Need(Installed().clock, "clock"); }
IProfile& Profile() { return Need(Installed().profile, "profile"); }
IUi& Ui() { return Need(Installed().ui, "ui"); }
ITray& Tray() { return Need(Installed().tray, "tray"); }
IPrograms& Programs() { return Need(Installed().programs, "programs"); }
ISound& Sound() { return Need(Installed().sound, "sound"); }
IRegistry& Registry() { return Need(Installed().registry, "registry"); }
IFileSystem& Files() { return Need(Installed().files, "file system"); }
IBlockingSockets& SystemBlockingSockets() { return Need(Installed().blockingSockets, "blocking sockets"); }
IHttps& Https() { return Need(Installed().https, "https"); }
ICrypto& Crypto() { return Need(Installed().crypto, "crypto"); }
std::string ExePath() { return Installed().exePath; }
}  // namespace platform
