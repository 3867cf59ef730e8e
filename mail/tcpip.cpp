// The blocking TCP client (the line engine every mailbox protocol reads through) and the
// steps every mailbox client goes through; the POP3 client is in Pop3.cpp, IMAP in Imap.cpp.
#include "mail/tcpip.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "core/SysUtils.h"
#include "mail/ip_misc.h"
#include "platform/Platform.h"

namespace {
// A server may have given up on a connection that waited this long for the user's answer.
const int64_t kLongQuestionMs = 10000;
}  // namespace

// The connected socket as the client sees it: every wait is cut into slices of WaitSliceMs
// with OnWait between them, and no wait goes past a running TLS handshake's deadline, however
// the TLS layer above it counts its own time.
class T_TcpIp::PacedSocket : public platform::IBlockingSocket {
public:
    PacedSocket(T_TcpIp& owner, std::unique_ptr<platform::IBlockingSocket> inner)
        : owner_(owner), inner_(std::move(inner)) {}
    int Id() const override { return inner_->Id(); }
    int Send(const char* data, int len) override {
        int n = inner_->Send(data, len);
        error_ = inner_->LastError();
        return n;
    }
    int Receive(char* buf, int len, int timeoutMs) override {
        // Counted down by the slices waited, so the wait ends even on a clock that stands.
        int64_t left = std::max(0, timeoutMs);
        for (;;) {
            if (owner_.handshakeDeadline_ >= 0)
                left = std::min(left, owner_.handshakeDeadline_ - owner_.SinceConnect());
            owner_.Breathe();
            if (owner_.aborted_) {
                error_ = platform::sockErrAborted;
                return -1;
            }
            if (left <= 0) {
                error_ = platform::sockErrTimedOut;
                return -1;
            }
            int slice = int(std::min<int64_t>(left, WaitSliceMs));
            int n = inner_->Receive(buf, len, slice);
            error_ = inner_->LastError();
            if (n >= 0 || error_ != platform::sockErrTimedOut) return n;
            left -= slice;
        }
    }
    bool PeerConnected() override { return inner_->PeerConnected(); }
    int LastError() const override { return error_; }

private:
    T_TcpIp& owner_;
    std::unique_ptr<platform::IBlockingSocket> inner_;
    int error_ = 0;
};

// ---- T_TcpIp ------------------------------------------------------------------------

T_TcpIp::T_TcpIp(TComponent* owner) : T_NetComponent(owner) {}

T_TcpIp::~T_TcpIp() {
    // No trace here: the receiver of the trace may already be gone.
    socket_.reset();
}

int T_TcpIp::SocketId() const { return socket_ ? socket_->Id() : -1; }

void T_TcpIp::Trace(const std::string& s, TTraceLevel level) {
    if (OnTrace) OnTrace(this, s, level);
}

void T_TcpIp::CheckNoLineBreak(const std::string& s) const {
    if (s.find_first_of("\r\n") != std::string::npos)
        throw ETcpIpError("A command may not hold a line break");
}

void T_TcpIp::OpenSocket() {
    CloseSocket();
    platform::IBlockingSockets& sockets = sockets_ ? *sockets_ : platform::SystemBlockingSockets();
    int error = 0;
    socket_ = sockets.ConnectPaced(
        address_, serverPort_, timeout_, error,
        [this] {
            Breathe();
            return !aborted_;
        },
        WaitSliceMs);
    lastError_ = error;
    if (socket_) socket_ = std::make_unique<PacedSocket>(*this, std::move(socket_));
    if (!socket_) {
        Trace("Failed to open output socket " + IntToStr(serverPort_) + " to host " + AddressText(address_),
              tlSocket);
        return;
    }
    Trace("Opened output socket " + IntToStr(serverPort_) + " to host " + AddressText(address_) +
              " successfully; ID " + IntToStr(socket_->Id()),
          tlSocket);
}

void T_TcpIp::Login() {
    // A line client without a session of its own goes on with the connection it has when
    // the certificate was accepted late.
    (void)OpenConnection();
}

