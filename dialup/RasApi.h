// The dial-up service seam: the operations of the Remote Access Service that TDialUp uses,
// in portable types, with the service's records as its first 32-bit releases laid them out.
// Two services implement it: the real one bound at run time (dialup/win32/RasBinding.h)
// and a simulated modem, line and provider (dialup/SimulatedRas.h).
//
// Contract common to both:
// - Every operation returns 0 on success or an error code of the service (see below); none
//   throws. Every call uses the machine's default phonebook.
// - Records are zero-filled by the caller and carry dwSize; of an array only the first
//   element's dwSize is set. A wrong dwSize gives ERROR_INVALID_SIZE.
// - Texts in records are NUL-terminated; a text that does not fit its array is cut.
// - Dial with a notifier returns at once (0 = dialling under way). The service then calls
//   the notifier once per connection state, in state order, from a thread of its own (never
//   from inside Dial): (WM_RASDIALEVENT, state, 0) for each step, and either a final
//   (.., RASCS_Connected, 0) or a final (.., RASCS_Disconnected, error). After HangUp of the
//   dial's handle no further notification comes. The notifier must return quickly and must
//   not call back into the service.
// - Dial without a notifier blocks the caller until the connection is up (0) or has failed
//   (the error code); the handle may be set even on failure and should then be hung up.
// - HangUp returns at once; the connection is no longer listed by EnumConnections.
// - Credentials: SetEntryDialParams stores the user name and the password of the record,
//   each only when its text is non-empty, so that the user name and the password can be
//   stored by two separate calls; removePassword forgets the saved password.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace ras {

// Widths of the texts (characters, without the terminating NUL).
constexpr size_t MaxEntryName = 256;
constexpr size_t MaxPhoneNumber = 128;
constexpr size_t MaxCallbackNumber = 128;
constexpr size_t MaxUserName = 256;
constexpr size_t MaxPassword = 256;
constexpr size_t MaxDomain = 15;
constexpr size_t MaxDeviceType = 16;
constexpr size_t MaxDeviceName = 128;

// The buffer for an error text: at most 99 characters and the NUL.
constexpr uint32_t ErrorTextBuffer = 100;
// How many entries or connections one enumeration asks for.
constexpr uint32_t MaxListed = 100;

// The message value the service passes to a notifier of type 0.
constexpr uint32_t WM_RASDIALEVENT = 0xCCCD;

// Connection states.
enum : uint32_t {
    RASCS_OpenPort = 0,
    RASCS_PortOpened = 1,
    RASCS_ConnectDevice = 2,
    RASCS_DeviceConnected = 3,
    RASCS_AllDevicesConnected = 4,
    RASCS_Authenticate = 5,
    RASCS_AuthNotify = 6,
    RASCS_AuthProject = 10,
    RASCS_Authenticated = 14,
    RASCS_Interactive = 0x1000,
    RASCS_Connected = 0x2000,
    RASCS_Disconnected = 0x2001,
};

// Error codes the program and the services use.
enum : uint32_t {
    ERROR_SUCCESS_ = 0,
    ERROR_INVALID_HANDLE_ = 6,        // no such connection
    ERROR_INVALID_PARAMETER_ = 87,    // a missing buffer or a bad argument
    ERROR_INSUFFICIENT_BUFFER_ = 122, // the error text does not fit the buffer
    ERROR_MOD_NOT_FOUND_ = 126,       // the service's library is not installed
    ERROR_PROC_NOT_FOUND_ = 127,      // the library lacks the entry point
    ERROR_ALREADY_EXISTS_ = 183,      // a new entry's name is taken
    ERROR_BUFFER_TOO_SMALL = 603,     // more entries or connections than the array holds
    ERROR_CANNOT_WRITE_PHONEBOOK = 622,
    ERROR_CANNOT_FIND_PHONEBOOK_ENTRY = 623,
    ERROR_INVALID_SIZE = 632,         // a record's dwSize is not the expected one
    ERROR_LINE_BUSY = 676,
    ERROR_NO_ANSWER = 678,
    ERROR_NO_DIALTONE = 680,
    ERROR_AUTHENTICATION_FAILURE = 691,
};

using RasHandle = uint32_t;  // a connection handle (HRASCONN of the 32-bit service)
// The notifier (RasDialFunc form): message, connection state, error (0 = none).
using RasNotifier = void (*)(uint32_t msg, uint32_t state, uint32_t error);

