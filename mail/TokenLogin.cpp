// Signing in to a mailbox with an OAuth 2.0 access token instead of the password: IMAP
// AUTHENTICATE and POP3 AUTH with XOAUTH2 or OAUTHBEARER, only over TLS, the token renewed
// once after the server refused it, and the server's error challenge read into words.
#include "core/SysUtils.h"
#include "mail/Imap.h"
#include "mail/tcpip.h"

TSaslMechanism T_MailClient::TokenMechanism(const std::vector<std::string>& offered) const {
    // Loopback included: a token is worth as much as the password to whoever reads it.
    if (security_ == msPlain)
        throw EProtocolError(Protocol(), "The mailbox signs in with a token, which goes out only over TLS", 500);
    TSaslMechanism m;
    if (!ChooseSaslMechanism(offered, PreferredMechanism, m))
        throw EProtocolError(Protocol(), "The server offers no sign-in with a token (XOAUTH2, OAUTHBEARER)", 500);
    return m;
}

void T_MailClient::WithAccessToken(const std::function<void(const std::string& token)>& exchange) {
    for (bool renew = false;; renew = true) {
        try {
            exchange(OnAccessToken(renew));
            return;
        } catch (const EProtocolError&) {
            if (renew || Eof()) throw;
        }
    }
}

void T_Imap::AuthenticateWithToken() {
    std::vector<std::string> offered;
    for (const std::string& c : capabilities_)
        if (c.compare(0, 5, "AUTH=") == 0) offered.push_back(c.substr(5));
    const TSaslMechanism m = TokenMechanism(offered);
    const std::string name = SaslMechanismName(m);
    WithAccessToken([&](const std::string& token) {
        const std::string response = SaslInitialResponse(m, userName_, token, serverHost_, serverPort_);
        challenge_.clear();
        try {
            if (Has("SASL-IR"))
                Await(Command("AUTHENTICATE " + name + " " + response, "AUTHENTICATE " + name + " *****"), nullptr,
                      {SaslErrorAcknowledgement(m)});
            else
                Await(Command("AUTHENTICATE " + name), nullptr, {response, SaslErrorAcknowledgement(m)});
        } catch (const EProtocolError& e) {
            // The challenge says why in the server's own terms; the tagged answer rarely does.
            if (challenge_.empty() || e.ErrorCode != 500) throw;
            throw EProtocolError(Protocol(), SaslChallengeReason(challenge_), 500);
        }
    });
}

void T_Pop3::AuthenticateWithToken() {
    const TSaslMechanism m = TokenMechanism(saslMechanisms_);
    const std::string name = SaslMechanismName(m);
    WithAccessToken([&](const std::string& token) {
        const std::string response = SaslInitialResponse(m, userName_, token, serverHost_, serverPort_);
        const bool inCommand = 5 + name.size() + 1 + response.size() + 2 <= 255;
        Trace("AUTH " + name + (inCommand ? " *****" : ""), tlCommand);
        SendText("AUTH " + name + (inCommand ? " " + response : "") + "\r\n");
        // Each "+" line asks for the next part: the response, then (after a refusal, with
        // the reason in it) the acknowledgement that lets the server say "-ERR".
        std::string challenge;
        for (int step = inCommand ? 1 : 0;; ++step) {
            try {
                CheckReply();
                return;
            } catch (const EProtocolError& e) {
                const bool more = e.ErrorCode == 999 && !lastReply_.empty() && lastReply_[0] == '+' && step < 2;
                if (!more && e.ErrorCode == 500 && !challenge.empty())
                    throw EProtocolError(Protocol(), "-ERR " + SaslChallengeReason(challenge), 500);
                if (!more) throw;
            }
            if (step == 1) challenge = Trim(lastReply_.substr(1));
            Trace("*****", tlCommand);
            SendText((step == 0 ? response : SaslErrorAcknowledgement(m)) + "\r\n");
        }
    });
}
