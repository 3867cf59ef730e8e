// The real dial-up service bound at run time; see RasBinding.h.
#include "dialup/win32/RasBinding.h"

#include "platform/win32/Win32Platform.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <type_traits>
#include <cstring>

namespace ras {

// The ANSI entry points as the service declares them, with our records (laid out as the
// service's first 32-bit releases). Declared only to give decltype the function types.
namespace sig {
DWORD WINAPI RasDialA(LPVOID extensions, LPCSTR phonebook, RasDialParams* params, DWORD notifierType,
                      LPVOID notifier, HANDLE* conn);
DWORD WINAPI RasHangUpA(HANDLE conn);
DWORD WINAPI RasEnumEntriesA(LPCSTR reserved, LPCSTR phonebook, RasEntryName* entries, LPDWORD bufferBytes,
                             LPDWORD count);
DWORD WINAPI RasEnumConnectionsA(RasConn* conns, LPDWORD bufferBytes, LPDWORD count);
DWORD WINAPI RasGetConnectStatusA(HANDLE conn, RasConnStatus* status);
DWORD WINAPI RasGetEntryDialParamsA(LPCSTR phonebook, RasDialParams* params, LPBOOL passwordSaved);
DWORD WINAPI RasSetEntryDialParamsA(LPCSTR phonebook, RasDialParams* params, BOOL removePassword);
DWORD WINAPI RasGetErrorStringA(UINT code, LPSTR buffer, DWORD size);
DWORD WINAPI RasCreatePhonebookEntryA(HWND owner, LPCSTR phonebook);
DWORD WINAPI RasEditPhonebookEntryA(HWND owner, LPCSTR phonebook, LPCSTR entry);
// The notifier of type 0 (RasDialFunc).
VOID WINAPI RasDialFunc(UINT msg, DWORD state, DWORD error);
}  // namespace sig

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
    decltype(&sig::RasDialA) dial = nullptr;
    decltype(&sig::RasHangUpA) hangUp = nullptr;
    decltype(&sig::RasEnumEntriesA) enumEntries = nullptr;
    decltype(&sig::RasEnumConnectionsA) enumConnections = nullptr;
    decltype(&sig::RasGetConnectStatusA) getConnectStatus = nullptr;
    decltype(&sig::RasGetEntryDialParamsA) getEntryDialParams = nullptr;
    decltype(&sig::RasSetEntryDialParamsA) setEntryDialParams = nullptr;
    decltype(&sig::RasGetErrorStringA) getErrorString = nullptr;
    decltype(&sig::RasCreatePhonebookEntryA) createEntry = nullptr;
    decltype(&sig::RasEditPhonebookEntryA) editEntry = nullptr;
};

namespace {
template <class F>
void Bind(HMODULE lib, F& fn, const char* name) {
    fn = reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(lib, name)));
}
}  // namespace

RasBinding::RasBinding() : fns_(new Fns) {
    // Only the system directory: never a DLL of the same name beside the program.
    char dir[MAX_PATH + 1] = {};
    UINT n = GetSystemDirectoryA(dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        loadError_ = ERROR_MOD_NOT_FOUND_;
        return;
    }
    path_ = std::string(dir, n) + "\\rasapi32.dll";
    HMODULE lib = LoadLibraryA(path_.c_str());
    if (!lib) {
        DWORD e = GetLastError();
        loadError_ = e ? e : ERROR_MOD_NOT_FOUND_;
        return;
    }
    lib_ = lib;
    Bind(lib, fns_->dial, "RasDialA");
    Bind(lib, fns_->hangUp, "RasHangUpA");
    Bind(lib, fns_->enumEntries, "RasEnumEntriesA");
    Bind(lib, fns_->enumConnections, "RasEnumConnectionsA");
    Bind(lib, fns_->getConnectStatus, "RasGetConnectStatusA");
    Bind(lib, fns_->getEntryDialParams, "RasGetEntryDialParamsA");
    Bind(lib, fns_->setEntryDialParams, "RasSetEntryDialParamsA");
    Bind(lib, fns_->getErrorString, "RasGetErrorStringA");
    Bind(lib, fns_->createEntry, "RasCreatePhonebookEntryA");
    Bind(lib, fns_->editEntry, "RasEditPhonebookEntryA");
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
    RasDialParams p = params;  // the service takes a non-const record
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
    DWORD cb = bufferBytes, n = 0;
    DWORD r = fns_->enumEntries(nullptr, nullptr, entries, &cb, &n);
    bufferBytes = cb;
    count = r == 0 ? n : 0;
    return r;
}

uint32_t RasBinding::EnumConnections(RasConn* conns, uint32_t& bufferBytes, uint32_t& count) {
    count = 0;
    RAS_NEED(enumConnections);
    DWORD cb = bufferBytes, n = 0;
    DWORD r = fns_->enumConnections(conns, &cb, &n);
    bufferBytes = cb;
    count = r == 0 ? n : 0;
    return r;
}

uint32_t RasBinding::GetConnectStatus(RasHandle handle, RasConnStatus& status) {
    RAS_NEED(getConnectStatus);
    return fns_->getConnectStatus(ToHandle(handle), &status);
}

uint32_t RasBinding::GetEntryDialParams(RasDialParams& params, bool& passwordSaved) {
    passwordSaved = false;
    RAS_NEED(getEntryDialParams);
    BOOL saved = FALSE;
    DWORD r = fns_->getEntryDialParams(nullptr, &params, &saved);
    passwordSaved = r == 0 && saved;
    return r;
}

uint32_t RasBinding::SetEntryDialParams(const RasDialParams& params, bool removePassword) {
    RAS_NEED(setEntryDialParams);
    RasDialParams p = params;
    return fns_->setEntryDialParams(nullptr, &p, removePassword ? TRUE : FALSE);
}

uint32_t RasBinding::GetErrorString(uint32_t code, char* buffer, uint32_t size) {
    if (!buffer || size == 0) return ERROR_INVALID_PARAMETER_;
    buffer[0] = '\0';
    if (lib_ && fns_->getErrorString && fns_->getErrorString(code, buffer, size) == 0 && buffer[0] != '\0') {
        buffer[size - 1] = '\0';
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
    return fns_->editEntry(reinterpret_cast<HWND>(ownerWindow), nullptr, entryName.c_str());
}

}  // namespace ras
