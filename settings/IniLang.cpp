// The message lookup; see IniLang.h.
#include "settings/IniLang.h"

#include <cctype>

#include "platform/Platform.h"

std::unique_ptr<TIniFile> LangFile;

namespace {
const std::string kSeparator = "*|*";  // a line break inside a translated text
const std::string kLineBreak = "\r\n";

// A value of the language file with its separators turned into line breaks; empty when
// the key is missing or empty.
std::string Translation(const std::string& section, const std::string& key) {
    std::string v = LangFile->ReadString(section, key, "");
    if (v.empty()) return v;
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
}  // namespace

std::string GetLangText(const std::string& defaultText, const std::string& key) {
    if (!LangFile) return defaultText;
    std::string v = Translation("Misc", key);
    return v.empty() ? defaultText : v;
}

namespace {
bool HasLetter(const std::string& s) {
    for (unsigned char ch : s)
        if (std::isalpha(ch) || ch >= 0x80) return true;
    return false;
}

// Kinds whose caption is a fixed text; the others hold data (boxes, lists, pictures).
bool CaptionIsText(TControlKind k) {
    switch (k) {
        case TControlKind::Label:
        case TControlKind::StaticText:
        case TControlKind::Button:
        case TControlKind::SpeedButton:
        case TControlKind::FavoritesButton:
        case TControlKind::CheckBox:
        case TControlKind::RadioButton:
        case TControlKind::GroupBox:
        case TControlKind::TabSheet: return true;
        default: return false;
    }
}

void AddMenuTexts(std::vector<TWindowText>& out, const std::string& prefix, TMenuItem& item) {
    for (int i = 0; i < item.Count(); ++i) {
        TMenuItem* m = item.Items(i);
        if (m->Name().empty()) continue;
        if (HasLetter(m->Caption()))
            out.push_back({prefix + m->Name(), m->Caption(), [m](const std::string& t) { m->SetCaption(t); }});
        if (HasLetter(m->Hint)) out.push_back({prefix + m->Name() + ".Hint", m->Hint, [m](const std::string& t) { m->Hint = t; }});
        AddMenuTexts(out, prefix, *m);
    }
}
}  // namespace

std::vector<TWindowText> WindowTexts(TForm& form, const std::vector<TMenu*>& menus) {
    std::vector<TWindowText> out;
    const std::string f = form.Name();
    auto add = [&](TControl* c, const std::string& key) {
        if ((c == &form || CaptionIsText(c->Kind())) && HasLetter(c->Caption()))
            out.push_back({key, c->Caption(), [c](const std::string& t) { c->SetCaption(t); }});
        if (HasLetter(c->Hint())) out.push_back({key + ".Hint", c->Hint(), [c](const std::string& t) { c->SetHint(t); }});
    };
    add(&form, f);
    for (TControl* c : form.AllControls()) {
        if (c->Name().empty()) continue;
        add(c, f + "." + c->Name());
        if (c->Kind() == TControlKind::ListView) {
            auto* lv = static_cast<TListView*>(c);
            for (size_t i = 0; i < lv->Columns.size(); ++i)
                out.push_back({f + "." + c->Name() + ".Column" + std::to_string(i + 1), lv->Columns[i].Caption,
                               [lv, i](const std::string& t) { lv->Columns[i].Caption = t; }});
        } else if (c->Kind() == TControlKind::StatusBar) {
            auto* sb = static_cast<TStatusBar*>(c);
            for (size_t i = 0; i < sb->Panels().size(); ++i)
                if (HasLetter(sb->Panels()[i].Text))
                    out.push_back({f + "." + c->Name() + ".Panel" + std::to_string(i + 1), sb->Panels()[i].Text,
                                   [sb, i](const std::string& t) { sb->SetPanelText(i, t); }});
        }
    }
    std::vector<TMenu*> all = menus;
    if (form.Menu) all.insert(all.begin(), form.Menu);
    for (TMenu* m : all) AddMenuTexts(out, f + ".", m->ItemsRoot());
    return out;
}

void TranslateForm(TForm& form, const std::vector<TMenu*>& menus) {
    if (!LangFile) return;
    for (const TWindowText& t : WindowTexts(form, menus))
        if (std::string shown = Translation("Windows", t.key); !shown.empty()) t.set(shown);
}

void OpenLangFile() {
    LangFile.reset();
    const std::string& name = IniOptions.MenuLanguage;
    if (name.empty()) return;
    auto file = std::make_unique<TIniFile>(ExtractFilePath(platform::ExePath()) + name);
    if (!file->ReadSection("Misc").empty()) LangFile = std::move(file);
}

void CloseLangFile() { LangFile.reset(); }