T_TcpIp::TTlsResult T_TcpIp::OpenConnection() {
    if (connected_) {
        // The previous connection is over whatever its goodbye says; a failure there must
        // not count against the server we are about to reach.
        try {
            Logout();
        } catch (const ETcpIpError& e) {
            Trace("Previous connection ended with: " + e.Message(), tlSocket);
        }
    }
    aborted_ = false;
    TMailServer server;
    bool readable = ParseServerText(hostname_, port_, server);
    const std::string& host = server.Host;
    security_ = server.Security;
    serverHost_ = host;
    serverPort_ = server.Port;
    address_ = 0xFFFFFFFFu;
    uint32_t address = 0;
    platform::IBlockingSockets& sockets = sockets_ ? *sockets_ : platform::SystemBlockingSockets();
    if (!readable || !(ParseDottedAddress(host, address) || sockets.ResolveHost(host, address)))
        throw ETcpIpError("Couldn't resolve hostname " + hostname_);
    address_ = address;
    OpenSocket();
    if (!socket_) throw ESocketError(static_cast<uint16_t>(lastError_));
    inbox_.clear();
    inboxPos_ = 0;
    ended_ = false;
    connected_ = true;
    connectTick_ = platform::Clock().TickCount();
    exchangeDeadline_ = -1;
    SetSessionLimit(initialSessionLimit_);
    return security_ == msImplicitTls ? StartTls() : TTlsResult::Ready;
}

// Counted from the connection's start on the clock seam's tick count, which wraps: the
// difference stays right for sessions shorter than 49 days.
int64_t T_TcpIp::SinceConnect() const { return uint32_t(platform::Clock().TickCount() - connectTick_); }

void T_TcpIp::StartExchange() { exchangeDeadline_ = exchangeTimeout_ < 0 ? -1 : SinceConnect() + exchangeTimeout_; }

void T_TcpIp::SetSessionLimit(int64_t msSinceConnect) {
    sessionDeadline_ = msSinceConnect < 0 ? -1 : msSinceConnect;
}

void T_TcpIp::ExtendDeadlines(int64_t ms) {
    if (exchangeDeadline_ >= 0) exchangeDeadline_ += ms;
    if (sessionDeadline_ >= 0) sessionDeadline_ += ms;
}

void T_TcpIp::Logout() {
    CloseSocket();
    connected_ = false;
}

void T_TcpIp::CloseSocket() {
    inbox_.clear();
    inboxPos_ = 0;
    if (!socket_) return;
    int id = socket_->Id();
    socket_.reset();
    Trace("Closed socket ID " + IntToStr(id), tlSocket);
}

void T_TcpIp::Breathe() {
    if (!OnWait) return;
    if (uint32_t(platform::Clock().TickCount() - lastBreath_) < WaitSliceMs / 2) return;
    OnWait(this);
    lastBreath_ = platform::Clock().TickCount();
}

bool T_TcpIp::Eof() { return ended_ || !socket_ || !socket_->PeerConnected(); }

void T_TcpIp::SendText(const std::string& text) {
    if (!socket_) {
        ended_ = true;
        return;
    }
    int sent = socket_->Send(text.data(), int(text.size()));
    Trace("Sent " + IntToStr(sent) + " bytes on socket ID " + IntToStr(socket_->Id()), tlSocket);
    // A connection that cannot take a command will not answer it either: stop waiting now.
    if (sent < 0) ended_ = true;
}

void T_TcpIp::SendCommand(const std::string& s) {
    CheckNoLineBreak(s);
    Trace(s, tlCommand);
    SendText(s + "\r\n");
}

bool T_TcpIp::Fill() {
    // The wait is the shortest of the time limit for the next data, the rest of the
    // exchange and the rest of the session; a deadline that has passed ends the reading
    // even when more data is waiting (a server that streams without end).
    int64_t wait = timeout_;
    int64_t now = SinceConnect();
    for (int64_t deadline : {exchangeDeadline_, sessionDeadline_})
        if (deadline >= 0) wait = std::min(wait, std::max<int64_t>(0, deadline - now));
    char buf[32768];
    int n = wait > 0 ? socket_->Receive(buf, sizeof(buf), int(wait)) : -1;
    if (n > 0) {
        Trace("Received " + IntToStr(n) + " bytes on socket ID " + IntToStr(socket_->Id()), tlSocket);
        inbox_.append(buf, size_t(n));
        return true;
    }
    if (n < 0 && (wait <= 0 || socket_->LastError() == platform::sockErrTimedOut))
        Trace("No answer in time on socket ID " + IntToStr(socket_->Id()), tlSocket);
    ended_ = true;
    return false;
}

bool T_TcpIp::Buffered() {
    if (inboxPos_ < inbox_.size()) return true;
    inbox_.clear();
    inboxPos_ = 0;
    // No peer-address query per read: a closed connection shows as a receive of 0.
    return !ended_ && socket_ && Fill();
}

