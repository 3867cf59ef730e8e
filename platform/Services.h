// The services record: every outside service the program's logic talks through, and the one
// place each lives. Every folder reads its service from the record in force (platform's own
// through platform/Platform.h; net/, dialup/, widgets/ and mail/ through their accessors).
// The program's entry fills it with the Win32 backends, the headless test fixture and the
// fuzz platform with headless ones; a test that swaps one service copies the record in
// force, changes that field and installs the copy (TSwapServices). Nothing is owned: each
// service must outlive its installation.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

class IClock;
class IUi;
class IProfile;
class IRegistry;
class IFileSystem;
class ITray;
class IPrograms;
class ISound;
class TComponent;
// Services whose interfaces live with their users, in higher folders: named here, never
// included (platform/ depends on nothing above it).
class IWidgetFactory;                      // widgets/Controls.h
namespace net { class ISocketApi; }        // net/SocketApi.h: the asynchronous sockets
namespace ras { class IRasApi; }           // dialup/RasApi.h: the dial-up service

namespace platform {
class IBlockingSockets;
class IHttps;
class ICrypto;

struct Services {
    IClock* clock = nullptr;
    IUi* ui = nullptr;
    IProfile* profile = nullptr;
    IRegistry* registry = nullptr;
    IFileSystem* files = nullptr;
    ITray* tray = nullptr;
    IPrograms* programs = nullptr;
    ISound* sound = nullptr;
    IBlockingSockets* blockingSockets = nullptr;  // the mail client's and the time check's
    IHttps* https = nullptr;                      // the sign-in's token requests
    ICrypto* crypto = nullptr;                    // random values and secrets kept for the user
    net::ISocketApi* asyncSockets = nullptr;      // the socket components' library
    ras::IRasApi* ras = nullptr;                  // for dial-up components given none
    IWidgetFactory* widgets = nullptr;            // the peers of forms and controls
    // Converts mail header bytes in a named character set to display text (false: unknown
    // set); empty: the built-in conversions only (mail/MimeDecode.h).
    std::function<bool(const std::string& charset, const std::string& bytes, std::string& out)> charsets{};
    // The window that owns the dial-up service's dialogs opened for a component's owner;
    // empty: they have none (dialup/DialUp.h).
    std::function<uintptr_t(TComponent* owner)> ownerWindow{};
    // The full path of the running program (its settings file lives beside it).
    std::string exePath{};
};

// Installs every service of the record, replacing whatever was installed (a null pointer
// or an empty function removes that service). Call on the user-interface thread before
// any form exists, or after the last one is gone.
void Install(const Services& services);
// The record in force (all empty until the first Install).
const Services& Installed();

// Installs a copy of the record in force with some services changed, and puts the previous
// record back when it goes: for tests that swap a service or two for their own.
class TSwapServices {
public:
    explicit TSwapServices(const std::function<void(Services&)>& change) : saved_(Installed()) {
        Services s = saved_;
        change(s);
        Install(s);
    }
    ~TSwapServices() { Install(saved_); }
    TSwapServices(const TSwapServices&) = delete;
    TSwapServices& operator=(const TSwapServices&) = delete;

private:
    Services saved_;
};

}  // namespace platform
