// TDialUp: the dial-up component. It dials a phonebook entry (synchronously, or with state
// notifications), hangs up, lists the phonebook's entries and the active connections,
// reads and stores an entry's saved credentials, opens the service's entry dialogs, and
// turns every connection state and error code into a text.
//
// The service it talks to is an IRasApi (dialup/RasApi.h): the one given to the
// constructor or SetRasApi, else the services record's (platform/Services.h, installed by
// the program's entry from MakeDefaultRasApi in dialup/win32/DefaultRas.h). With none at
// all every operation fails with ERROR_MOD_NOT_FOUND_, as a missing service library does.
//
// Threads. Everything here runs on the user-interface thread except DialCallback, which
// the service calls from a thread of its own during an asynchronous dial. DialCallback
// only copies (state, error) into a message posted to the hidden window of CurrentDialUp()
// (created with the component through platform::Ui().CreateMessageWindow). The window's
// handler, on the user-interface thread, sets LastError and then fires OnAsyncEvent. So
// the handlers see the notifications one at a time, in the order the service made them,
// and each finds LastError already set to its own notification's error. Notifications
// still queued when the component is destroyed are dropped.
//
// Texts longer than the service's record widths (entry name 256 characters, phone number
// 128, user name and password 256 each) are cut to those widths when they are handed to
// the service; the properties keep what they were given.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Classes.h"
#include "dialup/RasApi.h"
#include "platform/MessageWindow.h"

enum TDialMode { dmAsync = 0, dmSync = 1 };
// The language of the state texts; they are always the English ones.
enum TLanguage { English = 0 };

// Event types. Character arrays are passed as NUL-terminated `const char*` pointing into the
// service's record (entry name at most 256 characters, device type 16, device name 128);
// they are valid only during the event.
using TStandartEv = std::function<void(TObject* Sender)>;
using TOnNotConn = std::function<void(TObject* Sender, int ErrorCode, const std::string& ErrorMessage)>;
using TOnError = std::function<void(TObject* Sender, int ErrorCode, const std::string& ErrorMessage)>;
using TOnAsyncEvent = std::function<void(TObject* Sender, int State, int Error, const std::string& MessageText)>;
using TOnEntryGet = std::function<void(TObject* Sender, const char* EntryName)>;
// Status lives only for the duration of the event.
using TOnActiveConn = std::function<void(TObject* Sender, int Handle, const ras::RasConnStatus* Status,
                                         const std::string& StatusString, const char* EntryName,
                                         const char* DeviceType, const char* DeviceName)>;

class TDialUp : public TComponent {
public:
    explicit TDialUp(TComponent* owner, ras::IRasApi* service = nullptr);
    ~TDialUp() override;
    TDialUp(const TDialUp&) = delete;
    TDialUp& operator=(const TDialUp&) = delete;

    // The service used from now on (null: the process-wide default).
    void SetRasApi(ras::IRasApi* service) { service_ = service; }

    // Names found by the last GetEntries.
    const std::vector<std::string>& Entries() const { return entries_; }
    TDialMode DialMode() const { return dialMode_; }
    void SetDialMode(TDialMode v) { dialMode_ = v; }
    const std::string& Entry() const { return entry_; }
    void SetEntry(const std::string& v) { entry_ = v; }
    // When non-empty, dialled instead of the entry's own number.
    const std::string& PhoneNumber() const { return phoneNumber_; }
    void SetPhoneNumber(const std::string& v) { phoneNumber_ = v; }
    const std::string& Username() const { return username_; }
    void SetUsername(const std::string& v) { username_ = v; }
    const std::string& Password() const { return password_; }
    void SetPassword(const std::string& v) { password_ = v; }
    TLanguage Language() const { return language_; }
    void SetLanguage(TLanguage v) { language_ = v; }

    // Unassigned events are skipped.
    TOnActiveConn OnActiveConnection;
    TOnEntryGet OnEntryGet;
    TStandartEv OnDialing;
    TStandartEv OnConnect;
    TOnNotConn OnNotConnected;
    TOnAsyncEvent OnAsyncEvent;
    TOnError OnError;

    // The error carried by the latest notification handled (0 = none).
    uint32_t LastError() const { return lastError_; }
    // The handle the service gave the latest Dial (0 before the first); HangUp keeps it.
    ras::RasHandle ConnHandle() const { return connHandle_; }

    // Hangs up the previous connection, then dials Entry with Username and Password.
    // dmSync: OnDialing, then OnConnect or (after hanging up) OnNotConnected(code, text).
    // dmAsync: OnDialing; the states arrive as OnAsyncEvent; a dial that cannot start
    // raises OnError(code, text). Returns the service's result (0 = connected / started).
    uint32_t Dial();
    // Hangs up ConnHandle and returns at once.
    uint32_t HangUp();
    // Refills Entries, raising OnEntryGet per entry. More than 100 entries: the
    // buffer-too-small error, Entries empty and no event.
    uint32_t GetEntries();
    // Raises OnActiveConnection per active connection (at most 100); changes no field.
    uint32_t GetConnections();
    // The service's dialogs for a new entry and for editing Entry.
    void CreateEntry();
    void EditEntry();
    // Store Value with Entry as its saved user name / password.
    uint32_t SetEntryUsername(const std::string& Value);
    uint32_t SetEntryPassword(const std::string& Value);
    // On 0, Value gets Entry's saved user name / password ("" when no password is saved);
    // otherwise Value is left as it was.
    uint32_t GetEntryUsername(std::string& Value);
    uint32_t GetEntryPassword(std::string& Value);
    // The text of a connection state; with a non-zero error, the service's text for it.
    std::string StateText(uint32_t state, uint32_t error);

private:
    friend void DialCallback(uint32_t msg, uint32_t state, uint32_t error);
    ras::IRasApi& Service();
    std::string ErrorText(uint32_t code);
    uintptr_t OwnerWindow();
    void Notified(uint32_t state, uint32_t error);

    ras::IRasApi* service_;
    std::vector<std::string> entries_;
    TDialMode dialMode_ = dmAsync;
    std::string entry_, phoneNumber_, username_, password_;
    TLanguage language_ = English;
    ras::RasHandle connHandle_ = 0;
    uint32_t lastError_ = 0;
    std::unique_ptr<IMessageWindow> window_;
};

// The component that last started an asynchronous dial (null when none, or destroyed).
TDialUp* CurrentDialUp();
// The notifier handed to the service for asynchronous dials; any thread (see above).
void DialCallback(uint32_t msg, uint32_t state, uint32_t error);

namespace dialup {
// The service used by components that were given none: the services record's "ras" (null
// when none is installed). The record's "ownerWindow" turns a component's owner into the
// owner window of the service's dialogs; without one, the dialogs get no owner.
ras::IRasApi* DefaultRasApi();
}  // namespace dialup
