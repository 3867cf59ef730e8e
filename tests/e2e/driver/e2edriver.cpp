// The end-to-end driver: run under the same Wine prefix as the program, it finds the
// program's windows and works them as a user would, and prints what it sees.
//   e2edriver COMMAND CAPTION|- ARGUMENTS...
// The commands and their arguments are the table below; the files named in Driver.h hold
// them. Exit codes: 0 done, 1 not found or timed out, 2 usage.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Driver.h"
#include "WindowText.h"

namespace drv {
namespace {

// name, fewest arguments (the command line's count), needs the window CAPTION names, usage.
const Command kCommands[] = {
    {"wait", 3, false, "wait CAPTION [SECONDS]        wait for a visible top-level window, print its handle", Wait},
    {"waitgone", 3, false, "waitgone CAPTION [SECONDS]    wait until no visible top-level window has the caption", WaitGone},
    {"exists", 3, false, "exists CAPTION                exit 0 if a top-level window (visible or not) has it", Exists},
    {"visible", 3, false, "visible CAPTION               exit 0 if such a window is visible", Visible},
    {"count", 3, false, "count CAPTION                 print how many visible top-level windows have the caption", Count},
    {"tops", 3, false, "tops -                        print every top-level window: class|text|visible|handle", Tops},
    {"list", 3, true, "list CAPTION                  print each child window: class|text|visible|enabled|x,y,w,h; "
                      "then client|w,h and frame|in work area (1/0)|x,y,w,h", List},
    {"text", 3, true, "text CAPTION CONTROL_TEXT...  exit 0 if a child with each exact text exists", Text},
    {"waittext", 4, true, "waittext CAPTION TEXT [SECONDS]  wait until a child control shows TEXT", WaitText},
    {"click", 4, true, "click CAPTION CONTROL_TEXT    click the child control with this exact text", Click},
    {"clickat", 6, true, "clickat CAPTION TEXT X Y      press and release the left button at a point of a control", ClickAt},
    {"notify", 4, true, "notify CAPTION CONTROL_TEXT   post the button's click notification to its parent, whatever the focus", Notify},
    {"keys", 4, true, "keys CAPTION KEY...           post keys (down, up, right, tab, enter, escape) to the window", Keys},
    {"menu", 4, true, "menu CAPTION [MENU...] ITEM   choose a main-menu item by caption (\"&\" kept); with the path "
                      "of captions, by their mnemonics when the menu is not readable", Menu},
    {"syscmd", 4, true, "syscmd CAPTION minimize|restore|close", SysCmd},
    {"press", 4, true, "press CAPTION f1              bring the window to the front and type the key", Press},
    {"statusbar", 3, true, "statusbar CAPTION             print the status bar's panel texts, one a line", StatusBar},
    {"listbox", 3, true, "listbox CAPTION               print the lines of the first list box", ListBox},
    {"richtext", 3, true, "richtext CAPTION              print the text of the window's first rich-edit control", RichText},
    {"sendall", 4, true, "sendall CAPTION MSG [W [L]]   send MSG to every top-level window of CAPTION's process, "
                         "hidden ones too; print class|text|answer", SendAll},
    {"dialog", 3, false, "dialog SECONDS                wait for a message box; print its caption, owner and controls", Dialog},
    {"dialogbutton", 4, false, "dialogbutton - TEXT           press the message box's button with this text", DialogButton},
    {"tab", 4, true, "tab CAPTION TABTEXT           click the tab with this text", Tab},
    {"settext", 5, true, "settext CAPTION NAME TEXT     click into an edit or combo box and type TEXT over its text", SetText},
    {"wmsettext", 5, true, "wmsettext CAPTION NAME TEXT   set the text as automation does (WM_SETTEXT, no typing)", WmSetText},
    {"paste", 5, true, "paste CAPTION NAME TEXT       paste TEXT over the box's text as its context menu does", Paste},
    {"gettext", 4, true, "gettext CAPTION NAME          print the text of the named control", GetText},
    {"items", 4, true, "items CAPTION NAME            print the lines of a combo or list box", Items},
    {"select", 5, true, "select CAPTION NAME INDEX     choose a line of a combo or list box as the user does", Select},
    {"choose", 5, true, "choose CAPTION NAME ITEM      choose the line with this text, likewise", Choose},
    {"rows", 4, true, "rows CAPTION NAME             print a list view's rows, cells joined by \"|\"", Rows},
    {"row", 5, true, "row CAPTION NAME INDEX        select a list-view row (-1: none) as the keyboard does", Row},
    {"state", 4, true, "state CAPTION NAME            print \"visible enabled\" (1 or 0 each) of the named control", State},
    {"timeserve", 6, false, "timeserve ADDR PORT HEX SECS  answer one TIME request with the given bytes (\"now\": the time)", TimeServe},
    {"localtime", 3, false, "localtime -                   print the local time as Wine tells it, HH:MM:SS", LocalTime},
    {"active", 3, false, "active -                      print the foreground window: class|caption", Active},
    {"focus", 3, false, "focus -                       print the focused control of the foreground window's thread", Focus},
    {"boxowner", 3, false, "boxowner SECONDS              wait for a message box; print its owner: class|caption", BoxOwner},
    {"zorder", 3, false, "zorder -                      print the shown top-level windows, topmost first", ZOrder},
    {"raise", 3, false, "raise CAPTION                 bring a window to the top and to the foreground", Raise},
    {"pointer", 4, false, "pointer X Y                   move the mouse pointer to a point of the screen", Pointer},
    {"rclick", 4, false, "rclick X Y                    press and release the right button at a point of the screen", RClick},
    {"type", 3, false, "type KEY...                   type keys into the foreground window (tab, shift+tab, space, "
                       "enter, escape, alt+f4, alt+LETTER, LETTER)", Type},
    {"taskbar", 3, false, "taskbar -                     print how many window buttons the taskbar of Wine's desktop shows", Taskbar},
    {"responsive", 4, true, "responsive CAPTION SECONDS    ask the window every 100 ms; print the longest answer time (ms)",
     Responsive},
    {"defbutton", 3, false, "defbutton SECONDS             wait for a message box; print its default button's text", DefButton},
    {"unmask", 4, true, "unmask CAPTION NAME           switch a password box's character off, print the text it gives", Unmask},
    {"holds", 4, true, "holds CAPTION TEXT            exit 0 if any window of CAPTION's process shows TEXT", Holds},
    {"trayicon", 4, false, "trayicon EXE NAME...          for each notification-area icon, print which of EXE's icon "
                           "resources NAME... it shows", TrayIcon},
    {"browse", 4, false, "browse LOGFILE URL            follow a sign-in address to its redirect, logging the answers",
     Browse},
    {"balloon", 3, false, "balloon SECONDS               wait for a balloon notice of any program; print its text", Balloon},
};

}  // namespace

int Usage() {
    std::fprintf(stderr, "usage: e2edriver wait|waitgone|exists|visible|list|text|click|menu|syscmd|statusbar|listbox|count CAPTION ...\n");
    for (const Command& c : kCommands) std::fprintf(stderr, "  e2edriver %s\n", c.usage);
    return 2;
}

}  // namespace drv

int main(int, char**) {
    using namespace drv;
    // The arguments as wide text, handled as UTF-8 (the ANSI ones lose what the code page lacks).
    int argc = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &argc);
    static std::vector<std::string> args;
    static std::vector<char*> pointers;
    for (int i = 0; i < argc; ++i) args.push_back(WideToUtf8(wide[i]));
    for (std::string& a : args) pointers.push_back(a.data());
    pointers.push_back(nullptr);
    char** argv = pointers.data();
    if (argc < 3) return Usage();
    drv::UseDesktopFromEnvironment();
    const Command* command = nullptr;
    for (const Command& c : kCommands)
        if (std::strcmp(c.name, argv[1]) == 0) command = &c;
    if (!command || argc < command->minArgc) return Usage();
    Call call{argc, argv, nullptr};
    if (command->needsTop) {
        // "-" names the message box in front (its caption is the program's title, which the
        // hidden application window carries too).
        call.top = std::strcmp(argv[2], "-") == 0 ? FindWindowW(L"#32770", nullptr) : Top(argv[2]);
        if (!call.top) {
            std::fprintf(stderr, "no window \"%s\"\n", argv[2]);
            return 1;
        }
    }
    return command->run(call);
}
