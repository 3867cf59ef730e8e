// The IMAP mail check: a fixed sequence of tagged commands, each read up to its tagged
// answer with the untagged data on the way taken as it comes, in whatever order.
#include "mail/Imap.h"

#include <algorithm>
#include <exception>
#include <map>

#include "core/Base64.h"
#include "core/SysUtils.h"
#include "mail/MimeDecode.h"

namespace {

const char* const kImap = "IMAP";
// OnProgress comes after every so many FETCH responses.
const size_t kProgressEvery = 200;

// A UID: decimal digits, 1 to 4294967295.
bool ParseUid(const std::string& s, uint32_t& uid) {
    if (s.empty() || s.size() > 10) return false;
    uint64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + uint64_t(c - '0');
    }
    if (v == 0 || v > 0xFFFFFFFFu) return false;
    uid = uint32_t(v);
    return true;
}

// The sets of UIDs (sorted) as ranges "3:7,9", each set at most maxLength characters.
std::vector<std::string> UidSets(const std::vector<uint32_t>& uids, size_t maxLength) {
    std::vector<std::string> sets(1);
    for (size_t i = 0; i < uids.size();) {
        size_t j = i;
        while (j + 1 < uids.size() && uids[j + 1] == uids[j] + 1) ++j;
        std::string range = IntToStr(uids[i]) + (j > i ? ":" + IntToStr(uids[j]) : "");
        if (!sets.back().empty() && sets.back().size() + range.size() + 1 > maxLength) sets.emplace_back();
        sets.back() += (sets.back().empty() ? "" : ",") + range;
        i = j + 1;
    }
    return sets;
}

// The text of a refusal as the server put it (status, code and text), without the tag.
std::string Reason(const std::string& line) { return TrimLeft(line.substr(std::min(line.size(), line.find(' ')))); }

}  // namespace

T_Imap::T_Imap(TComponent* owner) : T_MailClient(owner) { port_ = 143; }

bool T_Imap::ReadResponse(std::string& raw) {
    raw.clear();
    for (;;) {
        // One line, up to its LF.
        size_t lineStart = raw.size();
        TLineRead read = ReadUpTo(raw, MaxResponseLength);
        if (read == lrEnded) return false;
        if (read == lrFull) {
            ended_ = true;  // the rest of the runaway answer would be taken for responses
            throw ETcpIpError("The server's answer is too long");
        }
        if (raw.size() > lineStart && raw.back() == '\r') raw.pop_back();
        uint64_t n = 0;
        if (!ImapLiteralAtEnd(raw.substr(lineStart), n)) return true;
        if (n > MaxLiteralLength || raw.size() + n > MaxResponseLength) {
            ended_ = true;
            throw ETcpIpError("The server's answer is too long");
        }
        raw += "\r\n";
        // The literal's bytes, exactly as many as announced.
        if (!ReadBytes(raw, size_t(n))) return false;
    }
}

std::string T_Imap::Command(const std::string& command, const std::string& shown) {
    CheckNoLineBreak(command);
    std::string tag = "a" + IntToStr(++tagCount_);
    Trace(tag + " " + (shown.empty() ? command : shown), tlCommand);
    SendText(tag + " " + command + "\r\n");
    return tag;
}

TImapResponse T_Imap::Await(const std::string& tag, const THandler& each, std::vector<std::string> more) {
    size_t next = 0, untagged = 0;
    for (;;) {
        // Every response is progress: the exchange's time starts again; the mailbox's
        // deadline still bounds a server that never comes to the end.
        StartExchange();
        std::string raw;
        if (!ReadResponse(raw)) throw EProtocolError(kImap, "Connection ended before the end of the answer", 999);
        TImapResponse r;
        std::string firstLine = raw.substr(0, raw.find_first_of("\r\n"));
        if (!ParseImapResponse(raw, r)) {
            Trace(firstLine, tlReply);
            throw EProtocolError(kImap, firstLine, 999);
        }
        if (r.Tag == "+") {
            Trace(firstLine, tlReply);
            if (firstLine.size() > 2) challenge_ = firstLine.substr(2);
            // Whatever we send next goes as it stands; the trace never shows a secret.
            std::string part = next < more.size() ? more[next++] : "*";
            Trace(part == "*" ? part : "*****", tlCommand);
            SendText(part + "\r\n");
            continue;
        }
        if (r.Tag == "*") {
            if (++untagged > MaxUntagged) {
                ended_ = true;
                throw ETcpIpError("The server's answer is too long");
            }
            if (r.Name != "FETCH" && r.Name != "SEARCH") Trace(firstLine, tlReply);
            if (r.Name == "BYE") {
                // The server is closing before the answer: its reason is the failure.
                ended_ = true;
                throw EProtocolError(kImap, Reason(firstLine), 500);
            }
            if (r.Name == "CAPABILITY") NoteCapabilities(r.Data);
            if (!r.Code.empty() && SameText(r.Code[0].Text, "CAPABILITY")) NoteCapabilities(r.Code);
            if (each) each(r);
            continue;
        }
        Trace(firstLine, tlReply);
        if (r.Tag != tag) throw EProtocolError(kImap, firstLine, 999);
        if (!r.Code.empty() && SameText(r.Code[0].Text, "CAPABILITY")) NoteCapabilities(r.Code);
        if (r.Name == "OK") return r;
        if (r.Name == "NO" || r.Name == "BAD") throw EProtocolError(kImap, Reason(firstLine), 500);
        throw EProtocolError(kImap, firstLine, 999);
    }
}

