// Chooses the dial-up service the program uses.
#pragma once
#include <memory>

#include "dialup/RasApi.h"

namespace ras {

// The simulated service over the phonebook file named by the environment variable
// VELMORA_PHONEBOOK (made a full path; its notifications come from a thread of its own,
// its entry dialog is a small window), or else the real service from the system directory.
// The program's entry installs the result in the services record and keeps it alive
// for the whole run.
std::unique_ptr<IRasApi> MakeDefaultRasApi();

}  // namespace ras
