// What the settings and schedule dialogs need from the window that opens them. The owner
// (the main window) hands itself to each dialog as its host; a dialog without a host
// (nullptr) still works and simply leaves these steps out.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class TForm;

class IDialogHost {
public:
    virtual ~IDialogHost() = default;

    // The window the dialogs stay above.
    virtual TForm* HostForm() = 0;

    // The dial-up service's phonebook entries, by name, in the service's order.
    virtual std::vector<std::string> EntryNames() = 0;
    // The user name and password stored with an entry; each is empty when the service has
    // none for it (or knows no such entry). The entry becomes the dial-up component's own.
    virtual void EntryCredentials(const std::string& entry, std::string& user, std::string& password) = 0;
    // The service's dialog that edits the entry (which becomes the component's own), and
    // the one that creates a new entry.
    virtual void EditEntry(const std::string& entry) = 0;
    virtual void CreateEntry() = 0;

    // Plays a wave file to the end (the system's default sound when it cannot be played).
    virtual void PlaySoundFile(const std::string& file) = 0;

    // The mail check from now on every `ms` milliseconds.
    virtual void SetMailCheckInterval(uint32_t ms) = 0;
    // The settings were just written: starting with Windows and the main window follow them.
    virtual void SettingsSaved() = 0;

    // The main window's message list: emptied, and a line added at its end.
    virtual void ClearMessages() = 0;
    virtual void AddMessage(const std::string& line) = 0;

    // Whether the line is up, dialing, hanging up, and starting the programs a scheduled
    // session runs once its line is up.
    virtual bool IsOnline() = 0;
    virtual void Dial() = 0;
    virtual void HangUp() = 0;
    virtual void RunScheduledPrograms() = 0;
};
