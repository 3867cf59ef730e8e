// The program entry: installs the Win32 backends, creates the windows, and runs the
// message loop until the main window closes.
#include <windows.h>

#include <string>

#include "app/Main_F.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Platform.h"
#include "widgets/win32/Win32Widgets.h"

namespace {
std::string ModulePath() {
    char buf[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
    return std::string(buf, n);
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    static win32::Clock clock;
    static win32::Ui ui;
    static win32::Shell shell;
    static win32::WidgetFactory factory;
    platform::SetClock(&clock);
    platform::SetUi(&ui);
    platform::SetShell(&shell);
    platform::SetExePath(ModulePath());
    widgets::SetFactory(&factory);

    Application().Initialize();
    Application().SetTitle("Velmora");
    auto* main = new TMainForm(&Application());
    Application().MainForm = main;
    main->FormCreate();

    // "/minimize" as the exact first parameter starts hidden in the notification area.
    bool minimized = __argc > 1 && std::string(__argv[1]) == "/minimize";
    Application().ShowMainForm = !minimized;
    if (minimized) main->SetVisible(false);

    Application().Run();
    delete main;
    return 0;
}
