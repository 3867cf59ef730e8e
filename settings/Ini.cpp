// The settings file; see Ini.h.
#include "settings/Ini.h"

#include <algorithm>
#include <array>
#include <functional>

#include "core/SysUtils.h"
#include "platform/Platform.h"
#include "platform/ProfileValue.h"

TIniInfo IniInfo;
TIniOptions IniOptions;
std::vector<std::string> PasswordList;
std::vector<std::string> ApplicationList;
std::vector<std::string> PhoneNumberList;
std::vector<std::string> MailList;
std::vector<std::string> PopServerList;
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

namespace {

// Refuses, naming the file, the section and the key, a value that the file could not give
// back whole: one too long for a read, or one holding a line break (which would end the
// key's line and start others). Nothing has been written when this refuses.
void CheckStorable(const std::string& file, const std::string& section, const std::string& key,
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

}  // namespace

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) const {
    CheckStorable(fileName_, section, key, value);
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

// ---- lists ----

namespace {

using Transform = std::function<std::string(const std::string&)>;

std::string ListKey(size_t i) { return "m" + IntToStr(static_cast<long long>(i)); }

// A list section: as many entries as the section has keys; entry i is the value of "m<i>",
// or empty where that key is missing (the key names found only give the count).
std::vector<std::string> ReadList(const TIniFile& ini, const std::string& section, const Transform& decode = {}) {
    std::vector<std::string> list(ini.ReadSection(section).size());
    for (size_t i = 0; i < list.size(); ++i) {
        std::string v = ini.ReadString(section, ListKey(i), "");
        list[i] = decode ? decode(v) : v;
    }
    return list;
}

// Replaces a list section with exactly the entries given; an empty list leaves no section.
void WriteList(const TIniFile& ini, const std::string& section, const std::vector<std::string>& list,
               const Transform& encode = {}) {
    ini.EraseSection(section);
    for (size_t i = 0; i < list.size(); ++i) ini.WriteString(section, ListKey(i), encode ? encode(list[i]) : list[i]);
}

// The writes of one routine, checked together before the first of them reaches the file, so
// that a value the file cannot hold leaves the whole file as it was (and the message names
// that value: "Nothing was saved to <file>: the value of "<key>" in [<section>] ...").
class TWriteBatch {
public:
    explicit TWriteBatch(const TIniFile& ini) : ini_(ini) {}
    void String(const std::string& section, const std::string& key, const std::string& value) {
        steps_.push_back({section, key, value, false});
    }
    void Integer(const std::string& section, const std::string& key, int32_t value) {
        String(section, key, IntToStr(value));
    }
    void Bool(const std::string& section, const std::string& key, bool value) { String(section, key, value ? "1" : "0"); }
    // Erases the section, then writes entry i as "m<i>".
    void List(const std::string& section, const std::vector<std::string>& list, const Transform& encode = {}) {
        steps_.push_back({section, "", "", true});
        for (size_t i = 0; i < list.size(); ++i) String(section, ListKey(i), encode ? encode(list[i]) : list[i]);
    }
    void Commit() const {
        for (const auto& s : steps_)
            if (!s.erase) CheckStorable(ini_.FileName(), s.section, s.key, s.value);
        for (const auto& s : steps_) {
            if (s.erase)
                ini_.EraseSection(s.section);
            else
                ini_.WriteString(s.section, s.key, s.value);
        }
    }

private:
    struct Step {
        std::string section, key, value;
        bool erase;
    };
    const TIniFile& ini_;
    std::vector<Step> steps_;
};

// Every mailbox gets a server and a password entry, even when a hand-edited file holds fewer
// of them than accounts: the missing ones are empty.
void AlignMailboxLists() {
    if (PopServerList.size() < MailList.size()) PopServerList.resize(MailList.size());
    if (PasswordList.size() < MailList.size()) PasswordList.resize(MailList.size());
}

}  // namespace

// ---- reading and writing ----

void ReadIniFile() {
    const std::string dir = ExtractFilePath(platform::ExePath());
    const TIniFile ini(IniFileName());

    IniInfo.Pop3Server = ini.ReadString("POP3", "Server", "");
    IniInfo.Pop3Port = ini.ReadInteger("POP3", "Port", 110);
    IniInfo.EmailApp = ini.ReadString("POP3", "Email app", "");
    IniInfo.SoundFile = ini.ReadString("POP3", "Sound file", dir + "man.wav");

    IniInfo.DialUpConnection = ini.ReadString("DUN", "DialUpConnection", "");
    IniInfo.UsernameDUN = ini.ReadString("DUN", "UsernameDUN", "");
    IniInfo.PasswordDUN = UnscramblePassword(ini.ReadString("DUN", "PasswordDUN", ""));

    IniInfo.WebBrowser = ini.ReadString("Browser", "Web browser", "");

    IniOptions.AutoDial = ini.ReadBool("Other", "AutoDial", false);
    IniOptions.AutoStartUp = ini.ReadBool("Other", "AutoStartUp", true);
    IniOptions.TimerEnabled = ini.ReadBool("Other", "TimerEnabled", false);
    IniOptions.TimerDelay = ini.ReadInteger("Other", "TimerDelay", 15);
    // A hand-edited interval the settings dialog would refuse: no check every 0 or -5 minutes.
    if (IniOptions.TimerDelay < 1 || IniOptions.TimerDelay > 99) IniOptions.TimerDelay = 15;
    IniOptions.AutoHangUp = ini.ReadBool("Other", "AutoHangUp", false);
    IniOptions.HangUpHour = ini.ReadInteger("Other", "HangUpHour", 0);
    IniOptions.HangUpMinutes = ini.ReadInteger("Other", "HangUpMinutes", 0);
    IniOptions.TimeOnLineHours = ini.ReadInteger("Other", "TimeOnLineHours", 0);
    IniOptions.TimeOnLineMins = ini.ReadInteger("Other", "TimeOnLineMins", 0);
    IniOptions.TimeOnLineSecs = ini.ReadInteger("Other", "TimeOnLineSecs", 0);
    IniOptions.AutoAdjustClock = ini.ReadBool("Other", "AutoAdjustClock", true);
    IniOptions.AutoExecEmailApp = ini.ReadBool("Other", "AutoExecEmailApp", false);
    IniOptions.TimeServer = ini.ReadString("Other", "TimeServer", "time.nist.gov");
    IniOptions.StayOnline = ini.ReadBool("Other", "StayOnline", true);
    IniOptions.MenuLanguage = ini.ReadString("Other", "MenuLanguage", "English.ini");

    PasswordList = ReadList(ini, "Password", UnscramblePassword);
    ApplicationList = ReadList(ini, "Applications");
    PhoneNumberList = ReadList(ini, "PhoneNumber");

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
    AlignMailboxLists();
}

void MigrateMailboxes() {
    const TIniFile ini(IniFileName());
    IniInfo.Pop3Server = ini.ReadString("POP3", "Server", "");
    LegacyMailboxList = ReadList(ini, "Mailboxes");

    // Memory first, so the converted lists stand even if the file refuses the writes.
    MailList = LegacyMailboxList;
    PopServerList.assign(LegacyMailboxList.size(), IniInfo.Pop3Server);

    WriteList(ini, "Mail", MailList);
    WriteList(ini, "POPS", PopServerList);
    ini.EraseSection("Mailboxes");
}

void WriteIniFile() {
    const TIniFile ini(IniFileName());
    TWriteBatch batch(ini);

    batch.String("POP3", "Server", IniInfo.Pop3Server);
    batch.Integer("POP3", "Port", IniInfo.Pop3Port);
    batch.String("POP3", "Email app", IniInfo.EmailApp);
    batch.String("POP3", "Sound file", IniInfo.SoundFile);

    batch.String("DUN", "DialUpConnection", IniInfo.DialUpConnection);
    batch.String("DUN", "UsernameDUN", IniInfo.UsernameDUN);
    batch.String("DUN", "PasswordDUN", ScramblePassword(IniInfo.PasswordDUN));

    batch.String("Browser", "Web browser", IniInfo.WebBrowser);

    batch.Bool("Other", "AutoDial", IniOptions.AutoDial);
    batch.Bool("Other", "AutoStartUp", IniOptions.AutoStartUp);
    batch.Integer("Other", "TimerDelay", IniOptions.TimerDelay);
    batch.Bool("Other", "TimerEnabled", IniOptions.TimerEnabled);
    batch.Bool("Other", "AutoHangUp", IniOptions.AutoHangUp);
    batch.Integer("Other", "HangUpHour", IniOptions.HangUpHour);
    batch.Integer("Other", "HangUpMinutes", IniOptions.HangUpMinutes);
    batch.Bool("Other", "AutoAdjustClock", IniOptions.AutoAdjustClock);
    batch.Bool("Other", "AutoExecEmailApp", IniOptions.AutoExecEmailApp);
    batch.String("Other", "TimeServer", IniOptions.TimeServer);
    batch.Bool("Other", "StayOnline", IniOptions.StayOnline);

    batch.List("Password", PasswordList, ScramblePassword);
    batch.List("Applications", ApplicationList);
    batch.List("PhoneNumber", PhoneNumberList);
    batch.List("Mail", MailList);
    batch.List("POPS", PopServerList);
    batch.Commit();
}

void WriteTimeOnLine() {
    const TIniFile ini(IniFileName());
    ini.WriteInteger("Other", "TimeOnLineHours", IniOptions.TimeOnLineHours);
    ini.WriteInteger("Other", "TimeOnLineMins", IniOptions.TimeOnLineMins);
    ini.WriteInteger("Other", "TimeOnLineSecs", IniOptions.TimeOnLineSecs);
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
