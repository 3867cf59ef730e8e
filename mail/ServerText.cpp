// Reading a mailbox's server text; see ServerText.h.
#include "mail/ServerText.h"

#include "core/NetText.h"
#include "core/SysUtils.h"

namespace {

bool ParsePort(const std::string& s, uint16_t& port) {
    uint32_t v = 0;
    if (s.size() > 5 || !ParseDecimal(s, 65535, v) || v < 1) return false;
    port = static_cast<uint16_t>(v);
    return true;
}

}  // namespace

bool ParseServerText(const std::string& text, uint16_t defaultPort, TMailServer& server) {
    std::string rest = Trim(text);
    TMailServer result;
    bool schemeGiven = false;
    size_t schemeEnd = rest.find("://");
    if (schemeEnd != std::string::npos) {
        std::string scheme = LowerCase(rest.substr(0, schemeEnd));
        rest = rest.substr(schemeEnd + 3);
        if (scheme == "pop3") {
            result.Security = msPlain;
        } else if (scheme == "pops" || scheme == "pop3s") {
            result.Security = msImplicitTls;
        } else if (scheme == "pop3+starttls") {
            result.Security = msStartTls;
        } else if (scheme == "imap" || scheme == "imaps" || scheme == "imap+starttls") {
            result.Protocol = mpImap;
            result.Security = scheme == "imaps" ? msImplicitTls : scheme == "imap" ? msPlain : msStartTls;
        } else {
            return false;
        }
        schemeGiven = true;
        if (!rest.empty() && rest.back() == '/') rest.pop_back();
    }
    size_t colon = rest.rfind(':');
    if (colon != std::string::npos) {
        if (!ParsePort(rest.substr(colon + 1), result.Port)) return false;
        rest = rest.substr(0, colon);
        // The well-known port of POP3 over TLS means TLS even without a scheme.
        if (!schemeGiven && result.Port == 995) result.Security = msImplicitTls;
    } else if (result.Protocol == mpImap) {
        result.Port = result.Security == msImplicitTls ? 993 : 143;
    } else if (result.Security == msImplicitTls) {
        result.Port = 995;
    } else {
        result.Port = schemeGiven ? 110 : defaultPort;
    }
    if (rest.empty() || rest.find_first_of(" /:@") != std::string::npos) return false;
    result.Host = rest;
    server = result;
    return true;
}

bool IsImapServerText(const std::string& text) {
    TMailServer server;
    return ParseServerText(text, 110, server) && server.Protocol == mpImap;
}
