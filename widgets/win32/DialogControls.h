// The Win32 side of the controls dialogs are made of (edit and combo boxes, list views,
// tabbed pages, group boxes) and of the dialog keyboard. Win32Widgets.cpp calls in here
// for these kinds, for their notifications and for every message the loop takes.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "widgets/Forms.h"

namespace win32 {

// A peer for the dialog kinds; nullptr for the other kinds.
std::unique_ptr<IControlPeer> CreateDialogControlPeer(TControl& c);

// A container (form, panel, page) got a notification from one of its children: edit and
// combo box changes, focus, list-view and tab selections. True when it was one of ours.
bool RouteDialogControlMessage(HWND container, UINT msg, WPARAM w, LPARAM l, LRESULT& result);

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
