// The simulated dial-up service's phonebook file, as a user may have written it: its entries
// are listed, their saved credentials read, and the first one dialled to its end.
#include <cstdint>
#include <cstring>
#include <string>

#include "dialup/SimulatedRas.h"
#include "tests/fuzz/FuzzPlatform.h"
#include "tests/unit/dialup/VirtualScheduler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Platform& p = fuzz::Installed();
    std::string book = p.Write("phonebook.ini", data, size);
    ras::SimulatedRas sim(book, std::make_unique<dialup_test::VirtualScheduler>(p.clock));
    ras::RasEntryName entries[64] = {};
    entries[0].dwSize = sizeof(ras::RasEntryName);
    uint32_t bytes = sizeof entries, count = 0;
    if (sim.EnumEntries(entries, bytes, count) != 0 || count == 0) return 0;
    ras::RasDialParams params{};
    params.dwSize = sizeof params;
    std::memcpy(params.szEntryName, entries[0].szEntryName, sizeof params.szEntryName);
    bool saved = false;
    sim.GetEntryDialParams(params, saved);
    ras::RasHandle handle = 0;
    if (sim.Dial(params, [](uint32_t, uint32_t, uint32_t) {}, handle) == 0) {
        p.clock.Advance(600000);
        sim.HangUp(handle);
        p.clock.Advance(10000);
    }
    return 0;
}
