// The platform services in force. The program's entry installs the Win32 backends; a test
// installs headless ones. Each accessor returns the installed service.
#pragma once
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/Ui.h"

namespace platform {
IClock& Clock();
IProfile& Profile();
IUi& Ui();
IShell& Shell();
IRegistry& Registry();
IFileSystem& Files();
void SetClock(IClock* c);
void SetProfile(IProfile* p);
void SetUi(IUi* u);
void SetShell(IShell* s);
void SetRegistry(IRegistry* r);
void SetFiles(IFileSystem* f);
// The full path of the running program (where the settings file lives beside it).
std::string ExePath();
void SetExePath(const std::string& path);
}  // namespace platform
