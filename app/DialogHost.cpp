// The main window as the host of the settings and schedule dialogs: the phonebook entries
// of its dial-up component, its mail-check timer, its message list and its connection.
#include "app/Main_F.h"
#include "settings/Ini.h"

std::vector<std::string> TMainForm::EntryNames() {
    entryNames_.clear();
    DialUp.GetEntries();  // each entry arrives through DialUpEntryGet
    return std::move(entryNames_);
}

void TMainForm::EntryCredentials(const std::string& entry, std::string& user, std::string& password) {
    DialUp.SetEntry(entry);
    if (DialUp.GetEntryUsername(user) != 0) user.clear();
    if (DialUp.GetEntryPassword(password) != 0) password.clear();
}

void TMainForm::EditEntry(const std::string& entry) {
    DialUp.SetEntry(entry);
    DialUp.EditEntry();
}

void TMainForm::CreateEntry() { DialUp.CreateEntry(); }

void TMainForm::SetMailCheckInterval(uint32_t ms) { TimerCheckEmail.SetInterval(ms); }

void TMainForm::SettingsSaved() {
    Autostart1.SetAutostart(IniOptions.AutoStartUp);
    ReactToIniOptions();
}

void TMainForm::ClearMessages() { HListBox2.Clear(); }

void TMainForm::AddMessage(const std::string& line) { HListBox2.Add(line); }

bool TMainForm::IsOnline() { return Connected; }