// The records, with the sizes of the first 32-bit releases (the current system headers
// declare larger ones, which the old sizes predate).
struct RasDialParams {
    uint32_t dwSize;
    char szEntryName[MaxEntryName + 1];
    char szPhoneNumber[MaxPhoneNumber + 1];
    char szCallbackNumber[MaxCallbackNumber + 1];
    char szUserName[MaxUserName + 1];
    char szPassword[MaxPassword + 1];
    char szDomain[MaxDomain + 1];
};
struct RasEntryName {
    uint32_t dwSize;
    char szEntryName[MaxEntryName + 1];
};
struct RasConn {
    uint32_t dwSize;
    RasHandle hrasconn;
    char szEntryName[MaxEntryName + 1];
    char szDeviceType[MaxDeviceType + 1];
    char szDeviceName[MaxDeviceName + 1];
};
struct RasConnStatus {
    uint32_t dwSize;
    uint32_t rasconnstate;
    uint32_t dwError;
    char szDeviceType[MaxDeviceType + 1];
    char szDeviceName[MaxDeviceName + 1];
};
static_assert(sizeof(RasDialParams) == 1052);
static_assert(sizeof(RasEntryName) == 264);
static_assert(sizeof(RasConn) == 412);
static_assert(sizeof(RasConnStatus) == 160);

// Copies text into a record's character array of `capacity` bytes, cutting it to
// capacity - 1 characters; the array is always NUL-terminated.
void CopyText(char* dest, size_t capacity, const std::string& text);
template <size_t N>
void CopyText(char (&dest)[N], const std::string& text) {
    CopyText(dest, N, text);
}
// The text of a NUL-terminated array, never reading past its end.
template <size_t N>
std::string TextOf(const char (&src)[N]) {
    size_t n = 0;
    while (n < N && src[n] != '\0') ++n;
    return std::string(src, n);
}

// Our own plain wording for the codes above, "" for any other code.
std::string OwnErrorText(uint32_t code);

class IRasApi {
public:
    virtual ~IRasApi() = default;

    // Dials params.szEntryName; an empty szPhoneNumber dials the entry's own number.
    // notifier null: synchronous. handle receives the new connection's handle.
    // 623 at once when the entry does not exist.
    virtual uint32_t Dial(const RasDialParams& params, RasNotifier notifier, RasHandle& handle) = 0;
    // Ends a connection, dialling or connected. ERROR_INVALID_HANDLE_ for an unknown one.
    virtual uint32_t HangUp(RasHandle handle) = 0;
    // Fills entries[0..count) with the phonebook's entry names. bufferBytes: in, the size
    // of the array in bytes; out, the size needed. A too small array gives
    // ERROR_BUFFER_TOO_SMALL with count 0 and nothing written.
    virtual uint32_t EnumEntries(RasEntryName* entries, uint32_t& bufferBytes, uint32_t& count) = 0;
    // As EnumEntries, for the active connections (dialling or connected).
    virtual uint32_t EnumConnections(RasConn* conns, uint32_t& bufferBytes, uint32_t& count) = 0;
    // The state and error of a connection. ERROR_INVALID_HANDLE_ when it is not listed.
    virtual uint32_t GetConnectStatus(RasHandle handle, RasConnStatus& status) = 0;
    // Fills the saved user name and password of params.szEntryName; passwordSaved tells
    // whether a password is saved (when false szPassword is empty). 623 for an unknown entry.
    virtual uint32_t GetEntryDialParams(RasDialParams& params, bool& passwordSaved) = 0;
    // Stores the non-empty credentials of params with params.szEntryName (see above).
    virtual uint32_t SetEntryDialParams(const RasDialParams& params, bool removePassword) = 0;
    // The text for an error code, at most size - 1 characters (size 100 holds every text).
    virtual uint32_t GetErrorString(uint32_t code, char* buffer, uint32_t size) = 0;
    // The service's dialogs for a new entry and for editing one; ownerWindow may be 0.
    // Run on the calling (user-interface) thread and return when the dialog closes.
    virtual uint32_t CreatePhonebookEntry(uintptr_t ownerWindow) = 0;
    virtual uint32_t EditPhonebookEntry(uintptr_t ownerWindow, const std::string& entryName) = 0;
};

}  // namespace ras
