// The one message lookup: every text the program composes at run time for the user comes
// from GetLangText with a message key ("const_...") and the built-in English text. A language
// file (INI format, section "Misc", one key per message, "*|*" for a line break) translates
// them when one is open; otherwise the English text shows.
//
// The fixed texts of the windows (captions, labels, buttons, pages, column heads, hints,
// menu items) are translated from the section "Windows" of the same file, keyed by the
// form's and the control's names: "Form2" is the form's caption, "Form2.Label9" a control's
// or menu item's caption, "Form2.edt_hostname.Hint" its hint, "Form2.ListView1.Column1" the
// first column head. A missing key leaves the English text.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "settings/Ini.h"
#include "widgets/Forms.h"

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

// One fixed text of a window: its key in the section "Windows", its English text, and how
// a translation is put in its place.
struct TWindowText {
    std::string key, english;
    std::function<void(const std::string&)> set;
};
// Every fixed text of the form, of its menu and of the further menus given (a popup menu
// the form shows), in creation order. Texts without a letter (numbers, separators) and the
// contents of boxes and lists are data, not texts to translate.
std::vector<TWindowText> WindowTexts(TForm& form, const std::vector<TMenu*>& menus = {});
// Puts the language file's translations in place of the form's fixed texts; nothing when
// no language file is open.
void TranslateForm(TForm& form, const std::vector<TMenu*>& menus = {});
