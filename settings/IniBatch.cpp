// One save of an INI file as a whole-file replacement; see IniBatch.h.
#include "settings/IniBatch.h"

#include <map>

#include "core/SysUtils.h"
#include "platform/Platform.h"
#include "platform/ProfileValue.h"
#include "platform/WholeFile.h"
#include "settings/Ini.h"
#include "settings/IniLang.h"

void CheckIniValue(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) {
    std::string why;
    switch (profile_value::Check(value)) {
        case profile_value::TFit::Fits:
            return;
        case profile_value::TFit::TooLong:
            why = "is longer than the " + IntToStr(static_cast<long long>(profile_value::Limit(value))) +
                  " characters the file can keep of it.";
            break;
        case profile_value::TFit::LineBreak:
            why = "holds a line break.";
            break;
    }
    throw EIniFileException("Nothing was saved to " + file + ": the value of \"" + key + "\" in [" + section + "] " +
                            why);
}

std::string SettingsNotSavedText(const std::string& reason) {
    return GetLangText("The settings could not be saved:", "const_SettingsNotSaved") + " " + reason;
}

std::string IniListKey(size_t i) { return "m" + IntToStr(static_cast<long long>(i)); }

void TIniBatch::String(const std::string& section, const std::string& key, const std::string& value) {
    steps_.push_back({section, key, value, false});
}
void TIniBatch::Integer(const std::string& section, const std::string& key, int32_t value) {
    String(section, key, IntToStr(value));
}
void TIniBatch::Bool(const std::string& section, const std::string& key, bool value) {
    String(section, key, value ? "1" : "0");
}
void TIniBatch::Erase(const std::string& section) { steps_.push_back({section, "", "", true}); }
void TIniBatch::List(const std::string& section, const std::vector<std::string>& list, const Transform& encode) {
    Erase(section);
    for (size_t i = 0; i < list.size(); ++i) String(section, IniListKey(i), encode ? encode(list[i]) : list[i]);
}

namespace {

// The keys a profile read finds in a text: per section name (case folded), per key name,
// the value as the read gives it. The reading rules are those of platform/Profile.h: the
// first of duplicate sections and keys wins; lines without "=" and ";" comments are no keys.
// The nameless part before the first section is left out: the program reads nothing there.
using TKeys = std::map<std::string, std::map<std::string, std::string>>;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == '\x1a'; }

std::string Fold(std::string s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    s = s.substr(b, e - b);
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string AsRead(std::string v) {
    if (v.size() > 1 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) v = v.substr(1, v.size() - 2);
    return v.substr(0, profile_value::kReadLimit);
}

// The keys of a file's bytes, in whatever encoding the file holds its text.
TKeys KeysOf(const std::string& bytes) {
    profile_value::TEncoding encoding;
    const std::string text = profile_value::FileText(bytes, &platform::Files(), encoding);
    TKeys keys;
    std::map<std::string, std::string>* section = nullptr;
    const bool lf = text.find('\n') != std::string::npos;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find(lf ? '\n' : '\r', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        size_t b = 0, e = line.size();
        while (b < e && IsBlank(line[b])) ++b;
        while (e > b && IsBlank(line[e - 1])) --e;
        line = line.substr(b, e - b);
        if (!line.empty() && line[0] == '[' && line.rfind(']') != std::string::npos) {
            std::string name = Fold(line.substr(1, line.rfind(']') - 1));
            section = keys.count(name) ? nullptr : &keys[name];  // a later duplicate is never read
            continue;
        }
        size_t eq = line.find('=');
        if (!section || eq == std::string::npos || line[0] == ';') continue;
        std::string value = line.substr(eq + 1);
        size_t vb = 0;
        while (vb < value.size() && IsBlank(value[vb])) ++vb;
        section->emplace(Fold(line.substr(0, eq)), AsRead(value.substr(vb)));
    }
    for (auto it = keys.begin(); it != keys.end();) it = it->second.empty() ? keys.erase(it) : std::next(it);
    return keys;
}

}  // namespace

void TIniBatch::Commit() const {
    for (const auto& s : steps_)
        if (!s.erase) CheckIniValue(file_, s.section, s.key, s.value);

    IFileSystem& fs = platform::Files();
    std::string old, why;
    if (fs.Exists(file_) && !fs.Read(file_, whole_file::TSteps{}.readLimit, old, why))
        throw EIniFileException("Unable to read " + file_ + ": " + why);

    // What a read of the new file must find: the old keys with these writes made.
    TKeys meant = KeysOf(old);
    for (const auto& s : steps_) {
        if (s.erase)
            meant.erase(Fold(s.section));
        else
            meant[Fold(s.section)][Fold(s.key)] = s.value;
    }

    profileWrites_ = 0;
    whole_file::TSteps steps;
    steps.start = old;
    steps.fill = [&](const std::string& scratch, std::string& error) {
        IProfile& profile = platform::Profile();
        for (const auto& s : steps_) {
            const bool ok = s.erase ? profile.EraseSection(scratch, s.section)
                                    : profile.WriteString(scratch, s.section, s.key, s.value);
            if (!ok) {
                error = "Unable to write to " + file_;
                return false;
            }
            ++profileWrites_;
        }
        return true;
    };
    steps.check = [&](const std::string& back, std::string&) { return KeysOf(back) == meant; };
    if (!whole_file::Replace(fs, file_, steps, why)) throw EIniFileException(why);
}
