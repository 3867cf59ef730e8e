// Blocking TCP client components: T_TcpIp (connect, TLS, send a command, read lines and
// counted bytes, trace, the deadlines), T_MailClient (the steps every mailbox protocol goes
// through, each protocol a subclass) and T_Pop3 (log in to a POP3 mailbox, list it, fetch
// each message's sender and subject, log out). Every call blocks the caller until the
// server answers or the time limit runs out.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Classes.h"
#include "mail/Sasl.h"
#include "mail/ServerText.h"
#include "platform/BlockingSocket.h"

// What a trace line is: a command as sent, a status reply as received, a socket event.
enum TTraceLevel { tlCommand = 0, tlReply = 1, tlSocket = 2 };
using TTraceProc = std::function<void(TObject* Sender, const std::string& s, TTraceLevel level)>;

// The family of the mail client's errors; callers catch this around a mailbox exchange.
class ETcpIpError : public Exception {
public:
    using Exception::Exception;
};

// The socket could not be created or connected; ErrorCode is the Winsock error.
class ESocketError : public ETcpIpError {
public:
    explicit ESocketError(uint16_t code) : ETcpIpError("Error creating socket"), ErrorCode(code) {}
    uint16_t ErrorCode;
};

// The server refused (500, "-ERR") or answered something else (999); the message is the
// server's reply line.
class EProtocolError : public ETcpIpError {
public:
    EProtocolError(const std::string& protocol, const std::string& line, uint16_t code)
        : ETcpIpError(line), ErrorCode(code), ProtocolName(protocol) {}
    uint16_t ErrorCode;
    std::string ProtocolName;
};

// The server's certificate was not accepted (see T_TcpIp::OnCertificate); nothing was sent
// over that connection and it is closed.
class ECertificateError : public ETcpIpError {
public:
    using ETcpIpError::ETcpIpError;
};

// No TLS connection came about (the handshake failed, ran out of time, or the server does
// not speak TLS on that port); the message says why, for the user.
class ETlsError : public ETcpIpError {
public:
    using ETcpIpError::ETcpIpError;
};

// A mailbox that signs in with a provider has no token to show: no sign-in was kept, or the
// provider no longer honours it. The user must sign in again; nothing was sent.
class ESignInNeeded : public ETcpIpError {
public:
    using ETcpIpError::ETcpIpError;
};

// Asked once per TLS handshake with what the system found; true lets the exchange go on.
using TCertificateEvent = std::function<bool(TObject* Sender, const platform::TTlsPeer& peer)>;

class T_NetComponent : public TComponent {
public:
    using TComponent::TComponent;
};

class T_TcpIp : public T_NetComponent {
public:
    explicit T_TcpIp(TComponent* owner = nullptr);
    ~T_TcpIp() override;

    const std::string& Hostname() const { return hostname_; }
    void SetHostname(const std::string& h) { hostname_ = h; }
    TTraceProc OnTrace;
    // Decides on the server's certificate after each TLS handshake. Unset, only a
    // certificate that the system trusts is accepted.
    TCertificateEvent OnCertificate;
    // Called at least every WaitSliceMs while the client waits for the server (connecting
    // excepted), the TLS handshake included, and between pieces of a long answer: the
    // window handles its messages there, so it repaints and takes clicks during a check.
    TNotifyEvent OnWait;
    static constexpr int WaitSliceMs = 100;
    // Ends the exchange under way at once, as if the connection broke (for OnWait, when the
    // user cancels); the next Login starts afresh.
    void Abort() { aborted_ = true; }
    bool Aborted() const { return aborted_; }

    // The port to connect to; no published property: the subclass sets it.
    uint16_t Port() const { return port_; }
    void SetPort(uint16_t p) { port_ = p; }
    // The longest wait, in milliseconds, for a connection or for the next data of an answer.
    // A server that accepts but never answers thus ends the exchange instead of hanging.
    int Timeout() const { return timeout_; }
    void SetTimeout(int ms) { timeout_ = ms; }
    // The longest time, in milliseconds, one exchange may take as a whole (a reply and the
    // listing that follows it), however the server spreads its bytes: a server that
    // dribbles or streams without end is given up once it runs out.
    int ExchangeTimeout() const { return exchangeTimeout_; }
    void SetExchangeTimeout(int ms) { exchangeTimeout_ = ms; }
    // The socket service to use; the system's unless a test installs another.
    void SetSockets(platform::IBlockingSockets* s) { sockets_ = s; }

