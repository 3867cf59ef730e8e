// The dial-up component; see DialUp.h.
#include "dialup/DialUp.h"

#include <cstring>
#include <mutex>

#include "core/SysUtils.h"
#include "platform/Platform.h"
#include "platform/Services.h"

namespace {

// The hidden window's one message: wParam = state, lParam = error.
constexpr uint32_t kNotifyMsg = 0x0400 + 1;

// Guards CurrentDialUp against the service's thread and the component's destruction.
std::mutex g_currentMu;
TDialUp* g_current = nullptr;

// The service when none is installed: behaves as a missing library.
class UnavailableRas : public ras::IRasApi {
public:
    static constexpr uint32_t kCode = ras::ERROR_MOD_NOT_FOUND_;
    uint32_t Dial(const ras::RasDialParams&, ras::RasNotifier, ras::RasHandle&) override { return kCode; }
    uint32_t HangUp(ras::RasHandle) override { return kCode; }
    uint32_t EnumEntries(ras::RasEntryName*, uint32_t&, uint32_t& count) override { return count = 0, kCode; }
    uint32_t EnumConnections(ras::RasConn*, uint32_t&, uint32_t& count) override { return count = 0, kCode; }
    uint32_t GetConnectStatus(ras::RasHandle, ras::RasConnStatus&) override { return kCode; }
    uint32_t GetEntryDialParams(ras::RasDialParams&, bool& saved) override { return saved = false, kCode; }
    uint32_t SetEntryDialParams(const ras::RasDialParams&, bool) override { return kCode; }
    uint32_t GetErrorString(uint32_t code, char* buffer, uint32_t size) override {
        if (!buffer || size == 0) return ras::ERROR_INVALID_PARAMETER_;
        ras::CopyText(buffer, size, "The dial-up service is not installed.");
        return 0;
    }
    uint32_t CreatePhonebookEntry(uintptr_t) override { return kCode; }
    uint32_t EditPhonebookEntry(uintptr_t, const std::string&) override { return kCode; }
};
UnavailableRas g_unavailable;

ras::RasDialParams EntryParams(const std::string& entry) {
    ras::RasDialParams p;
    std::memset(&p, 0, sizeof p);
    p.dwSize = sizeof p;
    ras::CopyText(p.szEntryName, entry);
    return p;
}

const char* FixedStateText(uint32_t state) {
    switch (state) {
    case 0: return "Opening Port";
    case 1: return "Port Opened";
    case 2: return "Connecting Device";
    case 3: return "Device Connected";
    case 4: return "All Devices Connected";
    case 5: return "Starting Authentication";
    case 6: return "Authentication Notify";
    case 7: return "Authentication Retry";
    case 8: return "Callback Requested";
    case 9: return "Change Password Requested";
    case 10: return "Projection Phase Started";
    case 11: return "Link Speed Calculation";
    case 12: return "Authentication Acknowledged";
    case 13: return "Reauthentication Started";
    case 14: return "Authenticated";
    case 15: return "Preparation For Callback";
    case 16: return "Waiting For Modem Reset";
    case 17: return "Waiting For Callback";
    case 18: return "Projected";
    case 19: return "Start Authentication";
    case 20: return "Callback Complete";
    case 21: return "Logon Network";
    case 22:
    case 23: return "";
    case 4096: return "Interactive";
    case 4097: return "Retry Authentication";
    case 4098: return "Callback Set By Caller";
    case 4099: return "Password Expired";
    case 8192: return "Connected";
    case 8193: return "Disconnected";
    default: return nullptr;
    }
}

}  // namespace

TDialUp::TDialUp(TComponent* owner, ras::IRasApi* service) : TComponent(owner), service_(service) {
    window_ = platform::Ui().CreateMessageWindow([this](uint32_t msg, uintptr_t w, intptr_t l) -> intptr_t {
        // Everything else (logging off, for one) gets the system's default answer.
        if (msg != kNotifyMsg) return kMsgDefault;
        Notified(static_cast<uint32_t>(w), static_cast<uint32_t>(l));
        return 0;
    });
}

TDialUp::~TDialUp() {
    {
        std::lock_guard<std::mutex> lock(g_currentMu);
        if (g_current == this) g_current = nullptr;
    }
    window_.reset();  // drops notifications still queued for us
}

ras::IRasApi& TDialUp::Service() {
    if (service_) return *service_;
    if (ras::IRasApi* installed = platform::Installed().ras) return *installed;
    return g_unavailable;
}

std::string TDialUp::ErrorText(uint32_t code) {
    char buffer[ras::ErrorTextBuffer] = {};
    if (Service().GetErrorString(code, buffer, sizeof buffer) != 0) return "Dial-up error " + IntToStr(code);
    return ras::TextOf(buffer);
}

std::string TDialUp::StateText(uint32_t state, uint32_t error) {
    if (error != 0) return ErrorText(error);
    const char* fixed = FixedStateText(state);
    return fixed ? fixed : "Connection state #" + IntToStr(state);
}

uintptr_t TDialUp::OwnerWindow() {
    const auto& resolve = platform::Installed().ownerWindow;
    return resolve ? resolve(Owner()) : 0;
}

uint32_t TDialUp::HangUp() { return Service().HangUp(connHandle_); }

