// The mail client's extensions to plain POP3: the unique ids of the listed messages (UIDL),
// the capabilities (CAPA, UTF8), the APOP login, and the reason a mailbox failed.
#include <algorithm>
#include <sstream>
#include <unordered_map>

#include "core/Md5.h"
#include "core/SysUtils.h"
#include "mail/tcpip.h"

bool T_Pop3::GetUniqueIds() {
    std::unordered_map<int, t_reply*> byIndex;
    for (auto& r : messageList_) {
        r->UniqueId.clear();
        byIndex[r->Index] = r.get();
    }
    SendCommand("UIDL");
    try {
        CheckReply();
    } catch (const EProtocolError& e) {
        // "-ERR": a server without the command; the connection itself is fine.
        if (e.ErrorCode == 500 && !Eof()) return false;
        throw;
    }
    ReadListing([&byIndex](const std::string& line) {
        size_t blank = line.find(' ');
        if (blank == std::string::npos) throw EProtocolError("POP3", line, 999);
        int32_t index = 0;
        // The id is one word; anything after it is not part of it.
        std::string id = TrimLeft(line.substr(blank + 1));
        id = id.substr(0, id.find(' '));
        if (!TryStrToInt(line.substr(0, blank), index) || id.empty() || id.size() > MaxUniqueIdLength)
            throw EProtocolError("POP3", line, 999);
        auto it = byIndex.find(index);
        if (it != byIndex.end()) it->second->UniqueId = id;
    });
    return true;
}

std::string ApopTimestamp(const std::string& greeting) {
    size_t open = greeting.find('<');
    size_t close = open == std::string::npos ? open : greeting.find('>', open);
    if (close == std::string::npos) return "";
    std::string stamp = greeting.substr(open, close - open + 1);
    // A msg-id: printable, no blanks, with an "@".
    for (char c : stamp)
        if (static_cast<unsigned char>(c) <= ' ' || static_cast<unsigned char>(c) >= 0x7F) return "";
    return stamp.find('@') == std::string::npos ? "" : stamp;
}

std::string ApopDigest(const std::string& timestamp, const std::string& secret) {
    return Md5Hex(timestamp + secret);
}

std::vector<std::string> T_Pop3::AskCapabilities() {
    std::vector<std::string> names;
    saslMechanisms_.clear();
    SendCommand("CAPA");
    try {
        CheckReply();
    } catch (const EProtocolError&) {
        if (Eof()) throw;
        return names;  // a server without CAPA: plain POP3
    }
    ReadListing([&](const std::string& line) {
        names.push_back(Trim(line.substr(0, line.find(' '))));
        if (!SameText(names.back(), "SASL")) return;
        std::istringstream words(line.substr(4));
        for (std::string w; words >> w;) saslMechanisms_.push_back(w);
    });
    return names;
}

bool T_Pop3::HasCapability(const std::vector<std::string>& names, const char* name) {
    for (const auto& n : names)
        if (SameText(n, name)) return true;
    return false;
}

void T_Pop3::Authenticate() {
    apopRefusal_.clear();
    if (SignIn(true)) return;
    // Some servers hang up after refusing APOP: USER and PASS on a fresh connection.
    Trace("The server ended the connection after refusing APOP; connecting again", tlSocket);
    Connect();
    SignIn(false);
}

bool T_Pop3::SignIn(bool apop) {
    // Headers in raw UTF-8 are given as they are only to a client that said it takes them.
    if (HasCapability(AskCapabilities(), "UTF8")) {
        SendCommand("UTF8");
        try {
            CheckReply();
        } catch (const EProtocolError&) {
            if (Eof()) throw;
        }
    }
    if (OnAccessToken) {
        AuthenticateWithToken();
        return true;
    }
    // APOP keeps the password off the line; under TLS the line is protected anyway and
    // USER/PASS is what such servers expect.
    const std::string stamp = apop && security_ == msPlain ? ApopTimestamp(greeting_) : "";
    if (!stamp.empty()) {
        Trace("APOP " + userName_ + " *****", tlCommand);
        SendText("APOP " + userName_ + " " + ApopDigest(stamp, password_) + "\r\n");
        try {
            CheckReply();
            return true;
        } catch (const EProtocolError&) {
            apopRefusal_ = lastReply_;
            if (Eof()) return false;  // the server hung up after the refusal
        }
    }
    bool userAnswered = false;
    try {
        SendCommand("USER " + userName_);
        CheckReply();
        userAnswered = true;
        Trace("PASS *****", tlCommand);
        SendText("PASS " + password_ + "\r\n");
        CheckReply();
    } catch (const EProtocolError& e) {
        if (apopRefusal_.empty()) throw;
        // A server that hangs up on the command after refusing APOP is asked again.
        if (apop && !userAnswered && Eof()) return false;
        // Both ways failed: the reason names each with the server's words.
        auto words = [](const std::string& reply) {
            return reply.empty() ? std::string("no answer")
                   : reply.compare(0, 4, "-ERR") == 0 ? Trim(reply.substr(4)) : reply;
        };
        throw EProtocolError("POP3", "APOP refused: " + words(apopRefusal_) + "; USER/PASS: " + words(e.Message()),
                             e.ErrorCode);
    }
    return true;
}

std::string MailFailureReason(const ETcpIpError& e, const std::string& password) {
    std::string text = e.Message();
    if (dynamic_cast<const EProtocolError*>(&e) && text.compare(0, 4, "-ERR") == 0) {
        std::string rest = Trim(text.substr(4));
        if (!rest.empty()) text = rest;
    }
    // The server may repeat what it was sent; the password is never shown.
    for (size_t at = 0; !password.empty() && (at = text.find(password, at)) != std::string::npos; at += 5)
        text.replace(at, password.size(), "*****");
    for (char& c : text)
        if (static_cast<unsigned char>(c) < ' ') c = ' ';
    const size_t kLongest = 160;
    if (text.size() > kLongest) text = text.substr(0, kLongest) + "...";
    return Trim(text);
}
