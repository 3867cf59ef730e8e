// The unique ids of the messages each mailbox held at its last check, kept in a small text
// file beside the settings, so that a check can tell the messages it has not seen before.
//
// File: one block per mailbox, a line "> " + mailbox key, then one unique id per line (ids
// hold no blanks). Bounded: at most MaxMailboxes blocks of at most MaxIds ids, an id of at
// most MaxIdLength characters; whatever lies beyond is left out when reading.
#pragma once
#include <map>
#include <string>
#include <vector>

class TSeenMail {
public:
    static constexpr size_t MaxMailboxes = 64;
    static constexpr size_t MaxIds = 5000;
    static constexpr size_t MaxIdLength = 256;

    explicit TSeenMail(std::string fileName = "") : fileName_(std::move(fileName)) {}

    // Reads the file; a missing or unreadable one is an empty record.
    void Load();
    // Writes the whole record back; false when the file cannot be written.
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
