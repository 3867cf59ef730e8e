// The server text of a mailbox: a host name as it always was, or one of the forms that ask
// for an encrypted connection.
//   host, host:port, pop3://host[:port]   plain connection (port 110 unless given)
//   host:995, pops://host[:port]          TLS from the first byte (port 995 unless given;
//                                         pop3s:// is read the same way)
//   pop3+starttls://host[:port]           plain connection on 110 that is turned into TLS
//                                         with STLS before the account is named
//   imap://host[:port]                    IMAP, plain connection (port 143 unless given)
//   imaps://host[:port]                   IMAP over TLS from the first byte (port 993)
//   imap+starttls://host[:port]           IMAP on 143, turned into TLS with STARTTLS before
//                                         the account is named
// A text without a scheme always means POP3.
#pragma once
#include <cstdint>
#include <string>

enum TMailSecurity { msPlain, msImplicitTls, msStartTls };
enum TMailProtocol { mpPop3, mpImap };

struct TMailServer {
    std::string Host;
    uint16_t Port = 110;
    TMailSecurity Security = msPlain;
    TMailProtocol Protocol = mpPop3;
};

// Reads a server text; defaultPort is the port of a plain text without one. False for a
// text that is none of the forms above (an unknown scheme, a port that is not 1 to 65535,
// no host); such a text cannot be reached.
bool ParseServerText(const std::string& text, uint16_t defaultPort, TMailServer& server);
// True for a server text that names an IMAP mailbox (one of the imap schemes).
bool IsImapServerText(const std::string& text);
