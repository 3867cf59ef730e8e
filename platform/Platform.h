// The platform services in force (see platform/Services.h for installing them). Each
// accessor returns the installed service and throws std::logic_error when there is none.
// The Set functions replace one service, for tests that swap a single one.
#pragma once
#include "platform/BlockingSocket.h"
#include "platform/Clock.h"
#include "platform/Crypto.h"
#include "platform/FileSystem.h"
#include "platform/Https.h"
#include "platform/Profile.h"
#include "platform/Programs.h"
#include "platform/Registry.h"
#include "platform/Services.h"
#include "platform/Sound.h"
#include "platform/Tray.h"
#include "platform/Ui.h"

namespace platform {
IClock& Clock();
IProfile& Profile();
IUi& Ui();
ITray& Tray();
IPrograms& Programs();
ISound& Sound();
IRegistry& Registry();
IFileSystem& Files();
IHttps& Https();
ICrypto& Crypto();
void SetClock(IClock* c);
void SetProfile(IProfile* p);
void SetUi(IUi* u);
void SetTray(ITray* t);
void SetPrograms(IPrograms* p);
void SetSound(ISound* s);
void SetRegistry(IRegistry* r);
void SetFiles(IFileSystem* f);
void SetBlockingSockets(IBlockingSockets* s);
void SetHttps(IHttps* h);
void SetCrypto(ICrypto* c);
// The full path of the running program (where the settings file lives beside it).
std::string ExePath();
void SetExePath(const std::string& path);
}  // namespace platform
