// The choice between the real and the simulated dial-up service; see DefaultRas.h.
#include "dialup/win32/DefaultRas.h"

#include <windows.h>

#include <string>

#include "core/Utf16.h"
#include "dialup/SimulatedRas.h"
#include "dialup/win32/RasBinding.h"
#include "dialup/win32/SimEntryDialog.h"

namespace ras {

std::unique_ptr<IRasApi> MakeDefaultRasApi() {
    wchar_t value[MAX_PATH * 2] = {};
    DWORD n = GetEnvironmentVariableW(L"VELMORA_PHONEBOOK", value, MAX_PATH * 2);
    if (n > 0 && n < MAX_PATH * 2) {
        // The profile service looks for a bare file name in the Windows folder: make it full.
        wchar_t full[MAX_PATH * 2] = {};
        DWORD m = GetFullPathNameW(value, MAX_PATH * 2, full, nullptr);
        std::string file = WideToUtf8((m > 0 && m < MAX_PATH * 2) ? std::wstring_view(full, m) : std::wstring_view(value, n));
        return std::make_unique<SimulatedRas>(file, std::make_unique<ThreadScheduler>(), &RunSimEntryDialog);
    }
    return std::make_unique<RasBinding>();
}

}  // namespace ras
