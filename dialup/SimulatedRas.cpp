// The simulated dial-up service; see SimulatedRas.h.
#include "dialup/SimulatedRas.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

#include "core/SysUtils.h"
#include "platform/Platform.h"

namespace ras {

// ---------------------------------------------------------------------------------------
// ThreadScheduler

struct ThreadScheduler::Impl {
    using Clock = std::chrono::steady_clock;
    struct Task {
        Clock::time_point due;
        uint64_t seq;
        std::function<void()> work;
    };
    std::mutex mu;
    std::condition_variable cv;
    std::vector<Task> tasks;
    uint64_t seq = 0;
    bool stop = false;
    std::thread thread;

    void Loop() {
        std::unique_lock<std::mutex> lock(mu);
        while (!stop) {
            if (tasks.empty()) {
                cv.wait(lock);
                continue;
            }
            auto next = std::min_element(tasks.begin(), tasks.end(), [](const Task& a, const Task& b) {
                return a.due != b.due ? a.due < b.due : a.seq < b.seq;
            });
            if (next->due > Clock::now()) {
                cv.wait_until(lock, next->due);
                continue;  // a new task or stop may have arrived meanwhile
            }
            auto work = std::move(next->work);
            tasks.erase(next);
            lock.unlock();
            work();
            lock.lock();
        }
    }
};

ThreadScheduler::ThreadScheduler() : impl_(std::make_unique<Impl>()) {
    impl_->thread = std::thread([impl = impl_.get()] { impl->Loop(); });
}

ThreadScheduler::~ThreadScheduler() {
    {
        std::lock_guard<std::mutex> lock(impl_->mu);
        impl_->stop = true;
        impl_->tasks.clear();
    }
    impl_->cv.notify_all();
    impl_->thread.join();
}

void ThreadScheduler::After(uint32_t delayMs, std::function<void()> work) {
    {
        std::lock_guard<std::mutex> lock(impl_->mu);
        if (impl_->stop) return;
        impl_->tasks.push_back(
            Impl::Task{Impl::Clock::now() + std::chrono::milliseconds(delayMs), impl_->seq++, std::move(work)});
    }
    impl_->cv.notify_all();
}

void ThreadScheduler::Wait(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// ---------------------------------------------------------------------------------------
// The simulated line

namespace {

constexpr uint32_t kDefaultStepDelay = 200;
constexpr uint32_t kMaxStepDelay = 60000;
constexpr int32_t kMaxDropAfter = 7 * 24 * 3600;  // a week: keeps the milliseconds in range
const char* const kDeviceType = "modem";
const char* const kDeviceName = "Simulated Modem";

// What one dial will do, decided from the phonebook when it starts.
struct Plan {
    std::string entry;
    std::string number;
    uint32_t lastState = RASCS_Authenticated;  // the last state before the outcome
    uint32_t error = 0;                        // 0: connects; else fails after lastState
    uint32_t stepDelay = kDefaultStepDelay;
    int32_t dropAfterSec = 0;                  // 0: never
};

std::vector<std::string> SplitNumbers(const std::string& list) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = list.find(',', start);
        if (comma == std::string::npos) comma = list.size();
        std::string n = Trim(list.substr(start, comma - start));
        if (!n.empty()) out.push_back(n);
        start = comma + 1;
    }
    return out;
}

bool Contains(const std::vector<std::string>& list, const std::string& v) {
    return std::find(list.begin(), list.end(), v) != list.end();
}

bool HasKey(const std::vector<std::string>& keys, const char* key) {
    for (auto& k : keys)
        if (SameText(Trim(k), key)) return true;
    return false;
}

bool HasLineBreak(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

bool ValidEntryName(const std::string& name) {
    return !name.empty() && name.size() <= MaxEntryName && name.find_first_of("[]\r\n") == std::string::npos;
}

}  // namespace

struct SimulatedRas::Core {
    struct Conn {
        std::string entry;
        uint32_t state = RASCS_OpenPort;
        bool connected = false;
    };
    std::mutex mu;
    bool alive = true;
    ISimScheduler* scheduler = nullptr;
    RasHandle nextHandle = 0x5100;
    std::map<RasHandle, Conn> conns;
    std::vector<std::string> dialled;

