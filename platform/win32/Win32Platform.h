// The Win32 backends of the clock, the UI services, the notification area, program starts,
// sounds, the registry and the file system.
#pragma once
#include "platform/Clock.h"
#include "platform/Ui.h"

#include <exception>

namespace win32 {
class Clock : public IClock {
public:
    uint32_t TickCount() override;
    void Sleep(uint32_t ms) override;
    TDateTime Now() override;
    TDateTime NowUtc() override;
    uint32_t SetSystemTimeUtc(const TSystemTime& utc) override;
    std::string ErrorText(uint32_t code) override;
    void BroadcastTimeChange() override;
};

class Ui : public IUi {
public:
    void ProcessMessages() override;
    std::unique_ptr<IMessageWindow> CreateMessageWindow(IMessageWindow::Handler handler) override;
    uintptr_t StartTimer(uint32_t ms, std::function<void()> onTick) override;
    void StopTimer(uintptr_t id) override;
    int MsgBox(const std::string& text, const std::string& caption, uint32_t flags, int helpContext) override;
    void SetBusyCursor(bool busy) override;
    uint32_t MessageTick() override;
};

// The help context of the message box that is open now (0 when none). The system's box does
// not always pass its context on with F1 (Wine gives its owner none), so the owner asks here.
int OpenBoxHelpContext();

// The module's instance handle, for resources and window classes.
void* Instance();
// The system's wording for an error code, on one line; empty when the system has none.
std::string SystemMessage(uint32_t code);
// Loads a library of the system (an HMODULE) from the system directory only, never one of
// that name beside the program; `path` is where it was looked for. nullptr when it is not
// there (GetLastError tells why).
void* LoadSystemLibrary(const std::string& name, std::string& path);
// Winsock 1.1 takes and gives host names in the code page: a name of ours with characters
// outside ASCII goes in its international (IDNA, "xn--") form where the system has it,
// else in the code page; a name Winsock gives comes back as UTF-8.
std::string HostToWinsock(const std::string& name);
std::string HostFromWinsock(const char* name);

// The program's window the user is looking at (0 when none is shown): the active window
// when the user can see it, else the top shown window with a caption. `except` is never
// the answer (a window about to hide).
uintptr_t WindowUserSees(uintptr_t except = 0);
// Gives the activation back to the window the user sees when `leaving` (a window that hides,
// a menu's owner) has it or it is nowhere visible.
void ReturnActivation(uintptr_t leaving);

// An exception that escapes an event handler is shown in an error box and the program goes
// on: window procedures and timer callbacks run their handlers through this, so no
// exception unwinds through the system's own frames.
void ShowException(const char* what);
template <class F, class R>
R Guarded(F&& f, R onError) {
    try {
        return f();
    } catch (const std::exception& e) {
        ShowException(e.what());
    } catch (...) {
        ShowException("Unexpected error");
    }
    return onError;
}
}  // namespace win32

#include "platform/Programs.h"
#include "platform/Sound.h"
#include "platform/Tray.h"

namespace win32 {
// The notification area through the shell library (Win32Tray.cpp).
class Tray : public ITray {
public:
    bool NotifyIcon(uint32_t action, const TNotifyIconData& data) override;
    bool NotifyBalloon(uintptr_t window, uint32_t id, const std::string& title, const std::string& text) override;
    void SetForegroundWindow(uintptr_t window) override;
    void GetCursorPos(int& x, int& y) override;
    uintptr_t LoadIconResource(const std::string& name) override;
};

// Program starts through the shell library, the host entry through Winsock (Win32Programs.cpp).
class Programs : public IPrograms {
public:
    intptr_t ShellExecute(const std::string& operation, const std::string& file, const std::string& params,
                          const std::string& dir, int show) override;
    std::string SystemDirectory() override;
    bool LocalHostEntry(std::string& officialName, std::string& firstAddress) override;
};

// Wave files through the multimedia library (Win32Sound.cpp).
class Sound : public ISound {
public:
    bool PlaySound(const std::string& file) override;
    bool PlayWaveAsync(const std::string& file) override;
    void Beep() override;
};
}  // namespace win32

#include "platform/Registry.h"

namespace win32 {
class Registry : public IRegistry {
public:
    bool OpenKey(TRootKey root, const std::string& path, bool create) override;
    bool ReadString(TRootKey root, const std::string& path, const std::string& name, std::string& value) override;
    bool WriteString(TRootKey root, const std::string& path, const std::string& name, const std::string& value) override;
    bool DeleteValue(TRootKey root, const std::string& path, const std::string& name) override;
    bool DeleteKey(TRootKey root, const std::string& path) override;
};
}  // namespace win32

#include "platform/FileSystem.h"

namespace win32 {
class FileSystem : public IFileSystem {
public:
    bool List(const std::string& folder, std::vector<TDirEntry>& entries) override;
    char Separator() const override { return '\\'; }
    // The volume's serial number and the folder's file index (Win32FileSystem.cpp).
    std::string FolderIdentity(const std::string& folder) override;
    // Whole files through CreateFile/WriteFile/FlushFileBuffers, MoveFileEx with
    // MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH, DeleteFile.
    bool Exists(const std::string& path) override;
    bool Write(const std::string& path, const std::string& content, std::string& error) override;
    bool Flush(const std::string& path, std::string& error) override;
    bool Read(const std::string& path, size_t limit, std::string& content, std::string& error) override;
    bool Replace(const std::string& from, const std::string& to, std::string& error) override;
    bool Remove(const std::string& path) override;
    // The ANSI code page (CP_ACP) through MultiByteToWideChar/WideCharToMultiByte.
    std::string FromCodePage(const std::string& bytes) override;
    bool ToCodePage(const std::string& text, std::string& bytes) override;
};
}  // namespace win32
