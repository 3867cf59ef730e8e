// The simulated dial-up service's entry dialog on Windows: an entry name and a phone number.
#pragma once
#include "dialup/SimulatedRas.h"

namespace ras {

// Control ids and captions, for whoever drives the dialog from outside.
enum : int { IDC_SIMENTRY_NAME = 101, IDC_SIMENTRY_NUMBER = 102 };
constexpr const char* kSimEntryNewCaption = "New Phonebook Entry";
constexpr const char* kSimEntryEditCaption = "Edit Phonebook Entry";

// A modal dialog; OK is refused (with a beep) while the name is empty.
bool RunSimEntryDialog(uintptr_t ownerWindow, bool creating, SimEntryFields& fields);

}  // namespace ras
