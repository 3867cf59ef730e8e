// Start with Windows: a value in the system's Run key (every logon) or RunOnce key (next
// logon only), for the current user or for the whole machine, that starts the program.
#pragma once
#include <string>

#include "core/Classes.h"
#include "platform/Registry.h"

class TAutostart : public TComponent {
public:
    enum TKind { Run, RunOnce };
    explicit TAutostart(TComponent* owner);

    // The registry value's name; renaming moves the existing values to the new name.
    const std::string& appName() const { return name_; }
    void SetAppName(const std::string& name);
    // Whether a Run value exists under the chosen root; writing registers or removes it.
    bool autostart();
    void SetAutostart(bool v);
    // The same for the RunOnce key.
    bool StartNextLogon();
    void SetStartNextLogon(bool v);
    // The machine root (true) or the current user's (false). Asking for the machine root
    // first checks that it is writable; the values move to the chosen root.
    bool Global() const { return global_; }
    void SetGlobal(bool v);
    // Command-line text written after the program's path.
    std::string Parameters;

    // Whether the program may be started by every user of the machine: false when it lives
    // in the current user's own folders (profile, roaming or local application data), as a
    // per-user installation puts it.
    static bool ForEveryUser();

    static const char* const kRunKey;
    static const char* const kRunOnceKey;
    static const char* const kProbeKey;
    // The value's data: the program's path in quotes, a space, the parameters.
    std::string Command() const;

private:
    bool HasRunEntry(TKind kind, bool machine);
    bool SetRunEntry(TKind kind, bool machine, bool state);
    std::string name_;
    bool autostart_ = false, nextLogon_ = false, global_ = false;
};

// The first write after program start leaves the Run entry as it finds it (shared by all
// instances). Puts that rule back in force, as at program start.
void ResetAutostartFirstWrite();
