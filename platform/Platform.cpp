// Holds the installed platform services.
#include "platform/Platform.h"

#include <stdexcept>

namespace platform {
namespace {
IClock* g_clock = nullptr;
IProfile* g_profile = nullptr;
IUi* g_ui = nullptr;
ITray* g_tray = nullptr;
IPrograms* g_programs = nullptr;
ISound* g_sound = nullptr;
IRegistry* g_registry = nullptr;
IFileSystem* g_files = nullptr;
IBlockingSockets* g_blockingSockets = nullptr;
IHttps* g_https = nullptr;
ICrypto* g_crypto = nullptr;
std::string g_exePath;

template <class T>
T& Need(T* p, const char* what) {
    if (!p) throw std::logic_error(std::string("platform service not installed: ") + what);
    return *p;
}
}  // namespace

IClock& Clock() { return Need(g_clock, "clock"); }
IProfile& Profile() { return Need(g_profile, "profile"); }
IUi& Ui() { return Need(g_ui, "ui"); }
ITray& Tray() { return Need(g_tray, "tray"); }
IPrograms& Programs() { return Need(g_programs, "programs"); }
ISound& Sound() { return Need(g_sound, "sound"); }
IRegistry& Registry() { return Need(g_registry, "registry"); }
IFileSystem& Files() { return Need(g_files, "file system"); }
IBlockingSockets& SystemBlockingSockets() { return Need(g_blockingSockets, "blocking sockets"); }
IHttps& Https() { return Need(g_https, "https"); }
ICrypto& Crypto() { return Need(g_crypto, "crypto"); }
void SetClock(IClock* c) { g_clock = c; }
void SetProfile(IProfile* p) { g_profile = p; }
void SetUi(IUi* u) { g_ui = u; }
void SetTray(ITray* t) { g_tray = t; }
void SetPrograms(IPrograms* p) { g_programs = p; }
void SetSound(ISound* s) { g_sound = s; }
void SetRegistry(IRegistry* r) { g_registry = r; }
void SetFiles(IFileSystem* f) { g_files = f; }
void SetBlockingSockets(IBlockingSockets* s) { g_blockingSockets = s; }
void SetHttps(IHttps* h) { g_https = h; }
void SetCrypto(ICrypto* c) { g_crypto = c; }
std::string ExePath() { return g_exePath; }
void SetExePath(const std::string& path) { g_exePath = path; }
}  // namespace platform
