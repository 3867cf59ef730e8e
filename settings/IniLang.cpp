// The message lookup; see IniLang.h.
#include "settings/IniLang.h"

#include "platform/Platform.h"

std::unique_ptr<TIniFile> LangFile;

namespace {
const std::string kSeparator = "*|*";  // a line break inside a translated text
const std::string kLineBreak = "\r\n";
}  // namespace

std::string GetLangText(const std::string& defaultText, const std::string& key) {
    if (!LangFile) return defaultText;
    std::string v = LangFile->ReadString("Misc", key, "");
    if (v.empty()) return defaultText;
    if (v.find(kSeparator) == std::string::npos) return v;

    // Each separator becomes a line break, except that separators at the very start add
    // no empty line of their own: "*|**|*a" gives one break and then "a".
    std::string r;
    size_t at;
    while ((at = v.find(kSeparator)) != std::string::npos) {
        std::string segment = v.substr(0, at);
        r = r.empty() ? segment : r + kLineBreak + segment;
        v.erase(0, at + kSeparator.size());
    }
    return r + kLineBreak + v;
}

void OpenLangFile() {
    LangFile.reset();
    const std::string& name = IniOptions.MenuLanguage;
    if (name.empty()) return;
    auto file = std::make_unique<TIniFile>(ExtractFilePath(platform::ExePath()) + name);
    if (!file->ReadSection("Misc").empty()) LangFile = std::move(file);
}

void CloseLangFile() { LangFile.reset(); }
