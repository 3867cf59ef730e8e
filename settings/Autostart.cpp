// Start with Windows; see Autostart.h.
#include "settings/Autostart.h"

#include "core/SysUtils.h"
#include "platform/Platform.h"
#include "widgets/Forms.h"

const char* const TAutostart::kRunKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const TAutostart::kRunOnceKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const char* const TAutostart::kProbeKey = "\\Software\\Velmora\\test\\";

namespace {
bool g_firstWritePending = true;

TRootKey RootFor(bool machine) { return machine ? TRootKey::LocalMachine : TRootKey::CurrentUser; }
const char* KeyOf(TAutostart::TKind kind) {
    return kind == TAutostart::Run ? TAutostart::kRunKey : TAutostart::kRunOnceKey;
}
}  // namespace

namespace {
// Whether path lies inside folder (names without regard to case, either slash).
bool Inside(std::string path, std::string folder) {
    for (std::string* t : {&path, &folder})
        for (char& c : *t)
            if (c == '/') c = '\\';
    while (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return !folder.empty() && path.size() > folder.size() && path[folder.size()] == '\\' &&
           SameText(path.substr(0, folder.size()), folder);
}
}  // namespace

bool TAutostart::ForEveryUser() {
    // The shell's record of the user's folders, and the logon's copy of the profile's
    // variables (absent on older systems).
    static const struct {
        const char *key, *value;
    } folders[] = {
        {"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Local AppData"},
        {"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "AppData"},
        {"Volatile Environment", "LOCALAPPDATA"},
        {"Volatile Environment", "APPDATA"},
        {"Volatile Environment", "USERPROFILE"},
    };
    const std::string exe = platform::ExePath();
    for (const auto& f : folders) {
        std::string folder;
        if (platform::Registry().ReadString(TRootKey::CurrentUser, f.key, f.value, folder) && Inside(exe, folder))
            return false;
    }
    return true;
}

void ResetAutostartFirstWrite() { g_firstWritePending = true; }

TAutostart::TAutostart(TComponent* owner) : TComponent(owner), name_(Application().Title() + "#Autostart") {}

std::string TAutostart::Command() const { return "\"" + platform::ExePath() + "\" " + Parameters; }

bool TAutostart::HasRunEntry(TKind kind, bool machine) {
    if (name_.empty()) return false;
    std::string data;
    return platform::Registry().ReadString(RootFor(machine), KeyOf(kind), name_, data) && !data.empty();
}

bool TAutostart::SetRunEntry(TKind kind, bool machine, bool state) {
    if (g_firstWritePending) {
        g_firstWritePending = false;
        state = HasRunEntry(Run, global_);
    }
    if (name_.empty()) return false;
    IRegistry& reg = platform::Registry();
    if (!reg.OpenKey(RootFor(machine), KeyOf(kind), true)) return false;
    if (state) {
        reg.WriteString(RootFor(machine), KeyOf(kind), name_, Command());
        return true;
    }
    reg.DeleteValue(RootFor(machine), KeyOf(kind), name_);
    return false;
}

bool TAutostart::autostart() { return autostart_ = HasRunEntry(Run, global_); }
void TAutostart::SetAutostart(bool v) { autostart_ = SetRunEntry(Run, global_, v); }
bool TAutostart::StartNextLogon() { return nextLogon_ = HasRunEntry(RunOnce, global_); }
void TAutostart::SetStartNextLogon(bool v) { nextLogon_ = SetRunEntry(RunOnce, global_, v); }

void TAutostart::SetGlobal(bool value) {
    IRegistry& reg = platform::Registry();
    if (value) {
        // Only a writable machine root will do; the parent key of the probe stays.
        if (reg.OpenKey(TRootKey::LocalMachine, kProbeKey, true)) reg.DeleteKey(TRootKey::LocalMachine, kProbeKey);
        else value = false;
    }
    if (value == global_) return;
    for (TKind kind : {Run, RunOnce}) {
        std::string data;
        if (name_.empty() || !reg.ReadString(RootFor(global_), KeyOf(kind), name_, data) || data.empty()) continue;
        if (reg.WriteString(RootFor(value), KeyOf(kind), name_, data)) reg.DeleteValue(RootFor(global_), KeyOf(kind), name_);
    }
    global_ = value;
}

void TAutostart::SetAppName(const std::string& name) {
    if (SameText(name, name_)) return;
    IRegistry& reg = platform::Registry();
    struct Noted {
        TKind kind;
        bool machine;
        std::string data;
        bool present;
    } places[] = {{Run, false, "", false}, {Run, true, "", false}, {RunOnce, false, "", false}, {RunOnce, true, "", false}};
    for (Noted& p : places)
        p.present = !name_.empty() && reg.ReadString(RootFor(p.machine), KeyOf(p.kind), name_, p.data) && !p.data.empty();
    for (Noted& p : places)
        if (p.present) reg.DeleteValue(RootFor(p.machine), KeyOf(p.kind), name_);
    name_ = name;
    for (Noted& p : places)
        if (p.present && !name_.empty()) reg.WriteString(RootFor(p.machine), KeyOf(p.kind), name_, p.data);
    autostart();
    StartNextLogon();
}