void T_Imap::NoteCapabilities(const std::vector<TImapItem>& items) {
    capabilities_.clear();
    for (const TImapItem& i : items)
        if (i.Kind == TImapItem::Atom) capabilities_.push_back(UpperCase(i.Text));
}

bool T_Imap::Has(const std::string& capability) const {
    return std::find(capabilities_.begin(), capabilities_.end(), capability) != capabilities_.end();
}

void T_Imap::AskCapabilities() {
    capabilities_.clear();
    Await(Command("CAPABILITY"));
}

void T_Imap::Greet() {
    tagCount_ = 0;
    capabilities_.clear();
    uidValidity_.clear();
    messageList_.clear();
    numberOfMails_ = 0;
    StartExchange();
    std::string raw;
    if (!ReadResponse(raw)) throw EProtocolError(kImap, "Connection ended before the greeting", 999);
    TImapResponse greeting;
    std::string firstLine = raw.substr(0, raw.find_first_of("\r\n"));
    Trace(firstLine, tlReply);
    if (!ParseImapResponse(raw, greeting) || greeting.Tag != "*" ||
        (greeting.Name != "OK" && greeting.Name != "PREAUTH" && greeting.Name != "BYE"))
        throw EProtocolError(kImap, firstLine, 999);
    if (greeting.Name == "BYE") throw EProtocolError(kImap, Reason(firstLine), 500);
    preauth_ = greeting.Name == "PREAUTH";
    if (!greeting.Code.empty() && SameText(greeting.Code[0].Text, "CAPABILITY")) NoteCapabilities(greeting.Code);
}

void T_Imap::AskForTls() {
    if (capabilities_.empty()) AskCapabilities();
    // Asked for TLS: never a plain session instead, and no account named without it.
    if (preauth_ || !Has("STARTTLS")) throw EProtocolError(kImap, "The server does not offer STARTTLS", 500);
    Await(Command("STARTTLS"));
    capabilities_.clear();  // what was said before TLS may have been forged
}

void T_Imap::OpenMailbox() {
    Examine();
    Search();
}

void T_Imap::Authenticate() {
    if (capabilities_.empty()) AskCapabilities();
    if (preauth_) return;
    if (OnAccessToken) return AuthenticateWithToken();
    const bool tls = security_ != msPlain;  // TLS from the first byte or after STARTTLS
    const bool plain = Has("AUTH=PLAIN");
    if (Has("LOGINDISABLED") && (!tls || !plain)) {
        // No password goes out where the server itself says it must not.
        throw EProtocolError(kImap,
                             tls ? "The server takes no password (LOGINDISABLED)"
                                 : "The server takes no password without TLS (LOGINDISABLED)",
                             500);
    }
    if (plain) {
        std::string credentials = Base64Encode(std::string(1, '\0') + userName_ + '\0' + password_);
        if (Has("SASL-IR")) {
            Await(Command("AUTHENTICATE PLAIN " + credentials, "AUTHENTICATE PLAIN *****"));
        } else {
            Await(Command("AUTHENTICATE PLAIN"), nullptr, {credentials});
        }
        return;
    }
    // LOGIN: quoted strings, or literals sent when the server asks for them.
    std::string user = ImapQuoted(userName_), pass = ImapQuoted(password_);
    std::vector<std::string> more;
    std::string command = "LOGIN ", shown = "LOGIN ";
    if (user.empty()) {
        command += "{" + IntToStr(userName_.size()) + "}";
        shown = command;
        more.push_back(userName_ + " " + (pass.empty() ? "{" + IntToStr(password_.size()) + "}" : pass));
        if (pass.empty()) more.push_back(password_);
    } else {
        command += user + " " + (pass.empty() ? "{" + IntToStr(password_.size()) + "}" : pass);
        shown += user + " *****";
        if (pass.empty()) more.push_back(password_);
    }
    Await(Command(command, shown), nullptr, more);
}

