// SASL texts for OAuth 2.0 bearer tokens; see Sasl.h.
#include "mail/Sasl.h"

#include "core/Base64.h"
#include "core/SysUtils.h"
#include "net/Json.h"

namespace {
// The user name as a GS2 "saslname": "," and "=" escaped (RFC 5801).
std::string SaslName(const std::string& user) {
    std::string out;
    for (char c : user) {
        if (c == ',') out += "=2C";
        else if (c == '=') out += "=3D";
        else out += c;
    }
    return out;
}

// Printable ASCII only, at most 100 characters: a challenge is the server's text, shown
// on the user's screen.
std::string Printable(const std::string& s) {
    std::string out;
    for (char c : s)
        if (c >= 0x20 && c < 0x7F && out.size() < 100) out += c;
    return out;
}
}  // namespace

const char* SaslMechanismName(TSaslMechanism m) { return m == smOauthBearer ? "OAUTHBEARER" : "XOAUTH2"; }

bool ChooseSaslMechanism(const std::vector<std::string>& offered, TSaslMechanism preferred, TSaslMechanism& chosen) {
    auto listed = [&](TSaslMechanism m) {
        for (const std::string& o : offered)
            if (SameText(o, SaslMechanismName(m))) return true;
        return false;
    };
    TSaslMechanism other = preferred == smXoauth2 ? smOauthBearer : smXoauth2;
    if (listed(preferred)) chosen = preferred;
    else if (listed(other)) chosen = other;
    else return false;
    return true;
}

std::string SaslInitialResponse(TSaslMechanism m, const std::string& user, const std::string& token,
                                const std::string& host, uint16_t port) {
    if (m == smXoauth2) return Base64Encode("user=" + user + "\x01" "auth=Bearer " + token + "\x01\x01");
    return Base64Encode("n,a=" + SaslName(user) + ",\x01" "host=" + host + "\x01" "port=" + std::to_string(port) +
                        "\x01" "auth=Bearer " + token + "\x01\x01");
}

std::string SaslErrorAcknowledgement(TSaslMechanism m) { return m == smOauthBearer ? "AQ==" : ""; }

std::string SaslChallengeReason(const std::string& challenge) {
    std::string plain = "the server refused the access token";
    std::string decoded;
    TJsonObject json;
    if (!Base64Decode(Trim(challenge), decoded) || !ReadJsonObject(decoded, json)) return plain;
    std::string status = Printable(json.Text("status"));
    std::string scope = Printable(json.Text("scope"));
    if (!status.empty()) plain += " (" + status + ")";
    if (!scope.empty()) plain += "; it asks for the scope " + scope;
    return plain;
}
