// The mail client's extensions to plain POP3: TLS (from the first byte or after STLS) with
// the certificate put to the owner, and the unique ids of the listed messages (UIDL).
#include <algorithm>
#include <chrono>
#include <unordered_map>

#include "core/SysUtils.h"
#include "mail/tcpip.h"

namespace {
int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
// A server may have given up on a connection that waited this long for the user's answer.
const int64_t kLongQuestionMs = 10000;
}  // namespace

void T_TcpIp::StartTls() {
    // Bytes that arrived before the handshake are not covered by it: someone in the middle
    // could have put them there to be taken for the server's first encrypted answers.
    if (inboxPos_ < inbox_.size()) {
        CloseSocket();
        ended_ = true;
        throw ETcpIpError("Unexpected data before the TLS handshake");
    }
    platform::IBlockingSockets& sockets = sockets_ ? *sockets_ : platform::SystemBlockingSockets();
    platform::TTlsPeer peer;
    int id = socket_ ? socket_->Id() : -1;
    // The whole handshake is one exchange: a peer that dribbles it byte by byte is given
    // up like one that dribbles a reply, and never after the session's own end.
    int64_t now = NowMs();
    int64_t end = now + (exchangeTimeout_ >= 0 ? exchangeTimeout_ : timeout_);
    if (sessionDeadline_ >= 0) end = std::min(end, sessionDeadline_);
    handshakeDeadline_ = std::max(now, end);
    struct Over {
        int64_t& deadline;
        ~Over() { deadline = -1; }
    } over{handshakeDeadline_};
    socket_ = sockets.StartTls(std::move(socket_), serverHost_, int(handshakeDeadline_ - now), peer);
    inbox_.clear();
    inboxPos_ = 0;
    if (!socket_) {
        ended_ = true;
        if (NowMs() >= end && peer.Problem.empty()) peer.Problem = "no TLS answer from the server in time";
        Trace("TLS failed on socket ID " + IntToStr(id) + ": " + peer.Problem, tlSocket);
        throw ETlsError(peer.Problem);
    }
    Trace("TLS on socket ID " + IntToStr(id) + "; certificate " + peer.Fingerprint +
              (peer.Trusted ? " trusted by the system" : " not trusted by the system: " + peer.Problem),
          tlSocket);
    int64_t asked = NowMs();
    bool accepted = OnCertificate ? OnCertificate(this, peer) : peer.Trusted;
    // The time the user took to answer is not the server's.
    int64_t answered = NowMs() - asked;
    ExtendDeadlines(answered);
    if (!accepted) {
        // Nothing more goes over this connection, the account and password least of all.
        CloseSocket();
        ended_ = true;
        throw ECertificateError("The certificate of " + serverHost_ + " was not accepted");
    }
    if (answered >= kLongQuestionMs) {
        // The server has likely given up on a connection that idled this long: start afresh
        // (the certificate is known now, so the next connection asks nothing).
        CloseSocket();
        ended_ = true;
        throw EReconnect("The certificate of " + serverHost_ + " was accepted after a long wait");
    }
}

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