void T_Imap::Examine() {
    Await(Command("EXAMINE INBOX"), [this](const TImapResponse& r) {
        if (r.Name == "OK" && r.Code.size() >= 2 && SameText(r.Code[0].Text, "UIDVALIDITY")) {
            uint32_t v = 0;
            if (ParseUid(r.Code[1].Text, v)) uidValidity_ = r.Code[1].Text;
        }
    });
}

void T_Imap::Search() {
    std::vector<uint32_t> uids;
    Await(Command("UID SEARCH UNSEEN"), [&](const TImapResponse& r) {
        if (r.Name != "SEARCH") return;
        for (const TImapItem& i : r.Data) {
            uint32_t uid = 0;
            if (i.Kind != TImapItem::Atom || !ParseUid(i.Text, uid)) throw EProtocolError(kImap, "* SEARCH " + i.Text, 999);
            if (uids.size() >= MaxListedMessages) {
                ended_ = true;  // the rest of the answer is not read
                throw ETcpIpError("The mailbox lists more messages than are read");
            }
            uids.push_back(uid);
        }
    });
    std::sort(uids.begin(), uids.end());
    uids.erase(std::unique(uids.begin(), uids.end()), uids.end());
    for (uint32_t uid : uids) {
        auto r = std::make_unique<t_reply>();
        r->Index = int(uid);
        if (!uidValidity_.empty()) r->UniqueId = uidValidity_ + "/" + IntToStr(uid);
        messageList_.push_back(std::move(r));
    }
    numberOfMails_ = int(messageList_.size());
}

void T_Imap::GetHeaders() {
    MailLines.clear();
    std::vector<uint32_t> uids;
    std::map<uint32_t, t_reply*> byUid;
    for (auto& r : messageList_) {
        uids.push_back(uint32_t(r->Index));
        byUid[uint32_t(r->Index)] = r.get();
        r->From.clear();
        r->Subject.clear();
    }
    std::map<uint32_t, bool> got;
    size_t responses = 0;
    if (!uids.empty()) {
        for (const std::string& set : UidSets(uids, MaxSetLength)) {
            try {
                Await(Command("UID FETCH " + set + " (UID BODY.PEEK[HEADER.FIELDS (FROM SUBJECT)])"),
                      [&](const TImapResponse& f) {
                          if (f.Name != "FETCH") return;
                          const TImapItem* uidItem = ImapFetchValue(f, "UID");
                          const TImapItem* header = ImapFetchValue(f, "BODY[");
                          uint32_t uid = 0;
                          if (!uidItem || !header || !ParseUid(uidItem->Text, uid)) return;
                          auto it = byUid.find(uid);
                          if (it == byUid.end() || header->Kind != TImapItem::String) return;
                          ImapHeaderFields(header->Text, MaxSummaryField, it->second->From,
                                           it->second->Subject);
                          got[uid] = true;
                          if (OnProgress && ++responses % kProgressEvery == 0) OnProgress(this);
                      });
            } catch (const EProtocolError&) {
                // A refused header still counts as mail; a lost connection ends the check.
                if (Eof()) throw;
            }
        }
    }
    for (auto& r : messageList_) {
        if (!got.count(uint32_t(r->Index))) {
            MailLines.push_back(IntToStr(r->Index));
            continue;
        }
        r->From = MimeDecode(r->From);
        r->Subject = MimeDecode(r->Subject);
        MailLines.push_back(r->Subject.empty() ? r->From : r->From + '\a' + r->Subject);
    }
}

void T_Imap::SayGoodbye() {
    std::string tag = Command("LOGOUT");
    // The BYE that comes first is the expected goodbye.
    StartExchange();
    for (;;) {
        std::string raw;
        if (!ReadResponse(raw)) break;  // closed after BYE: the goodbye is said
        std::string firstLine = raw.substr(0, raw.find_first_of("\r\n"));
        Trace(firstLine, tlReply);
        TImapResponse r;
        if (!ParseImapResponse(raw, r)) throw EProtocolError(kImap, firstLine, 999);
        if (r.Tag == tag) {
            if (r.Name != "OK") throw EProtocolError(kImap, Reason(firstLine), 500);
            break;
        }
    }
}
