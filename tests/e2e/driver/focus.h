// Driver commands about focus, activation, ownership and the keyboard (focus.cpp).
#pragma once
#include <string>

// Runs the command when it is one of these; -1 when it is not.
int FocusCommand(const std::string& cmd, int argc, char** argv);
// Moves the driver into the desktop that VELMORA_DESKTOP names, if any; call first.
void UseDesktopFromEnvironment();