    // Runs the dial's step `state` (and schedules the next), on the service's thread.
    static void Step(const std::shared_ptr<Core>& core, RasHandle h, std::shared_ptr<const Plan> plan,
                     RasNotifier notifier, uint32_t state) {
        uint32_t error = 0;
        {
            std::lock_guard<std::mutex> lock(core->mu);
            auto it = core->conns.find(h);
            if (!core->alive || it == core->conns.end()) return;  // hung up meanwhile
            if (state <= plan->lastState) {
                it->second.state = state;
                uint32_t next = state + 1 <= plan->lastState ? state + 1 : RASCS_Connected;
                core->scheduler->After(plan->stepDelay, [core, h, plan, notifier, next] {
                    Step(core, h, plan, notifier, next);
                });
            } else if (plan->error == 0) {
                state = RASCS_Connected;
                it->second.state = state;
                it->second.connected = true;
                ScheduleDrop(core, h, plan);
            } else {
                // A failed line is gone at once: it must not look like a live connection.
                state = RASCS_Disconnected;
                error = plan->error;
                core->conns.erase(it);
            }
        }
        notifier(WM_RASDIALEVENT, state, error);
    }

    static void ScheduleDrop(const std::shared_ptr<Core>& core, RasHandle h, const std::shared_ptr<const Plan>& plan) {
        if (plan->dropAfterSec <= 0) return;
        core->scheduler->After(static_cast<uint32_t>(plan->dropAfterSec) * 1000u, [core, h] {
            std::lock_guard<std::mutex> lock(core->mu);
            auto it = core->conns.find(h);
            if (it != core->conns.end() && it->second.connected) core->conns.erase(it);
        });
    }
};

SimulatedRas::SimulatedRas(std::string phonebookFile, std::unique_ptr<ISimScheduler> scheduler,
                           SimEntryDialog entryDialog)
    : file_(std::move(phonebookFile)),
      entryDialog_(std::move(entryDialog)),
      core_(std::make_shared<Core>()),
      scheduler_(std::move(scheduler)) {
    core_->scheduler = scheduler_.get();
}

SimulatedRas::~SimulatedRas() {
    // Work still queued elsewhere (virtual time) finds the core dead and does nothing.
    std::lock_guard<std::mutex> lock(core_->mu);
    core_->alive = false;
}

std::vector<std::string> SimulatedRas::EntryNames() {
    std::vector<std::string> names;
    for (auto& raw : platform::Profile().ReadSections(file_)) {
        std::string n = Trim(raw);
        if (!ValidEntryName(n)) continue;  // could never be dialled by that name
        bool dup = false;
        for (auto& m : names) dup = dup || SameText(m, n);
        if (!dup) names.push_back(n);
    }
    return names;
}

std::string SimulatedRas::FindEntry(const std::string& name) {
    std::string want = Trim(name);
    if (want.empty()) return "";
    for (auto& n : EntryNames())
        if (SameText(n, want)) return n;
    return "";
}

uint32_t SimulatedRas::Dial(const RasDialParams& params, RasNotifier notifier, RasHandle& handle) {
    if (params.dwSize != sizeof(RasDialParams)) return ERROR_INVALID_SIZE;
    std::string entry = FindEntry(TextOf(params.szEntryName));
    if (entry.empty()) return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;

    // The file is read afresh for every dial.
    auto& profile = platform::Profile();
    auto keys = profile.ReadKeys(file_, entry);
    auto read = [&](const char* key, const std::string& def) { return profile.ReadString(file_, entry, key, def); };
    auto plan = std::make_shared<Plan>();
    plan->entry = entry;
    std::string override = Trim(TextOf(params.szPhoneNumber));
    plan->number = override.empty() ? Trim(read("PhoneNumber", "")) : override;
    int32_t delay = StrToIntDef(read("StepDelay", ""), kDefaultStepDelay);
    plan->stepDelay = delay < 0 ? kDefaultStepDelay : std::min<uint32_t>(static_cast<uint32_t>(delay), kMaxStepDelay);
    int32_t drop = StrToIntDef(read("DropAfter", ""), 0);
    plan->dropAfterSec = std::clamp<int32_t>(drop, 0, kMaxDropAfter);

    bool userOk = !HasKey(keys, "User") || read("User", "") == TextOf(params.szUserName);
    bool passOk = !HasKey(keys, "Password") || read("Password", "") == TextOf(params.szPassword);
    if (StrToIntDef(read("DialTone", ""), 1) == 0) {
        plan->lastState = RASCS_ConnectDevice;
        plan->error = ERROR_NO_DIALTONE;
    } else if (Contains(SplitNumbers(read("Busy", "")), plan->number)) {
        plan->lastState = RASCS_ConnectDevice;
        plan->error = ERROR_LINE_BUSY;
    } else if (Contains(SplitNumbers(read("NoAnswer", "")), plan->number)) {
        plan->lastState = RASCS_ConnectDevice;
        plan->error = ERROR_NO_ANSWER;
    } else if (!userOk || !passOk) {
        plan->lastState = RASCS_Authenticate;
        plan->error = ERROR_AUTHENTICATION_FAILURE;
    }

    auto core = core_;
    RasHandle h;
    {
        std::lock_guard<std::mutex> lock(core->mu);
        h = core->nextHandle++;
        core->conns[h] = Core::Conn{entry, RASCS_OpenPort, false};
        core->dialled.push_back(plan->number);
    }
    handle = h;

    if (notifier) {
        scheduler_->After(0, [core, h, plan, notifier] { Core::Step(core, h, plan, notifier, RASCS_OpenPort); });
        return 0;
    }

    // Synchronous: the caller waits as long as the steps take.
    scheduler_->Wait(plan->stepDelay * (plan->lastState + 1));
    std::lock_guard<std::mutex> lock(core->mu);
    auto it = core->conns.find(h);
    if (it == core->conns.end()) return plan->error ? plan->error : uint32_t{ERROR_INVALID_HANDLE_};  // hung up meanwhile
    if (plan->error) {
        core->conns.erase(it);
        return plan->error;
    }
    it->second.state = RASCS_Connected;
    it->second.connected = true;
    Core::ScheduleDrop(core, h, plan);
    return 0;
}

uint32_t SimulatedRas::HangUp(RasHandle handle) {
    std::lock_guard<std::mutex> lock(core_->mu);
    return core_->conns.erase(handle) ? 0u : uint32_t{ERROR_INVALID_HANDLE_};
}

uint32_t SimulatedRas::EnumEntries(RasEntryName* entries, uint32_t& bufferBytes, uint32_t& count) {
    count = 0;
    if (!entries) return ERROR_INVALID_PARAMETER_;
    if (entries[0].dwSize != sizeof(RasEntryName)) return ERROR_INVALID_SIZE;
    auto names = EntryNames();
    uint32_t needed = static_cast<uint32_t>(names.size() * sizeof(RasEntryName));
    if (bufferBytes < needed) {
        bufferBytes = needed;
        return ERROR_BUFFER_TOO_SMALL;
    }
    for (size_t i = 0; i < names.size(); ++i) {
        std::memset(&entries[i], 0, sizeof(RasEntryName));
        entries[i].dwSize = sizeof(RasEntryName);
        CopyText(entries[i].szEntryName, names[i]);
    }
    bufferBytes = needed;
    count = static_cast<uint32_t>(names.size());
    return 0;
}

uint32_t SimulatedRas::EnumConnections(RasConn* conns, uint32_t& bufferBytes, uint32_t& count) {
    count = 0;
    if (!conns) return ERROR_INVALID_PARAMETER_;
    if (conns[0].dwSize != sizeof(RasConn)) return ERROR_INVALID_SIZE;
    std::lock_guard<std::mutex> lock(core_->mu);
    uint32_t needed = static_cast<uint32_t>(core_->conns.size() * sizeof(RasConn));
    if (bufferBytes < needed) {
        bufferBytes = needed;
        return ERROR_BUFFER_TOO_SMALL;
    }
    size_t i = 0;
    for (auto& [h, c] : core_->conns) {
        std::memset(&conns[i], 0, sizeof(RasConn));
        conns[i].dwSize = sizeof(RasConn);
        conns[i].hrasconn = h;
        CopyText(conns[i].szEntryName, c.entry);
        CopyText(conns[i].szDeviceType, kDeviceType);
        CopyText(conns[i].szDeviceName, kDeviceName);
        ++i;
    }
    bufferBytes = needed;
    count = static_cast<uint32_t>(i);
    return 0;
}

uint32_t SimulatedRas::GetConnectStatus(RasHandle handle, RasConnStatus& status) {
    if (status.dwSize != sizeof(RasConnStatus)) return ERROR_INVALID_SIZE;
    std::lock_guard<std::mutex> lock(core_->mu);
    auto it = core_->conns.find(handle);
    if (it == core_->conns.end()) return ERROR_INVALID_HANDLE_;
    status.rasconnstate = it->second.state;
    status.dwError = 0;
    CopyText(status.szDeviceType, kDeviceType);
    CopyText(status.szDeviceName, kDeviceName);
    return 0;
}

uint32_t SimulatedRas::GetEntryDialParams(RasDialParams& params, bool& passwordSaved) {
    passwordSaved = false;
    if (params.dwSize != sizeof(RasDialParams)) return ERROR_INVALID_SIZE;
    std::string entry = FindEntry(TextOf(params.szEntryName));
    if (entry.empty()) return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
    auto& profile = platform::Profile();
    CopyText(params.szUserName, profile.ReadString(file_, entry, "SavedUser", ""));
    passwordSaved = HasKey(profile.ReadKeys(file_, entry), "SavedPassword");
    CopyText(params.szPassword, passwordSaved ? profile.ReadString(file_, entry, "SavedPassword", "") : "");
    return 0;
}

uint32_t SimulatedRas::SetEntryDialParams(const RasDialParams& params, bool removePassword) {
    if (params.dwSize != sizeof(RasDialParams)) return ERROR_INVALID_SIZE;
    std::string entry = FindEntry(TextOf(params.szEntryName));
    if (entry.empty()) return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
    auto& profile = platform::Profile();
    std::string user = TextOf(params.szUserName), password = TextOf(params.szPassword);
    // A line break would end the key's line in the file and start keys or entries of its own.
    if (HasLineBreak(user) || HasLineBreak(password)) return ERROR_INVALID_PARAMETER_;
    if (!user.empty() && !profile.WriteString(file_, entry, "SavedUser", user)) return ERROR_CANNOT_WRITE_PHONEBOOK;
    if (removePassword) {
        // Only the key goes: the entry keeps its place, its comments and its other keys. A
        // hand-edited entry may hold the key more than once; each round removes one.
        for (size_t rounds = profile.ReadKeys(file_, entry).size();
             rounds > 0 && HasKey(profile.ReadKeys(file_, entry), "SavedPassword"); --rounds)
            if (!profile.DeleteKey(file_, entry, "SavedPassword")) return ERROR_CANNOT_WRITE_PHONEBOOK;
    } else if (!password.empty() && !profile.WriteString(file_, entry, "SavedPassword", password)) {
        return ERROR_CANNOT_WRITE_PHONEBOOK;
    }
    return 0;
}

std::string SimulatedRas::ErrorText(uint32_t code) { return OwnErrorText(code); }

uint32_t SimulatedRas::GetErrorString(uint32_t code, char* buffer, uint32_t size) {
    if (!buffer || size == 0) return ERROR_INVALID_PARAMETER_;
    std::string text = ErrorText(code);
    if (text.empty()) text = "Dial-up error " + std::to_string(code) + ".";
    if (text.size() + 1 > size) return ERROR_INSUFFICIENT_BUFFER_;
    CopyText(buffer, size, text);
    return 0;
}

uint32_t SimulatedRas::SaveEntry(const std::string& oldName, const SimEntryFields& fields) {
    std::string name = Trim(fields.name);
    std::string number = Trim(fields.phoneNumber);
    if (!ValidEntryName(name) || number.size() > MaxPhoneNumber || HasLineBreak(number)) return ERROR_INVALID_PARAMETER_;
    auto& profile = platform::Profile();
    std::string existing = FindEntry(name);
    if (!oldName.empty() && !existing.empty() && !SameText(existing, oldName)) return ERROR_ALREADY_EXISTS_;
    if (oldName.empty() && !existing.empty()) return ERROR_ALREADY_EXISTS_;
    std::string target = name;
    if (!oldName.empty() && SameText(oldName, name)) {
        target = oldName;  // same entry; the file keeps its spelling
    } else if (!oldName.empty()) {
        // Renamed: the entry's other keys go with it.
        for (auto& k : profile.ReadKeys(file_, oldName))
            if (!profile.WriteString(file_, name, k, profile.ReadString(file_, oldName, k, "")))
                return ERROR_CANNOT_WRITE_PHONEBOOK;
        profile.EraseSection(file_, oldName);
    }
    if (!profile.WriteString(file_, target, "PhoneNumber", number)) return ERROR_CANNOT_WRITE_PHONEBOOK;
    return 0;
}

uint32_t SimulatedRas::CreatePhonebookEntry(uintptr_t ownerWindow) {
    if (!entryDialog_) return ERROR_INVALID_PARAMETER_;
    SimEntryFields fields;
    if (!entryDialog_(ownerWindow, true, fields)) return 0;  // cancelled
    return SaveEntry("", fields);
}

uint32_t SimulatedRas::EditPhonebookEntry(uintptr_t ownerWindow, const std::string& entryName) {
    std::string entry = FindEntry(entryName);
    if (entry.empty()) return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
    if (!entryDialog_) return ERROR_INVALID_PARAMETER_;
    SimEntryFields fields{entry, platform::Profile().ReadString(file_, entry, "PhoneNumber", "")};
    if (!entryDialog_(ownerWindow, false, fields)) return 0;
    return SaveEntry(entry, fields);
}

std::vector<std::string> SimulatedRas::DialledNumbers() const {
    std::lock_guard<std::mutex> lock(core_->mu);
    return core_->dialled;
}

}  // namespace ras
