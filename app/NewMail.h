// What a mail check found that was not there before: the messages of each mailbox as
// listed, the record of ids already seen, and the tally of new ones for the announcement.
#pragma once
#include <string>
#include <vector>

#include "mail/SeenMail.h"

// One listed message: its unique id (empty when the server gave none) and its sender.
struct TListedMail {
    std::string UniqueId;
    std::string From;
};

struct TNewMailTally {
    TSeenMail Seen;
    int Count = 0;                     // new messages found by the running check
    std::vector<std::string> Senders;  // their senders, each once, in the order found
};

// The file beside the settings that keeps the ids already seen.
std::string SeenMailFileName();
// A sender as the balloon names it: the display name of "Name <address>", else the address.
std::string ShortSender(const std::string& from);