    // The last resolved address (network byte order), 0xFFFFFFFF while unresolved.
    uint32_t Address() const { return address_; }
    bool Connected() const { return connected_; }
    // The socket number, -1 when there is none.
    int SocketId() const;

    virtual void OpenSocket();
    virtual void Action() {}
    // Sends s and CR LF; traces s as a command. Raises ETcpIpError for a text that holds a
    // line break (it would smuggle a second command to the server).
    virtual void SendCommand(const std::string& s);
    // Resolves Hostname and connects to Port (ending a previous connection first). Hostname
    // may ask for TLS and name a port of its own (ServerText.h); TLS from the first byte is
    // set up here, before anything is read or sent.
    virtual void Login();
    // Closes the socket and clears the connected flag.
    virtual void Logout();
    // True when the connection ended or the socket is not connected.
    virtual bool Eof();

    // Longest line kept; the rest of a longer line is read and dropped.
    static constexpr size_t MaxLineLength = 16384;

protected:
    void Trace(const std::string& s, TTraceLevel level);
    // Starts the time of one exchange (see ExchangeTimeout).
    void StartExchange();
    // Ends every wait of this connection once it has lasted ms milliseconds (< 0: no limit).
    void SetSessionLimit(int64_t ms);
    // Moves the end of the current exchange and of the session ms milliseconds later.
    void ExtendDeadlines(int64_t ms);
    // Reads one line (CR dropped, LF ends it). Returns false, leaving line alone, when the
    // connection ended (or the time limit ran out) before a whole line arrived.
    bool ReadLine(std::string& line);
    enum TLineRead { lrLine, lrEnded, lrFull };
    // Appends the bytes up to the next LF to out as they came (the LF is taken, not
    // appended): lrLine. lrFull once out holds limit bytes and the line goes on (the bytes
    // that fitted are taken); lrEnded when the connection ended or the time ran out first.
    TLineRead ReadUpTo(std::string& out, size_t limit);
    // Appends exactly n more bytes (a counted piece such as a literal); false when the
    // connection ended or the time ran out before all of them came.
    bool ReadBytes(std::string& out, size_t n);
    // Sends text as it stands (the caller traces it).
    void SendText(const std::string& text);
    void CloseSocket();
    void CheckNoLineBreak(const std::string& s) const;
    // How a TLS handshake that did not fail came out: ready, or the certificate was
    // accepted only after a long wait for the user, so that the server has likely given up
    // on the connection (the caller decides whether to connect again).
    enum class TTlsResult { Ready, AcceptedLate };
    // Turns the connection into TLS and puts the certificate to OnCertificate; the
    // handshake as a whole gets the time of one exchange, and no more than the session has
    // left. Raises ETlsError when no TLS connection came about, ECertificateError when the certificate
    // was refused (the socket is closed then).
    [[nodiscard]] TTlsResult StartTls();
    // The body of Login: resolves, connects and, where the server text asks for TLS from the
    // first byte, shakes hands.
    [[nodiscard]] TTlsResult OpenConnection();

    std::string hostname_;
    uint16_t port_ = 0;
    uint32_t address_ = 0xFFFFFFFFu;
    bool ended_ = false;
    bool connected_ = false;
    int timeout_ = 60000;
    int exchangeTimeout_ = 30000;
    int lastError_ = 0;
    TMailSecurity security_ = msPlain;  // what the server text asked for
    std::string serverHost_;            // the host part of the server text
    uint16_t serverPort_ = 0;           // the port connected to
    // The session limit (see SetSessionLimit) in force from the moment of connecting, so
    // that TLS from the first byte already runs under it; -1: none.
    int64_t initialSessionLimit_ = -1;

private:
    class PacedSocket;  // cuts long waits into slices, calling OnWait between them
    // True when received bytes wait to be taken, reading more (within the limits) if none do.
    bool Buffered();
    bool Fill();
    // Calls OnWait unless it was called within the last half slice.
    void Breathe();
    // Milliseconds since the connection was opened.
    int64_t SinceConnect() const;

    uint32_t connectTick_ = 0;       // the clock's tick count when the connection opened
    int64_t exchangeDeadline_ = -1;  // milliseconds since then; -1: none
    int64_t sessionDeadline_ = -1;
    int64_t handshakeDeadline_ = -1;  // milliseconds since connecting, while a TLS handshake runs
    uint32_t lastBreath_ = 0;         // the clock's tick count at the last OnWait
    bool aborted_ = false;

    platform::IBlockingSockets* sockets_ = nullptr;
    std::unique_ptr<platform::IBlockingSocket> socket_;
    std::string inbox_;  // received bytes not yet taken as lines
    size_t inboxPos_ = 0;
};

