// The one message lookup: every text the program composes at run time for the user comes
// from GetLangText with a message key ("const_...") and the built-in English text. A language
// file (INI format, section "Misc", one key per message, "*|*" for a line break) translates
// them when one is open; otherwise the English text shows.
#pragma once
#include <memory>
#include <string>

#include "settings/Ini.h"

// The open language file, or none (then every lookup gives its English text).
extern std::unique_ptr<TIniFile> LangFile;

// The text for key from the language file, or defaultText when no file is open or the file
// has no (or an empty) entry for it. Never fails.
std::string GetLangText(const std::string& defaultText, const std::string& key);

// Opens the language file named by IniOptions.MenuLanguage in the executable's directory,
// when that file holds a "Misc" section with at least one key; otherwise leaves LangFile as
// none. Called once at start-up, after ReadIniFile.
void OpenLangFile();
void CloseLangFile();
