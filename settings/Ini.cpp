// The settings file; see Ini.h.
#include "settings/Ini.h"

#include <algorithm>
#include <array>
#include <functional>
#include <variant>

#include "core/SysUtils.h"
#include "core/Utf16.h"
#include "platform/Platform.h"
#include "platform/ProfileValue.h"
#include "settings/IniBatch.h"

TIniInfo IniInfo;
TIniOptions IniOptions;
std::vector<std::string> PasswordList;
std::vector<std::string> ApplicationList;
std::vector<std::string> PhoneNumberList;
std::vector<std::string> MailList;
std::vector<std::string> PopServerList;
std::vector<std::string> SignInList;
std::vector<std::string> LegacyMailboxList;
std::string ProgramDir;

// ---- TIniFile ----

std::string TIniFile::ReadString(const std::string& section, const std::string& key, const std::string& def) const {
    return platform::Profile().ReadString(fileName_, section, key, def);
}

int32_t TIniFile::ReadInteger(const std::string& section, const std::string& key, int32_t def) const {
    std::string text = ReadString(section, key, "");
    return text.empty() ? def : StrToIntDef(text, def);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

std::vector<std::string> TIniFile::ReadSection(const std::string& section) const {
    return platform::Profile().ReadKeys(fileName_, section);
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) const {
    CheckIniValue(fileName_, section, key, value);
    if (!platform::Profile().WriteString(fileName_, section, key, value)) Refused();
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value) const {
    WriteString(section, key, IntToStr(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) const {
    WriteString(section, key, value ? "1" : "0");
}

void TIniFile::EraseSection(const std::string& section) const {
    if (!platform::Profile().EraseSection(fileName_, section)) Refused();
}

void TIniFile::Refused() const { throw EIniFileException(Format("Unable to write to %s", fileName_)); }

// ---- paths ----

std::string ExtractFilePath(const std::string& path) {
    size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string IniFileName() { return ExtractFilePath(platform::ExePath()) + "velmora.ini"; }

// ---- the table of settings ----

namespace {

using Transform = std::function<std::string(const std::string&)>;

// How a value is kept in the file.
enum class TKind { String, Integer, Bool, Scrambled };
// Who writes a key: WriteIniFile, WriteTimeOnLine, or nobody (read only).
enum class TWriter { Settings, TimeOnLine, None };

// One key of the file: where it lives, the field it fills, its default, who writes it.
struct TSetting {
    const char* section;
    const char* key;
    TKind kind;
    std::variant<std::string*, int32_t*, bool*> field;
    const char* text;  // default of a string ("" when none; nullptr: the sound beside the program)
    int32_t number;    // default of an integer or a switch
    TWriter writer;
};

// Every key, in the order WriteIniFile writes them; the keys it does not write come last.
// The defaults are those a missing file, section or key gives.
const std::vector<TSetting>& Settings() {
    static const std::vector<TSetting> table = {
        {"POP3", "Server", TKind::String, &IniInfo.Pop3Server, "", 0, TWriter::Settings},
        {"POP3", "Port", TKind::Integer, &IniInfo.Pop3Port, "", 110, TWriter::Settings},
        {"POP3", "Email app", TKind::String, &IniInfo.EmailApp, "", 0, TWriter::Settings},
        {"POP3", "Sound file", TKind::String, &IniInfo.SoundFile, nullptr, 0, TWriter::Settings},
        {"DUN", "DialUpConnection", TKind::String, &IniInfo.DialUpConnection, "", 0, TWriter::Settings},
        {"DUN", "UsernameDUN", TKind::String, &IniInfo.UsernameDUN, "", 0, TWriter::Settings},
        {"DUN", "PasswordDUN", TKind::Scrambled, &IniInfo.PasswordDUN, "", 0, TWriter::Settings},
        {"Browser", "Web browser", TKind::String, &IniInfo.WebBrowser, "", 0, TWriter::Settings},
        {"Other", "AutoDial", TKind::Bool, &IniOptions.AutoDial, "", 0, TWriter::Settings},
        {"Other", "AutoStartUp", TKind::Bool, &IniOptions.AutoStartUp, "", 1, TWriter::Settings},
        {"Other", "TimerDelay", TKind::Integer, &IniOptions.TimerDelay, "", 15, TWriter::Settings},
        {"Other", "TimerEnabled", TKind::Bool, &IniOptions.TimerEnabled, "", 0, TWriter::Settings},
        {"Other", "AutoHangUp", TKind::Bool, &IniOptions.AutoHangUp, "", 0, TWriter::Settings},
        {"Other", "HangUpHour", TKind::Integer, &IniOptions.HangUpHour, "", 0, TWriter::Settings},
        {"Other", "HangUpMinutes", TKind::Integer, &IniOptions.HangUpMinutes, "", 0, TWriter::Settings},
        {"Other", "AutoAdjustClock", TKind::Bool, &IniOptions.AutoAdjustClock, "", 1, TWriter::Settings},
        {"Other", "AutoExecEmailApp", TKind::Bool, &IniOptions.AutoExecEmailApp, "", 0, TWriter::Settings},
        {"Other", "TimeServer", TKind::String, &IniOptions.TimeServer, "time.nist.gov", 0, TWriter::Settings},
        {"Other", "StayOnline", TKind::Bool, &IniOptions.StayOnline, "", 1, TWriter::Settings},
        {"Other", "MaxClockStepHours", TKind::Integer, &IniOptions.MaxClockStepHours, "", 15, TWriter::Settings},
        {"Other", "TimeOnLineHours", TKind::Integer, &IniOptions.TimeOnLineHours, "", 0, TWriter::TimeOnLine},
        {"Other", "TimeOnLineMins", TKind::Integer, &IniOptions.TimeOnLineMins, "", 0, TWriter::TimeOnLine},
        {"Other", "TimeOnLineSecs", TKind::Integer, &IniOptions.TimeOnLineSecs, "", 0, TWriter::TimeOnLine},
        {"Other", "MenuLanguage", TKind::String, &IniOptions.MenuLanguage, "English.ini", 0, TWriter::None},
    };
    return table;
}

// The list sections, in the order they are read and written (the older layout's
// "Mailboxes" is read on its own, between "PhoneNumber" and "Mail").
struct TListSetting {
    const char* section;
    std::vector<std::string>* list;
    bool scrambled;
};
const TListSetting kLists[] = {
    {"Password", &PasswordList, true}, {"Applications", &ApplicationList, false},
    {"PhoneNumber", &PhoneNumberList, false}, {"Mail", &MailList, false}, {"POPS", &PopServerList, false},
    {"SignIn", &SignInList, false},
};

// A password's bytes are those of the system's code page where it has every character, as
// older versions kept them, else UTF-8; read back as UTF-8 either way.
std::string StoredPassword(const std::string& clear) {
    std::string bytes;
    return ScramblePassword(platform::Files().ToCodePage(clear, bytes) ? bytes : clear);
}
std::string ReadPassword(const std::string& scrambled) {
    const std::string bytes = UnscramblePassword(scrambled);
    return IsUtf8(bytes) ? bytes : platform::Files().FromCodePage(bytes);
}

void ReadSetting(const TIniFile& ini, const TSetting& s, const std::string& dir) {
    switch (s.kind) {
        case TKind::String:
            *std::get<std::string*>(s.field) = ini.ReadString(s.section, s.key, s.text ? s.text : dir + "man.wav");
            break;
        case TKind::Scrambled:
            *std::get<std::string*>(s.field) = ReadPassword(ini.ReadString(s.section, s.key, s.text));
            break;
        case TKind::Integer:
            *std::get<int32_t*>(s.field) = ini.ReadInteger(s.section, s.key, s.number);
            break;
        case TKind::Bool:
            *std::get<bool*>(s.field) = ini.ReadBool(s.section, s.key, s.number != 0);
            break;
    }
}

void WriteSetting(TIniBatch& batch, const TSetting& s) {
    switch (s.kind) {
        case TKind::String: batch.String(s.section, s.key, *std::get<std::string*>(s.field)); break;
        case TKind::Scrambled: batch.String(s.section, s.key, StoredPassword(*std::get<std::string*>(s.field))); break;
        case TKind::Integer: batch.Integer(s.section, s.key, *std::get<int32_t*>(s.field)); break;
        case TKind::Bool: batch.Bool(s.section, s.key, *std::get<bool*>(s.field)); break;
    }
}

// A list section: as many entries as the section has keys; entry i is the value of "m<i>",
// or empty where that key is missing (the key names found only give the count).
std::vector<std::string> ReadList(const TIniFile& ini, const std::string& section, const Transform& decode = {}) {
    std::vector<std::string> list(ini.ReadSection(section).size());
    for (size_t i = 0; i < list.size(); ++i) {
        std::string v = ini.ReadString(section, IniListKey(i), "");
        list[i] = decode ? decode(v) : v;
    }
    return list;
}

// Every mailbox gets a server and a password entry, even when a hand-edited file holds fewer
// of them than accounts: the missing ones are empty.
void AlignMailboxLists() {
    if (PopServerList.size() < MailList.size()) PopServerList.resize(MailList.size());
    if (PasswordList.size() < MailList.size()) PasswordList.resize(MailList.size());
    if (SignInList.size() < MailList.size()) SignInList.resize(MailList.size());
}

}  // namespace

// ---- reading and writing ----

void ReadIniFile() {
    const std::string dir = ExtractFilePath(platform::ExePath());
    const TIniFile ini(IniFileName());

    for (const TSetting& s : Settings()) ReadSetting(ini, s, dir);
    // A hand-edited interval the settings dialog would refuse: no check every 0 or -5 minutes.
    if (IniOptions.TimerDelay < 1 || IniOptions.TimerDelay > 99) IniOptions.TimerDelay = 15;
    if (IniOptions.MaxClockStepHours < 1) IniOptions.MaxClockStepHours = 15;

    for (const TListSetting& l : kLists) {
        if (l.list == &MailList) break;  // read after the older layout is converted
        *l.list = l.scrambled ? ReadList(ini, l.section, ReadPassword) : ReadList(ini, l.section);
    }

    LegacyMailboxList = ReadList(ini, "Mailboxes");
    bool converted = false;
    if (!LegacyMailboxList.empty()) {
        try {
            MigrateMailboxes();
        } catch (const EIniFileException&) {
            // A file we may not write to (a read-only copy, a protected folder): use the
            // conversion in memory. "Mailboxes" is still there, so the next start tries again.
            converted = true;
        }
    }
    if (!converted) {
        MailList = ReadList(ini, "Mail");
        PopServerList = ReadList(ini, "POPS");
    }
    SignInList = ReadList(ini, "SignIn");
    AlignMailboxLists();
}

void MigrateMailboxes() {
    const TIniFile ini(IniFileName());
    IniInfo.Pop3Server = ini.ReadString("POP3", "Server", "");
    LegacyMailboxList = ReadList(ini, "Mailboxes");

    // Memory first, so the converted lists stand even if the file refuses the writes.
    MailList = LegacyMailboxList;
    PopServerList.assign(LegacyMailboxList.size(), IniInfo.Pop3Server);

    TIniBatch batch(ini.FileName());
    batch.List("Mail", MailList);
    batch.List("POPS", PopServerList);
    batch.Erase("Mailboxes");
    batch.Commit();
}

void WriteIniFile() {
    TIniBatch batch(IniFileName());
    for (const TSetting& s : Settings())
        if (s.writer == TWriter::Settings) WriteSetting(batch, s);
    // Where every mailbox signs in with its password the file keeps no "SignIn" section, as
    // files of older versions have none.
    const bool passwordsOnly = std::all_of(SignInList.begin(), SignInList.end(), [](const std::string& s) {
        return s.empty() || SameText(s, "password");
    });
    for (const TListSetting& l : kLists) {
        if (l.list == &SignInList && passwordsOnly) batch.Erase(l.section);
        else if (l.scrambled) batch.List(l.section, *l.list, StoredPassword);
        else batch.List(l.section, *l.list);
    }
    batch.Commit();
}

void WriteTimeOnLine(int32_t hours, int32_t mins, int32_t secs) {
    TIniBatch batch(IniFileName());
    batch.Integer("Other", "TimeOnLineHours", hours);
    batch.Integer("Other", "TimeOnLineMins", mins);
    batch.Integer("Other", "TimeOnLineSecs", secs);
    batch.Commit();
}

void WriteTimeOnLine() {
    WriteTimeOnLine(IniOptions.TimeOnLineHours, IniOptions.TimeOnLineMins, IniOptions.TimeOnLineSecs);
}

// ---- passwords ----
//
// The stored form: a 256-byte buffer holding the length byte and the characters, read as
// little-endian 16-bit words, each written as the word + 21739 in five decimal digits. Short
// texts are padded (by repeating them, or with tick-count digits for an empty one) so every
// password up to 9 characters takes the same 25 digits.

namespace {
constexpr int kScrambleOffset = 21739;
constexpr size_t kBufferSize = 256;
constexpr size_t kMaxChars = 255;
constexpr size_t kMinBytes = 10;
constexpr size_t kGroupDigits = 5;
}  // namespace

std::string ScramblePassword(const std::string& clear) {
    std::array<unsigned char, kBufferSize> b{};  // zero: bytes past the text are always 0
    const size_t len = std::min(clear.size(), kMaxChars);
    b[0] = static_cast<unsigned char>(len);

    std::string laid = clear.substr(0, len);
    if (len == 0) {
        laid = IntToStr(platform::Clock().TickCount());
    } else {
        while (laid.size() < kMinBytes) laid += laid;
    }
    std::copy_n(laid.begin(), std::min(laid.size(), kBufferSize - 1), b.begin() + 1);

    const size_t n = std::max(kMinBytes, len % 2 == 0 ? len + 2 : len + 1);
    std::string out;
    out.reserve(n / 2 * kGroupDigits);
    for (size_t k = 0; k < n / 2; ++k) {
        int w = b[2 * k] + 256 * b[2 * k + 1];
        out += IntToStr(w + kScrambleOffset);  // 21739..87274: always five digits
    }
    return out;
}

std::string UnscramblePassword(const std::string& scrambled) {
    if (scrambled.empty()) return {};
    std::array<unsigned char, kBufferSize> b{};
    const size_t groups = std::min((scrambled.size() + kGroupDigits - 1) / kGroupDigits, kBufferSize / 2);
    for (size_t k = 0; k < groups; ++k) {
        int32_t v = 0;
        if (!TryStrToInt(scrambled.substr(k * kGroupDigits, kGroupDigits), v)) return {};
        const uint32_t w = static_cast<uint32_t>(static_cast<int64_t>(v) - kScrambleOffset) & 0xFFFFu;
        b[2 * k] = static_cast<unsigned char>(w & 0xFF);
        b[2 * k + 1] = static_cast<unsigned char>(w >> 8);
    }
    // Only the characters the groups really carry, whatever the length byte announces.
    const size_t chars = std::min<size_t>(b[0], groups * 2 - 1);
    return std::string(reinterpret_cast<const char*>(b.data()) + 1, chars);
}
