// A simulated dial-up service: a modem, a phone line and a provider, driven by a phonebook
// file, so that the program can dial, fail, redial and drop the line on a machine without a
// modem. It honours the calls and results of the real service (dialup/RasApi.h).
//
// The phonebook is INI text read through the profile seam, one section per entry (the
// section name is the entry name); it is re-read at each call, so the line's behaviour can
// be changed while the program runs. Keys of an entry:
//   PhoneNumber   the entry's own number (default empty)
//   User, Password  the credentials the provider accepts; a dial with others fails with 691
//                 at the authentication step (default: any are accepted)
//   DialTone      0: every dial fails with 680 at the device-connecting step (default 1)
//   Busy          comma-separated numbers that are busy: 676 at the device-connecting step
//   NoAnswer      comma-separated numbers that never answer: 678 at the same step
//   DropAfter     seconds after connecting at which the provider drops the line; the
//                 connection is then no longer listed (default: never; 0 or less: never)
//   StepDelay     milliseconds between two state notifications (default 200, at most 60000)
//   SavedUser, SavedPassword  the credentials stored with the entry (no SavedPassword key:
//                 no saved password); a credential holding a line break is refused with
//                 ERROR_INVALID_PARAMETER_, and an update changes only its own key
// A value that is not a number counts as its default. A file that cannot be read lists no
// entries, so every dial of it fails with 623.
//
// A dial that gets through notifies states 0, 1, ..., 14 and then 8192 (Connected); a
// failing one notifies the states up to its failing step and then 8193 (Disconnected) with
// the error. The notifications run on the service's own thread (see ISimScheduler).
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dialup/RasApi.h"

namespace ras {

// Where and when the simulated service does its own work. The real program uses a thread
// of the service's (ThreadScheduler); tests run the same work on virtual time.
class ISimScheduler {
public:
    virtual ~ISimScheduler() = default;
    // Runs work on the service's thread after delayMs. Work items run one at a time, in the
    // order they fall due (ties in the order they were given). Work still pending when the
    // scheduler is destroyed is dropped.
    virtual void After(uint32_t delayMs, std::function<void()> work) = 0;
    // Blocks the calling thread for ms while the service's work goes on (a synchronous dial).
    virtual void Wait(uint32_t ms) = 0;
};

// One background thread with real sleeps.
class ThreadScheduler : public ISimScheduler {
public:
    ThreadScheduler();
    ~ThreadScheduler() override;  // stops and joins the thread
    void After(uint32_t delayMs, std::function<void()> work) override;
    void Wait(uint32_t ms) override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// What the entry dialog shows and returns.
struct SimEntryFields {
    std::string name;
    std::string phoneNumber;
};
// The entry dialog: shows fields (empty for a new entry), lets the user change them and
// returns true for OK. Runs on the user-interface thread.
using SimEntryDialog = std::function<bool(uintptr_t ownerWindow, bool creating, SimEntryFields& fields)>;

class SimulatedRas : public IRasApi {
public:
    // phonebookFile: the INI file, as the profile seam names files (a full path).
    SimulatedRas(std::string phonebookFile, std::unique_ptr<ISimScheduler> scheduler,
                 SimEntryDialog entryDialog = nullptr);
    ~SimulatedRas() override;

    uint32_t Dial(const RasDialParams& params, RasNotifier notifier, RasHandle& handle) override;
    uint32_t HangUp(RasHandle handle) override;
    uint32_t EnumEntries(RasEntryName* entries, uint32_t& bufferBytes, uint32_t& count) override;
    uint32_t EnumConnections(RasConn* conns, uint32_t& bufferBytes, uint32_t& count) override;
    uint32_t GetConnectStatus(RasHandle handle, RasConnStatus& status) override;
    uint32_t GetEntryDialParams(RasDialParams& params, bool& passwordSaved) override;
    uint32_t SetEntryDialParams(const RasDialParams& params, bool removePassword) override;
    uint32_t GetErrorString(uint32_t code, char* buffer, uint32_t size) override;
    // Without a dialog (none given) these return ERROR_INVALID_PARAMETER_. A name that is
    // empty, longer than an entry name or holds "[" or "]", and a number holding a line
    // break, are refused the same way; the entry is saved with its number, an edit that
    // renames moves the entry's other keys.
    uint32_t CreatePhonebookEntry(uintptr_t ownerWindow) override;
    uint32_t EditPhonebookEntry(uintptr_t ownerWindow, const std::string& entryName) override;

    const std::string& PhonebookFile() const { return file_; }
    // The numbers dialled so far, oldest first (what the modem was asked to dial).
    std::vector<std::string> DialledNumbers() const;

    // Our own wording for an error code (OwnErrorText), "" when there is none.
    static std::string ErrorText(uint32_t code);

private:
    struct Core;
    // The section name of an entry as the file spells it; "" when there is none.
    std::string FindEntry(const std::string& name);
    std::vector<std::string> EntryNames();
    uint32_t SaveEntry(const std::string& oldName, const SimEntryFields& fields);

    std::string file_;
    SimEntryDialog entryDialog_;
    std::shared_ptr<Core> core_;
    // Declared last so it is destroyed first: its thread stops before the rest goes.
    std::unique_ptr<ISimScheduler> scheduler_;
};

}  // namespace ras
