// The real dial-up service: rasapi32.dll from the system directory, bound at run time, so
// that a machine without it (or with an incomplete one) still runs the program.
#pragma once
#include <cstdint>
#include <string>

#include "dialup/RasApi.h"

namespace ras {

class RasBinding : public IRasApi {
public:
    // Loads the library from the system directory and looks up the entry points. A missing
    // library makes every operation return LoadError() (the loader's code, normally 126);
    // a missing entry point makes that operation return ERROR_PROC_NOT_FOUND_ (127).
    RasBinding();
    ~RasBinding() override;
    RasBinding(const RasBinding&) = delete;
    RasBinding& operator=(const RasBinding&) = delete;

    bool Loaded() const { return lib_ != nullptr; }
    uint32_t LoadError() const { return loadError_; }
    const std::string& LibraryPath() const { return path_; }

    uint32_t Dial(const RasDialParams& params, RasNotifier notifier, RasHandle& handle) override;
    uint32_t HangUp(RasHandle handle) override;
    uint32_t EnumEntries(RasEntryName* entries, uint32_t& bufferBytes, uint32_t& count) override;
    uint32_t EnumConnections(RasConn* conns, uint32_t& bufferBytes, uint32_t& count) override;
    uint32_t GetConnectStatus(RasHandle handle, RasConnStatus& status) override;
    uint32_t GetEntryDialParams(RasDialParams& params, bool& passwordSaved) override;
    uint32_t SetEntryDialParams(const RasDialParams& params, bool removePassword) override;
    // The service's text; when the service has none (or no such entry point), the system's
    // message text, else a general one. At most size - 1 characters.
    uint32_t GetErrorString(uint32_t code, char* buffer, uint32_t size) override;
    uint32_t CreatePhonebookEntry(uintptr_t ownerWindow) override;
    uint32_t EditPhonebookEntry(uintptr_t ownerWindow, const std::string& entryName) override;

private:
    struct Fns;
    void* lib_ = nullptr;  // HMODULE
    uint32_t loadError_ = 0;
    std::string path_;
    Fns* fns_;
};

}  // namespace ras
