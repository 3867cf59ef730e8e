// Installs a whole services record; see Services.h.
#include "platform/Services.h"

#include "platform/Platform.h"

// The setters of the services whose interfaces live in higher folders. platform/ includes
// none of their headers: these are the owners' own declarations (the linker holds each to
// its definition), so that one call installs everything.
void SetCharsetConverter(std::function<bool(const std::string&, const std::string&, std::string&)> converter);
namespace widgets {
void SetFactory(IWidgetFactory* f);
}
namespace net {
void SetSocketApi(ISocketApi* api);
}
namespace dialup {
void SetDefaultRasApi(ras::IRasApi* service);
void SetOwnerWindowResolver(std::function<uintptr_t(TComponent* owner)> resolver);
}  // namespace dialup

namespace platform {
void Install(const Services& s) {
    SetClock(s.clock);
    SetUi(s.ui);
    SetProfile(s.profile);
    SetRegistry(s.registry);
    SetFiles(s.files);
    SetTray(s.tray);
    SetPrograms(s.programs);
    SetSound(s.sound);
    SetBlockingSockets(s.blockingSockets);
    SetHttps(s.https);
    SetCrypto(s.crypto);
    SetExePath(s.exePath);
    widgets::SetFactory(s.widgets);
    net::SetSocketApi(s.asyncSockets);
    dialup::SetDefaultRasApi(s.ras);
    dialup::SetOwnerWindowResolver(s.ownerWindow);
    SetCharsetConverter(s.charsets);
}
}  // namespace platform