uint32_t TDialUp::Dial() {
    HangUp();  // the previous dial's handle, possibly 0 or stale

    ras::RasDialParams p = EntryParams(entry_);
    ras::CopyText(p.szPhoneNumber, phoneNumber_);  // empty: the entry's own number
    ras::CopyText(p.szCallbackNumber, "*");
    ras::CopyText(p.szUserName, username_);
    ras::CopyText(p.szPassword, password_);
    ras::CopyText(p.szDomain, "*");
    connHandle_ = 0;

    ras::IRasApi& service = Service();
    if (dialMode_ == dmSync) {
        if (OnDialing) OnDialing(this);
        ras::RasHandle h = 0;
        uint32_t r = service.Dial(p, nullptr, h);
        connHandle_ = h;
        if (r == 0) {
            if (OnConnect) OnConnect(this);
        } else {
            if (connHandle_ != 0) HangUp();
            std::string text = ErrorText(r);
            if (OnNotConnected) OnNotConnected(this, static_cast<int>(r), text);
        }
        return r;
    }

    {
        std::lock_guard<std::mutex> lock(g_currentMu);
        g_current = this;
    }
    if (OnDialing) OnDialing(this);
    ras::RasHandle h = 0;
    uint32_t r = service.Dial(p, &DialCallback, h);
    connHandle_ = h;
    if (r != 0) {
        std::string text = ErrorText(r);
        if (OnError) OnError(this, static_cast<int>(r), text);
    }
    return r;
}

void DialCallback(uint32_t msg, uint32_t state, uint32_t error) {
    std::lock_guard<std::mutex> lock(g_currentMu);
    if (g_current && g_current->window_)
        g_current->window_->Post(kNotifyMsg, static_cast<uintptr_t>(state), static_cast<intptr_t>(error));
}

void TDialUp::Notified(uint32_t state, uint32_t error) {
    lastError_ = error;
    std::string text = StateText(state, error);
    if (OnAsyncEvent) OnAsyncEvent(this, static_cast<int>(state), static_cast<int>(error), text);
}

TDialUp* CurrentDialUp() {
    std::lock_guard<std::mutex> lock(g_currentMu);
    return g_current;
}

uint32_t TDialUp::GetEntries() {
    entries_.clear();
    std::vector<ras::RasEntryName> names(ras::MaxListed);
    std::memset(names.data(), 0, names.size() * sizeof(ras::RasEntryName));
    names[0].dwSize = sizeof(ras::RasEntryName);
    uint32_t bytes = static_cast<uint32_t>(names.size() * sizeof(ras::RasEntryName));
    uint32_t count = 0;
    uint32_t r = Service().EnumEntries(names.data(), bytes, count);
    if (r != 0) return r;
    if (count > names.size()) count = static_cast<uint32_t>(names.size());  // a service that overstates
    for (uint32_t i = 0; i < count; ++i) {
        names[i].szEntryName[ras::MaxEntryName] = '\0';
        entries_.push_back(ras::TextOf(names[i].szEntryName));
        if (OnEntryGet) OnEntryGet(this, names[i].szEntryName);
    }
    return 0;
}

uint32_t TDialUp::GetConnections() {
    std::vector<ras::RasConn> conns(ras::MaxListed);
    std::memset(conns.data(), 0, conns.size() * sizeof(ras::RasConn));
    conns[0].dwSize = sizeof(ras::RasConn);
    uint32_t bytes = static_cast<uint32_t>(conns.size() * sizeof(ras::RasConn));
    uint32_t count = 0;
    ras::IRasApi& service = Service();
    uint32_t r = service.EnumConnections(conns.data(), bytes, count);
    if (r != 0) return r;
    if (count > conns.size()) count = static_cast<uint32_t>(conns.size());
    for (uint32_t i = 0; i < count; ++i) {
        ras::RasConn& c = conns[i];
        c.szEntryName[ras::MaxEntryName] = '\0';
        c.szDeviceType[ras::MaxDeviceType] = '\0';
        c.szDeviceName[ras::MaxDeviceName] = '\0';
        ras::RasConnStatus status;
        std::memset(&status, 0, sizeof status);
        status.dwSize = sizeof status;
        service.GetConnectStatus(c.hrasconn, status);
        std::string text = StateText(status.rasconnstate, status.dwError);
        if (OnActiveConnection)
            OnActiveConnection(this, static_cast<int>(c.hrasconn), &status, text, c.szEntryName, c.szDeviceType,
                               c.szDeviceName);
    }
    return 0;
}

void TDialUp::CreateEntry() { Service().CreatePhonebookEntry(OwnerWindow()); }

void TDialUp::EditEntry() {
    ras::RasEntryName cut;  // the name as the service would see it
    ras::CopyText(cut.szEntryName, entry_);
    Service().EditPhonebookEntry(OwnerWindow(), ras::TextOf(cut.szEntryName));
}

uint32_t TDialUp::SetEntryUsername(const std::string& Value) {
    ras::RasDialParams p = EntryParams(entry_);
    ras::CopyText(p.szUserName, Value);
    return Service().SetEntryDialParams(p, false);
}

uint32_t TDialUp::SetEntryPassword(const std::string& Value) {
    ras::RasDialParams p = EntryParams(entry_);
    ras::CopyText(p.szPassword, Value);
    return Service().SetEntryDialParams(p, false);
}

uint32_t TDialUp::GetEntryUsername(std::string& Value) {
    ras::RasDialParams p = EntryParams(entry_);
    bool saved = false;
    uint32_t r = Service().GetEntryDialParams(p, saved);
    if (r == 0) Value = ras::TextOf(p.szUserName);
    return r;
}

uint32_t TDialUp::GetEntryPassword(std::string& Value) {
    ras::RasDialParams p = EntryParams(entry_);
    bool saved = false;
    uint32_t r = Service().GetEntryDialParams(p, saved);
    if (r == 0) Value = saved ? ras::TextOf(p.szPassword) : std::string();
    return r;
}

namespace dialup {
ras::IRasApi* DefaultRasApi() { return platform::Installed().ras; }
}  // namespace dialup
