// The end-to-end driver's commands: each is a function of its arguments, listed with its
// usage in the table of e2edriver.cpp. Exit codes: 0 done, 1 not found or timed out, 2 usage.
#pragma once
#include <windows.h>

namespace drv {

// One run of a command: the whole command line ("e2edriver CMD CAPTION ...": argv[1] is the
// command, argv[2] its first argument), and for commands that act on a window the
// top-level window argv[2] names (a visible one first).
struct Call {
    int argc;
    char** argv;
    HWND top;
};

struct Command {
    const char* name;
    int minArgc;      // fewer arguments: the usage, exit 2
    bool needsTop;    // argv[2] must name a top-level window (else "no window", exit 1)
    const char* usage;
    int (*run)(const Call&);
};

// Prints the usage to stderr; returns 2.
int Usage();
// Moves the driver into the desktop that VELMORA_DESKTOP names, if any; call first.
void UseDesktopFromEnvironment();

// Top-level windows (Windows.cpp).
int Wait(const Call&);
int WaitGone(const Call&);
int Exists(const Call&);
int Visible(const Call&);
int Count(const Call&);
int Tops(const Call&);
int SendAll(const Call&);
// A window's controls, found by their text (Windows.cpp).
int List(const Call&);
int Text(const Call&);
int WaitText(const Call&);
int Click(const Call&);
int ClickAt(const Call&);
int Notify(const Call&);
int Keys(const Call&);
int Menu(const Call&);
int SysCmd(const Call&);
int Press(const Call&);
int StatusBar(const Call&);
int ListBox(const Call&);
int RichText(const Call&);
// Message boxes and dialog controls, the latter found by component name (Dialogs.cpp).
int Dialog(const Call&);
int DialogButton(const Call&);
int Tab(const Call&);
int SetText(const Call&);
int WmSetText(const Call&);
int Paste(const Call&);
int GetText(const Call&);
int Items(const Call&);
int Select(const Call&);
int Choose(const Call&);
int Rows(const Call&);
int Row(const Call&);
int State(const Call&);
// The clock and a TIME peer (TimeServe.cpp).
int TimeServe(const Call&);
int LocalTime(const Call&);
// Focus, activation, ownership, the keyboard and the taskbar (focus.cpp).
int Active(const Call&);
int Focus(const Call&);
int BoxOwner(const Call&);
int ZOrder(const Call&);
int Raise(const Call&);
int Pointer(const Call&);
int RClick(const Call&);
int Type(const Call&);
int Taskbar(const Call&);
// What another program can learn from or do to ours (Probes.cpp).
int Responsive(const Call&);
int DefButton(const Call&);
int Unmask(const Call&);
int Holds(const Call&);
// The notification area (TrayIcon.cpp; its balloon in Dialogs.cpp).
int TrayIcon(const Call&);
int Balloon(const Call&);
// A stand-in web browser for the sign-in (Browser.cpp).
int Browse(const Call&);

}  // namespace drv
