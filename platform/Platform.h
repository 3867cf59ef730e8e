// The platform services of the record in force (platform/Services.h installs them, and
// swaps one for a test). Each accessor returns the installed service and throws
// std::logic_error when there is none.
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
// The full path of the running program (where the settings file lives beside it).
std::string ExePath();
}  // namespace platform