T_TcpIp::TLineRead T_TcpIp::ReadUpTo(std::string& out, size_t limit) {
    for (;;) {
        if (!Buffered()) return lrEnded;
        const char* begin = inbox_.data() + inboxPos_;
        size_t avail = inbox_.size() - inboxPos_;
        const char* lf = static_cast<const char*>(std::memchr(begin, '\n', avail));
        size_t take = lf ? size_t(lf - begin) : avail;
        size_t room = limit > out.size() ? limit - out.size() : 0;
        if (take > room) {
            out.append(begin, room);
            inboxPos_ += room;
            return lrFull;
        }
        out.append(begin, take);
        inboxPos_ += take;
        if (lf) {
            ++inboxPos_;
            return lrLine;
        }
    }
}

bool T_TcpIp::ReadLine(std::string& line) {
    // Taken in pieces, so a runaway line costs no more memory than the part that is kept.
    std::string text, piece;
    for (;;) {
        piece.clear();
        TLineRead read = ReadUpTo(piece, 4096);
        if (read == lrEnded) return false;
        for (char c : piece)
            if (c != '\r' && text.size() < MaxLineLength) text.push_back(c);
        if (read == lrLine) {
            line = std::move(text);
            return true;
        }
    }
}

bool T_TcpIp::ReadBytes(std::string& out, size_t n) {
    while (n > 0) {
        if (!Buffered()) return false;
        size_t take = std::min(n, inbox_.size() - inboxPos_);
        out.append(inbox_, inboxPos_, take);
        inboxPos_ += take;
        n -= take;
    }
    return true;
}

T_TcpIp::TTlsResult T_TcpIp::StartTls() {
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
    int64_t now = SinceConnect();
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
        if (SinceConnect() >= end && peer.Problem.empty()) peer.Problem = "no TLS answer from the server in time";
        Trace("TLS failed on socket ID " + IntToStr(id) + ": " + peer.Problem, tlSocket);
        throw ETlsError(peer.Problem);
    }
    Trace("TLS on socket ID " + IntToStr(id) + "; certificate " + peer.Fingerprint +
              (peer.Trusted ? " trusted by the system" : " not trusted by the system: " + peer.Problem),
          tlSocket);
    int64_t asked = SinceConnect();
    bool accepted = OnCertificate ? OnCertificate(this, peer) : peer.Trusted;
    // The time the user took to answer is not the server's.
    int64_t answered = SinceConnect() - asked;
    ExtendDeadlines(answered);
    if (!accepted) {
        // Nothing more goes over this connection, the account and password least of all.
        CloseSocket();
        ended_ = true;
        throw ECertificateError("The certificate of " + serverHost_ + " was not accepted");
    }
    return answered >= kLongQuestionMs ? TTlsResult::AcceptedLate : TTlsResult::Ready;
}

// ---- T_MailClient -------------------------------------------------------------------

void T_MailClient::Login() {
    // Refused before anything goes out: a line break would start a second command.
    CheckNoLineBreak(userName_);
    CheckNoLineBreak(password_);
    initialSessionLimit_ = mailboxBaseMs_;  // TLS from the first byte runs under it already
    Connect();
    Authenticate();
    OpenMailbox();
    // The headers still to come earn the mailbox more time.
    SetSessionLimit(mailboxBaseMs_ + int64_t(mailboxPerMessageMs_) * numberOfMails_);
}

void T_MailClient::Connect() {
    // The server has likely given up on a connection that idled through a long certificate
    // question: start afresh, once (the certificate is known now, so the next connection
    // asks nothing).
    for (int attempt = 0;; ++attempt) {
        auto late = [&](TTlsResult tls) {
            if (tls != TTlsResult::AcceptedLate || attempt > 0) return false;
            Trace("The certificate of " + serverHost_ + " was accepted after a long wait: connecting again", tlSocket);
            CloseSocket();
            ended_ = true;
            return true;
        };
        if (late(OpenConnection())) continue;
        Greet();
        if (security_ == msStartTls) {
            AskForTls();
            if (late(StartTls())) continue;
        }
        return;
    }
}

void T_MailClient::Logout() {
    std::exception_ptr failure;
    // A connection that already ended has no one to say goodbye to.
    if (connected_ && !Eof()) {
        try {
            SayGoodbye();
        } catch (const ETcpIpError&) {
            failure = std::current_exception();
        }
    }
    T_TcpIp::Logout();
    messageList_.clear();
    if (failure) std::rethrow_exception(failure);
}

std::string T_MailClient::FailureReason(const ETcpIpError& e) const { return MailFailureReason(e, password_); }
