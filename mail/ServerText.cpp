// Reading a mailbox's server text through the table of server forms; see ServerText.h.
#include "mail/ServerText.h"

#include "core/NetText.h"
#include "core/SysUtils.h"
#include "mail/Imap.h"
#include "mail/tcpip.h"

namespace {

template <class T>
std::unique_ptr<T_MailClient> Make(TComponent* owner) {
    return std::make_unique<T>(owner);
}

bool ParsePort(const std::string& s, uint16_t& port) {
    uint32_t v = 0;
    if (s.size() > 5 || !ParseDecimal(s, 65535, v) || v < 1) return false;
    port = static_cast<uint16_t>(v);
    return true;
}

}  // namespace

const std::vector<TServerForm>& ServerForms() {
    static const std::vector<TServerForm> forms = {
        {"pop3", "POP3", 110, msPlain, Make<T_Pop3>},
        {"pops", "POP3", 995, msImplicitTls, Make<T_Pop3>},
        {"pop3s", "POP3", 995, msImplicitTls, Make<T_Pop3>},
        {"pop3+starttls", "POP3", 110, msStartTls, Make<T_Pop3>},
        {"imap", "IMAP", 143, msPlain, Make<T_Imap>},
        {"imaps", "IMAP", 993, msImplicitTls, Make<T_Imap>},
        {"imap+starttls", "IMAP", 143, msStartTls, Make<T_Imap>},
    };
    return forms;
}

bool ParseServerText(const std::string& text, uint16_t defaultPort, TMailServer& server) {
    std::string rest = Trim(text);
    TMailServer result;
    const TServerForm* form = nullptr;  // named by a scheme
    size_t schemeEnd = rest.find("://");
    if (schemeEnd != std::string::npos) {
        std::string scheme = LowerCase(rest.substr(0, schemeEnd));
        for (const TServerForm& f : ServerForms())
            if (scheme == f.Scheme) form = &f;
        if (!form) return false;
        rest = rest.substr(schemeEnd + 3);
        if (!rest.empty() && rest.back() == '/') rest.pop_back();
        result.Form = form;
        result.Security = form->Security;
    }
    size_t colon = rest.rfind(':');
    if (colon != std::string::npos) {
        if (!ParsePort(rest.substr(colon + 1), result.Port)) return false;
        rest = rest.substr(0, colon);
        // The well-known port of POP3 over TLS means TLS even without a scheme.
        if (!form && result.Port == 995) result.Security = msImplicitTls;
    } else {
        result.Port = form ? form->DefaultPort : defaultPort;
    }
    if (rest.empty() || rest.find_first_of(" /:@") != std::string::npos) return false;
    result.Host = rest;
    server = result;
    return true;
}

TMailClients::TMailClients(TComponent* owner, std::vector<T_MailClient*> given)
    : owner_(owner), clients_(std::move(given)) {}

TMailClients::~TMailClients() = default;

T_MailClient& TMailClients::For(const std::string& serverText) {
    TMailServer server;
    ParseServerText(serverText, 110, server);  // unreadable: the first form stays
    for (T_MailClient* c : clients_)
        if (std::string(c->Protocol()) == server.Form->Protocol) return *c;
    made_.push_back(server.Form->NewClient(owner_));
    clients_.push_back(made_.back().get());
    return *made_.back();
}