// The timestamp of an APOP greeting ("<...@...>" with its brackets), empty when it has none.
std::string ApopTimestamp(const std::string& greeting);
// The APOP digest: MD5 of the timestamp followed by the secret, in lower-case hex.
std::string ApopDigest(const std::string& timestamp, const std::string& secret);

// What to tell the user about a failed mail exchange: the server's own words for a refusal
// ("-ERR" left out), otherwise the client's; on one line, kept short, and with the password
// masked should a server repeat it.
std::string MailFailureReason(const ETcpIpError& e, const std::string& password);

// One message of the latest LIST answer.
struct t_reply {
    int Index = 0;
    int Size = 0;
    std::string UniqueId;  // from UIDL, empty when the server gave none
    std::string From;
    std::string Subject;
};

// A mailbox client: what the mail check sees of every protocol (the account, the messages
// listed by Login and their summaries after GetHeaders), and the steps of a login that each
// protocol fills in. Which protocol reads a mailbox is chosen from its server text, through
// the table of server forms (ServerText.h).
class T_MailClient : public T_TcpIp {
public:
    using T_TcpIp::T_TcpIp;

    const std::string& UserName() const { return userName_; }
    void SetUserName(const std::string& u) { userName_ = u; }
    const std::string& Password() const { return password_; }
    void SetPassword(const std::string& p) { password_ = p; }
    int NumberOfMails() const { return numberOfMails_; }
    const std::vector<std::unique_ptr<t_reply>>& MessageList() const { return messageList_; }

    // One summary per listed message after GetHeaders: sender, BEL, subject; the message's
    // number alone when the server gave no header for it.
    std::vector<std::string> MailLines;
    // Called now and then while GetHeaders reads a long mailbox, e.g. to let the window
    // handle its messages.
    TNotifyEvent OnProgress;

    // The time one mailbox may take from connecting to its last header: a base and a
    // share per listed message, in milliseconds. Running out gives the mailbox up.
    void SetMailboxTimeout(int baseMs, int perMessageMs) {
        mailboxBaseMs_ = baseMs;
        mailboxPerMessageMs_ = perMessageMs;
    }

    // The protocol's name as the table of server forms gives it ("POP3", "IMAP").
    virtual const char* Protocol() const = 0;
    // Refuses an account or password holding a line break before anything goes out, then
    // connects (TLS from the first byte where the server text asks for it), reads the
    // greeting (Greet), asks for TLS and shakes hands where the server text asks for that
    // (AskForTls, StartTls), names the account (Authenticate) and lists the mailbox
    // (OpenMailbox): MessageList and NumberOfMails are filled. The mailbox's time limit
    // then grows by the share of each listed message.
    void Login() override;
    // Fills MailLines with one summary per listed message. A refused header still counts
    // (its number is listed); a lost connection raises.
    virtual void GetHeaders() = 0;
    // Fills each listed message's UniqueId. False, the ids left empty, when the server has
    // none to give; raises when the exchange itself failed.
    virtual bool GetUniqueIds() = 0;
    // The goodbye (SayGoodbye) when connected, close, empty MessageList; then reports a
    // failed goodbye. MailLines and NumberOfMails keep their values.
    void Logout() override;
    // What to tell the user about a failed exchange (see MailFailureReason), this
    // client's password masked.
    std::string FailureReason(const ETcpIpError& e) const;

    // Most characters of a sender or subject kept for the summary.
    static constexpr size_t MaxSummaryField = 1024;

    // Set for a mailbox that signs in with an OAuth 2.0 access token instead of its password
    // (mail/TokenLogin.cpp): asked for the token when it is about to go out, and once more
    // with renew true after the server refused it. It raises ETcpIpError (ESignInNeeded when
    // the user must sign in again) when it has none to give.
    std::function<std::string(bool renew)> OnAccessToken;
    // The token mechanism tried first where the server lists both.
    TSaslMechanism PreferredMechanism = smXoauth2;

protected:
    // The token sign-in's rules for every protocol: a plain line is refused before a token
    // is even asked for, and so is a server that lists no token mechanism; else the one to use.
    TSaslMechanism TokenMechanism(const std::vector<std::string>& offered) const;
    // Runs exchange with the access token, and once more with a renewed one after the
    // server refused the first (EProtocolError) on a connection that is still there.
    void WithAccessToken(const std::function<void(const std::string& token)>& exchange);

