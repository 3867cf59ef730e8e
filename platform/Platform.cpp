// Holds the installed platform services.
#include "platform/Platform.h"

#include <cstdlib>
#include <stdexcept>

namespace platform {
namespace {
IClock* g_clock = nullptr;
IProfile* g_profile = nullptr;
IUi* g_ui = nullptr;
IShell* g_shell = nullptr;
IRegistry* g_registry = nullptr;
IFileSystem* g_files = nullptr;
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
IShell& Shell() { return Need(g_shell, "shell"); }
IRegistry& Registry() { return Need(g_registry, "registry"); }
IFileSystem& Files() { return Need(g_files, "file system"); }
void SetClock(IClock* c) { g_clock = c; }
void SetProfile(IProfile* p) { g_profile = p; }
void SetUi(IUi* u) { g_ui = u; }
void SetShell(IShell* s) { g_shell = s; }
void SetRegistry(IRegistry* r) { g_registry = r; }
void SetFiles(IFileSystem* f) { g_files = f; }
std::string ExePath() { return g_exePath; }
void SetExePath(const std::string& path) { g_exePath = path; }
}  // namespace platform
