// T_Imap: the mail check's IMAP4rev1 client, beside T_Pop3 and with the same surface
// (T_MailClient): log in, look at the inbox read-only, list the unseen messages' senders and
// subjects, log out. It never changes a message's flags and never deletes: EXAMINE opens the
// inbox read-only and BODY.PEEK sets no \Seen flag.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mail/ImapParse.h"
#include "mail/tcpip.h"

// MessageList holds the unseen messages, in the order of their UIDs: Index is the UID,
// UniqueId "UIDVALIDITY/UID" (empty when the server named no UIDVALIDITY); a MailLines
// entry without a header is the UID.
class T_Imap : public T_MailClient {
public:
    explicit T_Imap(TComponent* owner = nullptr);

    // Login (T_MailClient) goes: greeting, CAPABILITY, STARTTLS where asked, LOGIN or
    // AUTHENTICATE PLAIN, EXAMINE INBOX and UID SEARCH UNSEEN. A plain connection to a
    // server that announces LOGINDISABLED fails before any password goes out; so does
    // imap+starttls:// to a server that does not offer STARTTLS.
    const char* Protocol() const override { return "IMAP"; }
    // Fetches the sender and subject of every listed message in one UID FETCH.
    void GetHeaders() override;
    // The unique ids are known from the search already; true when the server gave them.
    bool GetUniqueIds() override { return !uidValidity_.empty(); }

    // Most bytes of one response, literals included (a search of 100 000 UIDs fits).
    static constexpr size_t MaxResponseLength = 2 * 1024 * 1024;
    // Longest literal taken (the two header fields of a message need far less).
    static constexpr uint64_t MaxLiteralLength = 256 * 1024;
    // Most unseen messages a search may name; a mailbox naming more is given up.
    static constexpr size_t MaxListedMessages = 100000;
    // Most untagged responses one command may bring before its end.
    static constexpr size_t MaxUntagged = 2 * MaxListedMessages + 1000;
    // Longest set of UIDs in one FETCH command; a longer one is split.
    static constexpr size_t MaxSetLength = 8000;

protected:
    void Greet() override;
    void AskForTls() override;  // STARTTLS
    // AUTHENTICATE PLAIN where offered, else LOGIN; nothing after PREAUTH.
    void Authenticate() override;
    void OpenMailbox() override;  // EXAMINE INBOX, UID SEARCH UNSEEN
    void SayGoodbye() override;   // LOGOUT

private:
    using THandler = std::function<void(const TImapResponse&)>;
    // Reads one whole response: its lines and the literals they announce.
    bool ReadResponse(std::string& raw);
    // Sends tag + command (the trace shows shown instead when given); returns the tag.
    std::string Command(const std::string& command, const std::string& shown = "");
    // Reads up to the command's tagged answer, handing every untagged response to each and
    // answering a request for more with the next of more (a request beyond them cancels).
    // "OK" returns; "NO", "BAD" or "BYE" raise EProtocolError 500 with the server's text;
    // anything else 999.
    TImapResponse Await(const std::string& tag, const THandler& each = nullptr,
                        std::vector<std::string> more = {});
    void NoteCapabilities(const std::vector<TImapItem>& items);
    void AskCapabilities();
    bool Has(const std::string& capability) const;
    // AUTHENTICATE with the access token (SASL-IR where offered); an error challenge is
    // acknowledged and read into words.
    void AuthenticateWithToken();
    void Examine();
    void Search();
    void Fetch(const std::string& set, std::vector<std::pair<std::string, std::string>>& headers);

    std::vector<std::string> capabilities_;  // upper case
    std::string uidValidity_;
    unsigned tagCount_ = 0;
    bool preauth_ = false;  // the greeting said the session is logged in already
    std::string challenge_;  // the latest non-empty continuation text of Await
};
