// The server text of a mailbox: a host name as it always was, or one of the forms of the
// table below, which name the protocol and ask for an encrypted connection or not.
//   host, host:port                       POP3, plain connection (port 110 unless given);
//                                         host:995 means TLS from the first byte
//   pop3://host[:port]                    POP3, plain connection (port 110 unless given)
//   pops://host[:port]                    TLS from the first byte (port 995 unless given;
//                                         pop3s:// is read the same way)
//   pop3+starttls://host[:port]           plain connection on 110 that is turned into TLS
//                                         with STLS before the account is named
//   imap://host[:port]                    IMAP, plain connection (port 143 unless given)
//   imaps://host[:port]                   IMAP over TLS from the first byte (port 993)
//   imap+starttls://host[:port]           IMAP on 143, turned into TLS with STARTTLS before
//                                         the account is named
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TComponent;
class T_MailClient;

enum TMailSecurity { msPlain, msImplicitTls, msStartTls };

// One row of the table of server forms: the scheme before "://", the protocol that reads
// such a mailbox, its port when the text names none, the security asked for, and how the
// protocol's client is made. A new protocol is a row per form and its client class.
struct TServerForm {
    const char* Scheme;
    const char* Protocol;  // as the client's Protocol() gives it
    uint16_t DefaultPort;
    TMailSecurity Security;
    std::unique_ptr<T_MailClient> (*NewClient)(TComponent* owner);
};
// Every form; the first is the protocol of a text without a scheme.
const std::vector<TServerForm>& ServerForms();

struct TMailServer {
    std::string Host;
    uint16_t Port = 110;
    TMailSecurity Security = msPlain;
    const TServerForm* Form = &ServerForms()[0];
};

// Reads a server text; defaultPort is the port of a plain text without one. False for a
// text that is none of the forms above (an unknown scheme, a port that is not 1 to 65535,
// no host); such a text cannot be reached.
bool ParseServerText(const std::string& text, uint16_t defaultPort, TMailServer& server);

// The mailbox clients of an owner, one per protocol, each made from the table the first
// time a server text names its protocol and kept from then on (so a connection left open
// by a failure ends with that client's next Login). Clients handed in are used as they are.
class TMailClients {
public:
    explicit TMailClients(TComponent* owner, std::vector<T_MailClient*> given = {});
    ~TMailClients();
    // The client for a server text; a text that cannot be read gets the client of the
    // first form (whose Login then reports the text).
    T_MailClient& For(const std::string& serverText);

private:
    TComponent* owner_;
    std::vector<T_MailClient*> clients_;
    std::vector<std::unique_ptr<T_MailClient>> made_;
};
