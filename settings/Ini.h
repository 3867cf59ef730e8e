// The settings: velmora.ini beside the executable, read once at start-up into the records
// IniInfo and IniOptions and the string lists below, which every other unit reads directly.
// The whole file is written back by WriteIniFile; the cumulative time online on its own by
// WriteTimeOnLine. Every key is named once, in one table (Ini.cpp) that drives both ways. Passwords are held in clear in memory and stored scrambled as digits.
//
// File layout: booleans as "1"/"0", integers in decimal (read also as "$"/"0x" hex), lists
// as sections of their own with the keys "m0", "m1", ... in list order.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/Classes.h"

// A value refused before anything was written ("Nothing was saved to <full path>: ..."), or a
// write the profile service refused ("Unable to write to <full path>").
class EIniFileException : public Exception {
public:
    using Exception::Exception;
};

// One INI file, addressed through the platform's profile service one key at a time.
// Holding one opens nothing: every call goes to the file and every write reaches it at once.
class TIniFile {
public:
    explicit TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}
    const std::string& FileName() const { return fileName_; }

    std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
    // Decimal, or hex after "$" / "0x"; a missing key or a text that is no number gives def.
    int32_t ReadInteger(const std::string& section, const std::string& key, int32_t def) const;
    // Any non-zero number is true.
    bool ReadBool(const std::string& section, const std::string& key, bool def) const;
    // The key names of a section, in file order.
    std::vector<std::string> ReadSection(const std::string& section) const;

    // Each raises EIniFileException, writing nothing, for a value the file cannot keep as it
    // is (too long, or holding a line break), and when the service refuses.
    void WriteString(const std::string& section, const std::string& key, const std::string& value) const;
    void WriteInteger(const std::string& section, const std::string& key, int32_t value) const;
    void WriteBool(const std::string& section, const std::string& key, bool value) const;
    void EraseSection(const std::string& section) const;

private:
    [[noreturn]] void Refused() const;
    std::string fileName_;
};

struct TIniInfo {
    std::string EmailApp;          // the user's e-mail program
    std::string WebBrowser;        // the web browser, started after each connection when set
    std::string SoundFile;         // played when new mail is found
    std::string Pop3Server;        // the one server of the older mailbox layout
    int32_t Pop3Port = 0;          // kept and written back
    std::string DialUpConnection;  // phonebook entry to dial
    std::string UsernameDUN;
    std::string PasswordDUN;       // clear text
};

struct TIniOptions {
    bool AutoDial = false;          // connect as soon as the program starts
    bool AutoStartUp = false;       // start with Windows
    bool TimerEnabled = false;      // check the mailboxes after connecting and periodically
    bool AutoAdjustClock = false;   // set the clock from the time server after connecting
    bool AutoExecEmailApp = false;  // start the e-mail program when new mail is found
    int32_t TimerDelay = 0;         // minutes between two mail checks
    bool AutoHangUp = false;        // hang up at HangUpHour:HangUpMinutes each day
    int32_t HangUpHour = 0;
    int32_t HangUpMinutes = 0;
    int32_t TimeOnLineHours = 0;    // cumulative time online
    int32_t TimeOnLineMins = 0;
    int32_t TimeOnLineSecs = 0;
    std::string TimeServer;         // host asked for the time (TIME protocol, port 37)
    bool StayOnline = false;        // reconnect when the provider drops the line
    int32_t MaxClockStepHours = 15;  // a larger step of the clock is made only when the user agrees
    std::string MenuLanguage;       // language file name; read, never written
};

// Zero (empty, false, 0; the clock's bound 15 hours) until ReadIniFile fills them.
extern TIniInfo IniInfo;
extern TIniOptions IniOptions;

// The settings lists. MailList, PopServerList and PasswordList are index-aligned: entry i of
// each describes mailbox i, and there are MailList.size() mailboxes. After ReadIniFile the
// other two hold at least as many entries as MailList (a missing one is empty), so a walk
// over the mailboxes never runs past their ends. Other units replace the contents; the lists
// live as long as the program.
extern std::vector<std::string> PasswordList;     // clear text
extern std::vector<std::string> ApplicationList;  // further programs to start after connecting
extern std::vector<std::string> PhoneNumberList;  // alternate numbers, used in turn
extern std::vector<std::string> MailList;         // account names
extern std::vector<std::string> PopServerList;    // POP3 server of each account
// How each account signs in: "password" (also empty), "google", "microsoft", "other"
// (settings/SignIn.h); index-aligned with MailList like the two above.
extern std::vector<std::string> SignInList;
extern std::vector<std::string> LegacyMailboxList;  // scratch: accounts of the older layout

// The executable's directory with its trailing separator; set by the main window at start-up.
extern std::string ProgramDir;

// The directory part of a path, separator included ("C:\\App\\a.exe" -> "C:\\App\\").
std::string ExtractFilePath(const std::string& path);
// The settings file: the executable's directory (from the platform) + "velmora.ini".
std::string IniFileName();

// Reads every setting and list, with the defaults for whatever is missing, and converts a
// file of the older mailbox layout on the way (writing the converted file).
void ReadIniFile();
// Writes every setting and list except "MenuLanguage" and the three time-online counters.
// Every save of the file (this, WriteTimeOnLine, MigrateMailboxes, the certificate pins) is
// one whole-file replacement (settings/IniBatch.h): when it fails it raises EIniFileException
// and the file stays exactly as it was.
void WriteIniFile();
// Writes the three time-online counters and nothing else.
void WriteTimeOnLine();
// The same with other values (the running total of a connection still up).
void WriteTimeOnLine(int32_t hours, int32_t mins, int32_t secs);
// Converts the older layout ("Mailboxes" accounts sharing "POP3"/"Server") into "Mail" and
// "POPS" and removes "Mailboxes". MailList and PopServerList hold the converted lists even
// when the file refused the writes (which then raise EIniFileException).
void MigrateMailboxes();

// Clear text -> decimal digits: 25 digits for up to 9 characters, 5 per two bytes beyond;
// only the first 255 characters are kept. An empty text gives digits that vary with the
// tick count and still read back as empty.
std::string ScramblePassword(const std::string& clear);
// Digits -> clear text. Never fails: a text that is not of this format reads as the
// characters it really carries, or as empty when a group of digits is not a number.
std::string UnscramblePassword(const std::string& scrambled);
