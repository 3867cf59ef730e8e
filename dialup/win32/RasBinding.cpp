// The real dial-up service bound at run time; see RasBinding.h.
#include "dialup/win32/RasBinding.h"

#include "core/Utf16.h"
#include "platform/win32/Win32Platform.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <type_traits>
#include <cstring>
#include <vector>

namespace ras {

// The wide records of the service's first 32-bit releases: the texts of our records, which
// are UTF-8, cross in these.
namespace wide {
struct DialParams {
    DWORD dwSize;
    WCHAR szEntryName[MaxEntryName + 1];
    WCHAR szPhoneNumber[MaxPhoneNumber + 1];
    WCHAR szCallbackNumber[MaxCallbackNumber + 1];
    WCHAR szUserName[MaxUserName + 1];
    WCHAR szPassword[MaxPassword + 1];
    WCHAR szDomain[MaxDomain + 1];
};
struct EntryName {
    DWORD dwSize;
    WCHAR szEntryName[MaxEntryName + 1];
};
struct Conn {
    DWORD dwSize;
    HANDLE hrasconn;
    WCHAR szEntryName[MaxEntryName + 1];
    WCHAR szDeviceType[MaxDeviceType + 1];
    WCHAR szDeviceName[MaxDeviceName + 1];
};
struct ConnStatus {
    DWORD dwSize;
    DWORD rasconnstate;
    DWORD dwError;
    WCHAR szDeviceType[MaxDeviceType + 1];
    WCHAR szDeviceName[MaxDeviceName + 1];
};
static_assert(sizeof(DialParams) == 2096 && sizeof(EntryName) == 520 && sizeof(Conn) == 816 && sizeof(ConnStatus) == 304);
}  // namespace wide

// The wide entry points as the service declares them, with those records. Declared only to
// give decltype the function types.
namespace sig {
DWORD WINAPI RasDialW(LPVOID extensions, LPCWSTR phonebook, wide::DialParams* params, DWORD notifierType,
                      LPVOID notifier, HANDLE* conn);
DWORD WINAPI RasHangUpW(HANDLE conn);
DWORD WINAPI RasEnumEntriesW(LPCWSTR reserved, LPCWSTR phonebook, wide::EntryName* entries, LPDWORD bufferBytes,
                             LPDWORD count);
DWORD WINAPI RasEnumConnectionsW(wide::Conn* conns, LPDWORD bufferBytes, LPDWORD count);
DWORD WINAPI RasGetConnectStatusW(HANDLE conn, wide::ConnStatus* status);
DWORD WINAPI RasGetEntryDialParamsW(LPCWSTR phonebook, wide::DialParams* params, LPBOOL passwordSaved);
DWORD WINAPI RasSetEntryDialParamsW(LPCWSTR phonebook, wide::DialParams* params, BOOL removePassword);
DWORD WINAPI RasGetErrorStringW(UINT code, LPWSTR buffer, DWORD size);
DWORD WINAPI RasCreatePhonebookEntryW(HWND owner, LPCWSTR phonebook);
DWORD WINAPI RasEditPhonebookEntryW(HWND owner, LPCWSTR phonebook, LPCWSTR entry);
// The notifier of type 0 (RasDialFunc).
VOID WINAPI RasDialFunc(UINT msg, DWORD state, DWORD error);
}  // namespace sig

namespace {
// A text of ours into a wide field, cut to fit (never inside a surrogate pair), and back.
template <size_t M, size_t N>
void Put(WCHAR (&to)[M], const char (&from)[N]) {
    std::wstring w = Utf8ToWide(TextOf(from));
    if (w.size() > M - 1) w.resize((w[M - 2] & 0xFC00) == 0xD800 ? M - 2 : M - 1);
    w.copy(to, w.size());
    to[w.size()] = L'\0';
}
template <size_t N, size_t M>
void Get(char (&to)[N], const WCHAR (&from)[M]) {
    size_t n = 0;
    while (n < M && from[n] != L'\0') ++n;
    CopyText(to, WideToUtf8(std::wstring_view(from, n)));
}

wide::DialParams ToWide(const RasDialParams& p) {
    wide::DialParams w{};
    w.dwSize = sizeof w;
    Put(w.szEntryName, p.szEntryName);
    Put(w.szPhoneNumber, p.szPhoneNumber);
    Put(w.szCallbackNumber, p.szCallbackNumber);
    Put(w.szUserName, p.szUserName);
    Put(w.szPassword, p.szPassword);
    Put(w.szDomain, p.szDomain);
    return w;
}
void FromWide(const wide::DialParams& w, RasDialParams& p) {
    Get(p.szEntryName, w.szEntryName);
    Get(p.szPhoneNumber, w.szPhoneNumber);
    Get(p.szCallbackNumber, w.szCallbackNumber);
    Get(p.szUserName, w.szUserName);
    Get(p.szPassword, w.szPassword);
    Get(p.szDomain, w.szDomain);
}
// The wide record's size for a record of ours (the service checks it); 0 for a wrong one,
// which the service refuses as ours would.
template <class Ours, class Wide>
DWORD SizeFor(uint32_t dwSize) {
    return dwSize == sizeof(Ours) ? sizeof(Wide) : 0;
}
}  // namespace

namespace {

static_assert(sizeof(void*) == 4, "the service's records are those of 32-bit Windows");

// The service calls a WINAPI function; ours is portable. Only one asynchronous dial per
// process is followed, so one slot suffices.
std::atomic<RasNotifier> g_notifier{nullptr};

VOID WINAPI Trampoline(UINT msg, DWORD state, DWORD error) {
    if (RasNotifier n = g_notifier.load()) n(msg, state, error);
}
static_assert(std::is_same_v<decltype(&Trampoline), decltype(&sig::RasDialFunc)>);

HANDLE ToHandle(RasHandle h) { return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(h)); }
RasHandle FromHandle(HANDLE h) { return static_cast<RasHandle>(reinterpret_cast<uintptr_t>(h)); }

}  // namespace

