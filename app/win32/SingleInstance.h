// The single-instance rule: a named shared-memory section that holds the running
// instance's application window handle in its first four bytes.
#pragma once
#include <string>

#include "core/Classes.h"

// True when another instance already holds the section `name`. The first instance writes
// its application window handle there and keeps the section open until it ends; a later
// one, with activate, sends that window SC_RESTORE and brings its last active pop-up
// forward. Raises Exception when the section cannot be created or mapped.
bool CheckAppAlreadyRunning(const std::string& name, bool activate, bool closeAtEnd);
// Closes the section's handle if still open (at program end).
void CloseAppSection();
