// The program entry: refuses a second instance, shows the splash picture, creates the
// windows, and runs the message loop until the main window closes.
#include <windows.h>

#include <string>

#include "core/Utf16.h"
#include "app/Comabout.h"
#include "app/Main_F.h"
#include "app/Splash.h"
#include "app/Unit4.h"
#include "app/win32/SingleInstance.h"
#include "dialup/win32/DefaultRas.h"
#include "mail/ip_misc.h"
#include "mail/win32/SystemCharsets.h"
#include "net/win32/WinsockBinding.h"
#include "platform/Platform.h"
#include "platform/win32/Win32Https.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32Profile.h"
#include "platform/win32/WinsockSocket.h"
#include "settings/Config.h"
#include "settings/Ini.h"
#include "settings/schedule.h"
#include "widgets/win32/Win32Widgets.h"

namespace {
std::string ModulePath() {
    // The path may be longer than MAX_PATH: the buffer grows until it holds the whole.
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n < buf.size() || buf.size() >= 32768) return WideToUtf8(std::wstring_view(buf.data(), n));
        buf.resize(buf.size() * 2);
    }
}

// An exception that escapes an event handler is shown in an error box; the program goes on.
void ShowError(const std::exception& e) {
    MessageBoxW(nullptr, Utf8ToWide(e.what()).c_str(), L"Velmora", MB_OK | MB_ICONERROR);
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    static win32::Clock clock;
    static win32::Ui ui;
    static win32::Tray tray;
    static win32::Programs programs;
    static win32::Sound sound;
    static win32::WidgetFactory factory;
    static Win32Profile profile;
    static win32::Registry registry;
    static win32::FileSystem files;
    // The dial-up service: the system's, or a simulated line when VELMORA_PHONEBOOK names one.
    static std::unique_ptr<ras::IRasApi> rasApi = ras::MakeDefaultRasApi();
    platform::Install({
        .clock = &clock, .ui = &ui, .profile = &profile, .registry = &registry, .files = &files, .tray = &tray,
        .programs = &programs, .sound = &sound, .blockingSockets = &platform::WinsockBlockingSockets(),
        .https = &platform::Win32Https(), .crypto = &platform::Win32Crypto(),
        .asyncSockets = &net::win32::Winsock(), .ras = rasApi.get(), .widgets = &factory,
        // Mail headers in any character set the system knows.
        .charsets = win32::SystemCharsetConverter(),
        // The service's entry dialogs stay above the window the user works in (the settings
        // dialog), else above the component's form.
        .ownerWindow = [](TComponent* owner) -> uintptr_t {
            if (HWND active = GetActiveWindow()) return reinterpret_cast<uintptr_t>(active);
            auto* form = dynamic_cast<TForm*>(owner);
            return form ? form->Handle() : 0;
        },
        .exePath = ModulePath(),
    });
    Application().Initialize();  // the application window, whose handle the section holds

    try {
        if (CheckAppAlreadyRunning("MyApplicationSign", true, false)) return 0;
    } catch (const std::exception& e) {
        ShowError(e);
        return 0;
    }

    auto* splash = new TForm6(&Application());
    splash->Show();
    splash->Repaint();

    Application().SetTitle("Velmora");
    // The sockets library (1.1) serves the whole run: the address display, mail and clock.
    NetworkStartup();
    TMainForm* main = nullptr;
    try {
        main = new TMainForm(&Application());
        Application().MainForm = main;
        main->FormCreate();
    } catch (const std::exception& e) {
        ShowError(e);
    }
    if (!main) return 0;
    auto* settings = new TForm2(&Application(), main);  // hidden until asked for, above the main window
    auto* schedule = new TForm3(&Application(), main);  // hidden until asked for
    auto* progress = new TForm4(&Application());

    Application().ProcessMessages();
    delete splash;

    // "/minimize" as the exact first parameter starts hidden in the notification area.
    bool minimized = __argc > 1 && std::string(__argv[1]) == "/minimize";
    Application().ShowMainForm = !minimized;
    if (minimized) main->SetVisible(false);

    if (IniOptions.AutoDial) main->PostMsg(UM_DIAL);

    for (;;) {
        try {
            Application().Run();
            break;
        } catch (const std::exception& e) {
            ShowError(e);
            if (Application().Terminated()) break;
        }
    }
    delete progress;
    delete schedule;
    delete settings;
    delete main;
    NetworkCleanup();
    return 0;
}