struct RasBinding::Fns {
    decltype(&sig::RasDialW) dial = nullptr;
    decltype(&sig::RasHangUpW) hangUp = nullptr;
    decltype(&sig::RasEnumEntriesW) enumEntries = nullptr;
    decltype(&sig::RasEnumConnectionsW) enumConnections = nullptr;
    decltype(&sig::RasGetConnectStatusW) getConnectStatus = nullptr;
    decltype(&sig::RasGetEntryDialParamsW) getEntryDialParams = nullptr;
    decltype(&sig::RasSetEntryDialParamsW) setEntryDialParams = nullptr;
    decltype(&sig::RasGetErrorStringW) getErrorString = nullptr;
    decltype(&sig::RasCreatePhonebookEntryW) createEntry = nullptr;
    decltype(&sig::RasEditPhonebookEntryW) editEntry = nullptr;
};

namespace {
template <class F>
void Bind(HMODULE lib, F& fn, const char* name) {
    fn = reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(lib, name)));
}
}  // namespace

RasBinding::RasBinding() : fns_(new Fns) {
    // Only the system directory: never a DLL of the same name beside the program.
    HMODULE lib = static_cast<HMODULE>(win32::LoadSystemLibrary("rasapi32.dll", path_));
    if (!lib) {
        DWORD e = GetLastError();
        loadError_ = e ? e : ERROR_MOD_NOT_FOUND_;
        return;
    }
    lib_ = lib;
    Bind(lib, fns_->dial, "RasDialW");
    Bind(lib, fns_->hangUp, "RasHangUpW");
    Bind(lib, fns_->enumEntries, "RasEnumEntriesW");
    Bind(lib, fns_->enumConnections, "RasEnumConnectionsW");
    Bind(lib, fns_->getConnectStatus, "RasGetConnectStatusW");
    Bind(lib, fns_->getEntryDialParams, "RasGetEntryDialParamsW");
    Bind(lib, fns_->setEntryDialParams, "RasSetEntryDialParamsW");
    Bind(lib, fns_->getErrorString, "RasGetErrorStringW");
    Bind(lib, fns_->createEntry, "RasCreatePhonebookEntryW");
    Bind(lib, fns_->editEntry, "RasEditPhonebookEntryW");
}

RasBinding::~RasBinding() {
    if (lib_) FreeLibrary(static_cast<HMODULE>(lib_));
    delete fns_;
}

// The code for an operation whose entry point is not there.
#define RAS_NEED(fn)                                   \
    do {                                               \
        if (!lib_) return loadError_;                  \
        if (!fns_->fn) return ERROR_PROC_NOT_FOUND_;   \
    } while (0)

uint32_t RasBinding::Dial(const RasDialParams& params, RasNotifier notifier, RasHandle& handle) {
    RAS_NEED(dial);
    wide::DialParams p = ToWide(params);
    p.dwSize = SizeFor<RasDialParams, wide::DialParams>(params.dwSize);
    HANDLE conn = nullptr;
    if (notifier) g_notifier.store(notifier);
    DWORD r = fns_->dial(nullptr, nullptr, &p, 0, notifier ? reinterpret_cast<LPVOID>(&Trampoline) : nullptr, &conn);
    handle = FromHandle(conn);
    return r;
}

uint32_t RasBinding::HangUp(RasHandle handle) {
    RAS_NEED(hangUp);
    return fns_->hangUp(ToHandle(handle));
}