    // The steps of Login and Logout, in that order; each raises ETcpIpError when refused.
    // Reads the server's greeting (and forgets what an earlier session learnt).
    virtual void Greet() = 0;
    // Asks the server to turn the plain connection into TLS; the handshake follows.
    virtual void AskForTls() = 0;
    // Names the account and proves it: each protocol's login mechanisms, in its order of
    // preference. Nothing secret crosses a plain line where the server forbids it.
    virtual void Authenticate() = 0;
    // Opens the mailbox and lists its messages: MessageList and NumberOfMails.
    virtual void OpenMailbox() = 0;
    // The first steps of Login: connects (a connection still open is ended first), Greet,
    // and AskForTls and the handshake where the server text asks for them. Authenticate
    // may call it again to start afresh. A certificate accepted only after a long question
    // starts afresh once by itself, before anything of the account goes out.
    void Connect();
    // Ends the session politely (the connection is still open).
    virtual void SayGoodbye() = 0;

    std::string userName_;
    std::string password_;
    int numberOfMails_ = 0;
    std::vector<std::unique_ptr<t_reply>> messageList_;
    int mailboxBaseMs_ = 120000;
    int mailboxPerMessageMs_ = 1000;
};

class T_Pop3 : public T_MailClient {
public:
    explicit T_Pop3(TComponent* owner = nullptr);

    // MailLines holds the message's lines after GetMail.

    // Login (T_MailClient) goes: greeting, STLS where asked, CAPA (and UTF8 when the server
    // offers it), APOP when the greeting carries a timestamp and the line is not encrypted,
    // USER and PASS when there was no APOP or it was refused (on a new connection when the
    // server hung up after the refusal), and LIST. The password
    // crosses the line only in PASS.
    const char* Protocol() const override { return "POP3"; }
    void Action() override;
    // TOP n 1 for every listed message, in batches when the server takes them.
    void GetHeaders() override;
    void GetMail(int n);
    // Asks the server for the unique id of each listed message (UIDL) and stores them in
    // MessageList. False, with the ids left empty, when the server refuses the command.
    bool GetUniqueIds() override;

    // Most lines a multi-line answer may have; a longer one is refused as a runaway.
    static constexpr size_t MaxListingLines = 200000;
    // Longest unique id taken from UIDL (the protocol allows 70 characters).
    static constexpr size_t MaxUniqueIdLength = 256;
    // Most messages one LIST may name; a mailbox listing more is given up, having counted
    // what was listed.
    static constexpr int MaxListedMessages = 100000;
    // Most lines one TOP answer may have (the header and its first body line).
    static constexpr size_t MaxHeaderLines = 2048;

protected:
    // Reads one status line: "+OK" passes, "-ERR" raises EProtocolError 500, anything else
    // (also no line at all) raises EProtocolError 999.
    void CheckReply();
    // Reads the lines of a multi-line answer up to its "." line, un-stuffing leading dots.
    void ReadListing(const std::function<void(const std::string&)>& each);
    void Greet() override;
    void AskForTls() override;  // STLS
    // UTF8, APOP, USER/PASS as Login says; AUTH with the access token instead where the
    // mailbox has OnAccessToken.
    void Authenticate() override;
    void OpenMailbox() override;  // LIST
    void SayGoodbye() override;   // QUIT

private:
    void ReadHeader(t_reply& r);
    // UTF8, APOP (unless apop is false) and USER/PASS as Login says. False when the server
    // refused APOP and then hung up (Authenticate connects again without APOP); a failure
    // after a refused APOP names both in its text.
    bool SignIn(bool apop);
    // The capability names (first words) of a CAPA answer; none when CAPA is refused. The
    // words after "SASL" go to saslMechanisms_.
    std::vector<std::string> AskCapabilities();
    // AUTH (RFC 5034) with the access token: the initial response in the command where the
    // line stays within 255 octets; an error challenge is acknowledged and read into words.
    void AuthenticateWithToken();
    static bool HasCapability(const std::vector<std::string>& names, const char* name);
    // Asks once per session (CAPA) whether the server takes commands in batches.
    bool ServerPipelines();
    // Sends the TOP commands of walk positions [from, to) in one go.
    void SendTops(size_t from, size_t to);

    std::string lastReply_;  // the latest status line
    std::string greeting_;   // the greeting line (its APOP timestamp)
    std::string apopRefusal_;  // the server's refusal of APOP in this login, if any
    std::vector<std::string> saslMechanisms_;  // of the latest CAPA answer
    int pipelining_ = -1;    // -1 not asked yet this session, else 0 or 1
};
