// The keyboard every dialog of the program answers to (Tab order, Enter and Escape for the
// default and cancel buttons, Alt+letter mnemonics, Ctrl+Tab through tabbed pages), where
// the focus goes when a form is activated, and the name tags automation finds controls by.
#pragma once
#include <windows.h>

#include <string>

#include "widgets/Forms.h"

namespace win32 {

// A form's own messages that concern it as a dialog: activation (OnActivate, and the
// focus put back where it was). True when handled; result is then the answer.
bool DialogFormMessage(HWND hwnd, TForm& form, UINT msg, WPARAM w, LPARAM l, LRESULT& result);

// The dialog keyboard for every visible form, called by the message loops before a
// message is translated: Tab, Ctrl+Tab, Enter, Escape and Alt+letter. True when the
// message was used up.
bool HandleDialogKey(const MSG& msg);

// Tags a control's window with its component name, so that automation (our end-to-end
// driver among others) can find it: the window property "VelmoraName" holds a global atom
// of the name.
void TagWithName(HWND hwnd, const std::string& name);

}  // namespace win32