uint32_t RasBinding::EnumEntries(RasEntryName* entries, uint32_t& bufferBytes, uint32_t& count) {
    count = 0;
    RAS_NEED(enumEntries);
    // As many wide records as ours fit in the caller's bytes; the sizes go back in ours.
    const size_t room = entries ? bufferBytes / sizeof(RasEntryName) : 0;
    std::vector<wide::EntryName> w(std::max<size_t>(room, 1));
    w[0].dwSize = entries ? SizeFor<RasEntryName, wide::EntryName>(entries[0].dwSize) : sizeof(wide::EntryName);
    DWORD cb = static_cast<DWORD>(room * sizeof(wide::EntryName)), n = 0;
    DWORD r = fns_->enumEntries(nullptr, nullptr, entries ? w.data() : nullptr, &cb, &n);
    bufferBytes = static_cast<uint32_t>(cb / sizeof(wide::EntryName) * sizeof(RasEntryName));
    count = r == 0 ? std::min<DWORD>(n, static_cast<DWORD>(room)) : 0;
    for (uint32_t i = 0; i < count; ++i) Get(entries[i].szEntryName, w[i].szEntryName);
    return r;
}

uint32_t RasBinding::EnumConnections(RasConn* conns, uint32_t& bufferBytes, uint32_t& count) {
    count = 0;
    RAS_NEED(enumConnections);
    const size_t room = conns ? bufferBytes / sizeof(RasConn) : 0;
    std::vector<wide::Conn> w(std::max<size_t>(room, 1));
    w[0].dwSize = conns ? SizeFor<RasConn, wide::Conn>(conns[0].dwSize) : sizeof(wide::Conn);
    DWORD cb = static_cast<DWORD>(room * sizeof(wide::Conn)), n = 0;
    DWORD r = fns_->enumConnections(conns ? w.data() : nullptr, &cb, &n);
    bufferBytes = static_cast<uint32_t>(cb / sizeof(wide::Conn) * sizeof(RasConn));
    count = r == 0 ? std::min<DWORD>(n, static_cast<DWORD>(room)) : 0;
    for (uint32_t i = 0; i < count; ++i) {
        conns[i].hrasconn = FromHandle(w[i].hrasconn);
        Get(conns[i].szEntryName, w[i].szEntryName);
        Get(conns[i].szDeviceType, w[i].szDeviceType);
        Get(conns[i].szDeviceName, w[i].szDeviceName);
    }
    return r;
}

uint32_t RasBinding::GetConnectStatus(RasHandle handle, RasConnStatus& status) {
    RAS_NEED(getConnectStatus);
    wide::ConnStatus w{};
    w.dwSize = SizeFor<RasConnStatus, wide::ConnStatus>(status.dwSize);
    DWORD r = fns_->getConnectStatus(ToHandle(handle), &w);
    if (r == 0) {
        status.rasconnstate = w.rasconnstate;
        status.dwError = w.dwError;
        Get(status.szDeviceType, w.szDeviceType);
        Get(status.szDeviceName, w.szDeviceName);
    }
    return r;
}

uint32_t RasBinding::GetEntryDialParams(RasDialParams& params, bool& passwordSaved) {
    passwordSaved = false;
    RAS_NEED(getEntryDialParams);
    BOOL saved = FALSE;
    wide::DialParams w = ToWide(params);
    w.dwSize = SizeFor<RasDialParams, wide::DialParams>(params.dwSize);
    DWORD r = fns_->getEntryDialParams(nullptr, &w, &saved);
    if (r == 0) FromWide(w, params);
    passwordSaved = r == 0 && saved;
    return r;
}

uint32_t RasBinding::SetEntryDialParams(const RasDialParams& params, bool removePassword) {
    RAS_NEED(setEntryDialParams);
    wide::DialParams p = ToWide(params);
    p.dwSize = SizeFor<RasDialParams, wide::DialParams>(params.dwSize);
    return fns_->setEntryDialParams(nullptr, &p, removePassword ? TRUE : FALSE);
}

uint32_t RasBinding::GetErrorString(uint32_t code, char* buffer, uint32_t size) {
    if (!buffer || size == 0) return ERROR_INVALID_PARAMETER_;
    buffer[0] = '\0';
    WCHAR text[512] = {};
    if (lib_ && fns_->getErrorString && fns_->getErrorString(code, text, 512) == 0 && text[0] != L'\0') {
        text[511] = L'\0';
        CopyText(buffer, size, WideToUtf8(text));
        return 0;
    }
    // The service has no text (or is missing): the system's wording on one line, else ours.
    std::string s = win32::SystemMessage(code);
    if (s.empty()) s = OwnErrorText(code);
    if (s.empty()) s = "Dial-up error " + std::to_string(code) + ".";
    CopyText(buffer, size, s);
    return 0;
}

uint32_t RasBinding::CreatePhonebookEntry(uintptr_t ownerWindow) {
    RAS_NEED(createEntry);
    return fns_->createEntry(reinterpret_cast<HWND>(ownerWindow), nullptr);
}

uint32_t RasBinding::EditPhonebookEntry(uintptr_t ownerWindow, const std::string& entryName) {
    RAS_NEED(editEntry);
    return fns_->editEntry(reinterpret_cast<HWND>(ownerWindow), nullptr, Utf8ToWide(entryName).c_str());
}

}  // namespace ras
