// The choice between the real and the simulated dial-up service; see DefaultRas.h.
#include "dialup/win32/DefaultRas.h"

#include <windows.h>

#include <string>

#include "dialup/SimulatedRas.h"
#include "dialup/win32/RasBinding.h"
#include "dialup/win32/SimEntryDialog.h"

namespace ras {

std::unique_ptr<IRasApi> MakeDefaultRasApi() {
    char value[MAX_PATH * 2] = {};
    DWORD n = GetEnvironmentVariableA("VELMORA_PHONEBOOK", value, sizeof value);
    if (n > 0 && n < sizeof value) {
        // The profile service looks for a bare file name in the Windows folder: make it full.
        char full[MAX_PATH * 2] = {};
        DWORD m = GetFullPathNameA(value, sizeof full, full, nullptr);
        std::string file = (m > 0 && m < sizeof full) ? std::string(full, m) : std::string(value, n);
        return std::make_unique<SimulatedRas>(file, std::make_unique<ThreadScheduler>(), &RunSimEntryDialog);
    }
    return std::make_unique<RasBinding>();
}

}  // namespace ras
