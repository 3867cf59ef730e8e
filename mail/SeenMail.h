// The unique ids of the messages each mailbox held at its last check, kept in a small text
// file beside the settings, so that a check can tell the messages it has not seen before.
//
// File: one block per mailbox, a line "> " + mailbox key, then one unique id per line (ids
// hold no blanks). Bounded: at most MaxMailboxes blocks of at most MaxIds ids, an id of at
// most MaxIdLength characters, and at most MaxFileBytes in all; whatever lies beyond is left
// out when reading (a larger file is read only up to that bound). Saved as one whole-file
// replacement through the file-system seam, so a crash leaves the old record or the new.
//
// MaxIds is the most messages one listing gives (T_Pop3::MaxListedMessages): a mailbox of
// any size that a check can list is remembered whole, so its oldest messages are not
// announced again at every check. MaxFileBytes (16 MiB) holds such a mailbox even with ids
// of the full 70 characters a POP3 server may use, and several of the usual 20 to 40; were
// a record ever larger, the mailboxes written last lose their oldest ids (announced once
// more) rather than the file growing without end.
#pragma once
#include <map>
#include <string>
#include <vector>

class TSeenMail {
public:
    static constexpr size_t MaxMailboxes = 64;
    static constexpr size_t MaxIds = 100000;
    static constexpr size_t MaxIdLength = 256;
    static constexpr size_t MaxFileBytes = 16u << 20;

    explicit TSeenMail(std::string fileName = "") : fileName_(std::move(fileName)) {}

    // Reads the file (through platform::Files()); a missing or unreadable one is an empty
    // record.
    void Load();
    // Writes the whole record back in one replacement; false, the old file untouched, when
    // it cannot be written.
    bool Save() const;

    // The ids a mailbox holds now, in list order: returns which of them were not there at
    // its last check (all of them for a mailbox never checked), and from now on remembers
    // exactly these (the last MaxIds of a longer list).
    std::vector<bool> Update(const std::string& mailbox, const std::vector<std::string>& ids);
    // Forgets every mailbox not named in keep (mailboxes that were removed).
    void KeepOnly(const std::vector<std::string>& keep);

    size_t Mailboxes() const { return boxes_.size(); }

private:
    std::string fileName_;
    std::map<std::string, std::vector<std::string>> boxes_;
};

// The key a mailbox's record is kept under: its account and its server text.
std::string SeenMailKey(const std::string& account, const std::string& server);
