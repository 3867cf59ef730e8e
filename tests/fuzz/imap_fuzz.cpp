// The IMAP response parser on any bytes, and the IMAP client's whole mailbox check against a
// server whose every byte is the input (greeting, each command's answers and literals,
// arriving in pieces of varying size). The first byte chooses which.
#include <algorithm>
#include <cstdint>
#include <string>

#include "mail/Imap.h"
#include "mail/ImapParse.h"
#include "tests/fuzz/FuzzPlatform.h"
#include "tests/fuzz/InputServer.h"

namespace {


void Parse(const std::string& raw) {
    TImapResponse r;
    if (ParseImapResponse(raw, r)) {
        if (r.Tag.empty() || (r.Tag != "+" && r.Name.empty())) __builtin_trap();
        if (const TImapItem* header = ImapFetchValue(r, "BODY[")) {
            std::string from, subject;
            ImapHeaderFields(header->Text, 64, from, subject);
            if (from.size() > 64 || subject.size() > 64) __builtin_trap();
        }
    }
    uint64_t n = 0;
    ImapLiteralAtEnd(raw, n);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    if (data[0] & 1) {
        Parse(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
        return 0;
    }
    fuzz::Installed();  // the clock the exchange deadlines are counted on
    fuzz::InputService service;
    service.data = data + 1;
    service.size = size - 1;
    T_Imap imap;
    imap.SetSockets(&service);
    imap.SetHostname("imap://127.0.0.1");
    imap.SetUserName("ann");
    imap.SetPassword("secret");
    try {
        imap.Login();
        imap.GetHeaders();
        if (imap.MailLines.size() != imap.MessageList().size()) __builtin_trap();
    } catch (const ETcpIpError&) {
    }
    fuzz::LogOutQuietly(imap);
    return 0;
}
