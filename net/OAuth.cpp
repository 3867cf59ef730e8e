// OAuth 2.0 texts and rules for a native program; see OAuth.h.
#include "net/OAuth.h"

#include <algorithm>

#include "core/Base64.h"
#include "core/NetText.h"
#include "core/Sha256.h"
#include "core/SysUtils.h"
#include "net/Json.h"

namespace {

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
}

// A text from outside on one short line: control characters become blanks, and it is cut
// (at a character boundary) after 200 bytes.
std::string OneLine(const std::string& s) {
    std::string out;
    for (char c : s) out += uint8_t(c) < 0x20 || c == 0x7F ? ' ' : c;
    if (out.size() > 200) {
        size_t cut = 200;
        while (cut > 0 && (uint8_t(out[cut]) & 0xC0) == 0x80) --cut;
        out = out.substr(0, cut) + "...";
    }
    return Trim(out);
}

std::string HtmlEscape(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch (c) {
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '&': out += "&amp;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

}  // namespace

TSignInKind SignInKindFromText(const std::string& word) {
    std::string w = Lower(Trim(word));
    if (w == "google") return skGoogle;
    if (w == "microsoft") return skMicrosoft;
    if (w == "other") return skOther;
    return skPassword;
}

const char* SignInKindText(TSignInKind kind) {
    switch (kind) {
        case skGoogle: return "google";
        case skMicrosoft: return "microsoft";
        case skOther: return "other";
        default: return "password";
    }
}

TOAuthProvider ProviderFor(TSignInKind kind, const TOAuthSettings& s) {
    TOAuthProvider p;
    switch (kind) {
        case skGoogle:
            p.Name = "Google";
            p.AuthorizationEndpoint = "https://accounts.google.com/o/oauth2/v2/auth";
            p.TokenEndpoint = "https://oauth2.googleapis.com/token";
            p.Scope = "https://mail.google.com/";
            p.ClientId = Trim(s.GoogleClientId);
            p.ClientSecret = Trim(s.GoogleClientSecret);
            // A refresh token is issued only when asked for, and again only with consent.
            p.ExtraParameters = "access_type=offline&prompt=consent";
            break;
        case skMicrosoft:
            p.Name = "Microsoft";
            p.AuthorizationEndpoint = "https://login.microsoftonline.com/common/oauth2/v2.0/authorize";
            p.TokenEndpoint = "https://login.microsoftonline.com/common/oauth2/v2.0/token";
            p.Scope = "https://outlook.office.com/IMAP.AccessAsUser.All https://outlook.office.com/POP.AccessAsUser.All "
                      "offline_access";
            p.ClientId = Trim(s.MicrosoftClientId);
            break;
        default:
            p.Name = "Other";
            p.AuthorizationEndpoint = Trim(s.OtherAuthorizationEndpoint);
            p.TokenEndpoint = Trim(s.OtherTokenEndpoint);
            p.Scope = Trim(s.OtherScope);
            p.ClientId = Trim(s.OtherClientId);
            p.ClientSecret = Trim(s.OtherClientSecret);
            p.Mechanism = smOauthBearer;
            break;
    }
    return p;
}

std::string ProviderProblem(const TOAuthProvider& p) {
    if (p.ClientId.empty()) return "no client id is set for " + p.Name + " (Settings, Sign-in)";
    if (p.AuthorizationEndpoint.empty() || p.TokenEndpoint.empty())
        return "the endpoints of " + p.Name + " are not set (Settings, Sign-in)";
    std::string why = EndpointProblem(p.AuthorizationEndpoint);
    return why.empty() ? EndpointProblem(p.TokenEndpoint) : why;
}

bool SplitUrl(const std::string& url, TUrl& out) {
    size_t colon = url.find("://");
    if (colon == std::string::npos) return false;
    TUrl u;
    u.Scheme = Lower(url.substr(0, colon));
    if (u.Scheme != "http" && u.Scheme != "https") return false;
    u.Port = u.Scheme == "https" ? 443 : 80;
    size_t from = colon + 3;
    size_t end = url.find_first_of("/?#", from);
    std::string authority = url.substr(from, end == std::string::npos ? std::string::npos : end - from);
    if (authority.find('@') != std::string::npos) return false;  // no user names in endpoints
    std::string port;
    if (!authority.empty() && authority[0] == '[') {
        size_t close = authority.find(']');
        if (close == std::string::npos) return false;
        u.Host = authority.substr(1, close - 1);
        std::string rest = authority.substr(close + 1);
        if (!rest.empty() && (rest[0] != ':' || rest.size() == 1)) return false;
        if (!rest.empty()) port = rest.substr(1);
    } else {
        size_t c = authority.find(':');
        u.Host = authority.substr(0, c);
        if (c != std::string::npos) {
            port = authority.substr(c + 1);
            if (port.empty()) return false;
        }
    }
    if (u.Host.empty() || u.Host.find_first_of(" \t\r\n") != std::string::npos) return false;
    u.Host = Lower(u.Host);
    if (!port.empty()) {
        uint32_t v;
        if (!ParseDecimal(port, 65535, v) || v == 0) return false;
        u.Port = uint16_t(v);
    }
    u.Path = end == std::string::npos ? "/" : url.substr(end);
    if (u.Path[0] != '/') u.Path = "/" + u.Path;
    u.Path = u.Path.substr(0, u.Path.find('#'));
    if (u.Path.find_first_of(" \t\r\n") != std::string::npos) return false;
    out = u;
    return true;
}

bool IsLoopbackHost(const std::string& host) {
    uint32_t a;
    if (ParseIPv4(host, a)) return reinterpret_cast<const uint8_t*>(&a)[0] == 127;  // network order: first number first
    return host == "::1" || host == "0:0:0:0:0:0:0:1";
}

std::string EndpointProblem(const std::string& url) {
    TUrl u;
    if (!SplitUrl(url, u)) return "\"" + OneLine(url) + "\" is not an http or https address";
    if (u.Scheme == "http" && !IsLoopbackHost(u.Host)) return "\"" + OneLine(url) + "\" is not an https address";
    return "";
}

std::string PercentEncode(std::string_view s) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : s) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
            c == '_' || c == '~') {
            out += c;
        } else {
            out += '%';
            out += hex[uint8_t(c) >> 4];
            out += hex[uint8_t(c) & 15];
        }
    }
    return out;
}

std::string FormEncode(std::initializer_list<std::pair<const char*, std::string>> pairs) {
    std::string out;
    for (const auto& [name, value] : pairs) {
        if (!out.empty()) out += '&';
        out += PercentEncode(name) + "=" + PercentEncode(value);
    }
    return out;
}

bool PercentDecode(std::string_view s, std::string& out) {
    std::string r;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '+') {
            r += ' ';
        } else if (s[i] != '%') {
            r += s[i];
        } else {
            auto hex = [](char c) {
                return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            };
            if (i + 2 >= s.size() || hex(s[i + 1]) < 0 || hex(s[i + 2]) < 0) return false;
            r += char(hex(s[i + 1]) << 4 | hex(s[i + 2]));
            i += 2;
        }
    }
    out = std::move(r);
    return true;
}

bool ParseQuery(std::string_view query, std::map<std::string, std::string>& out) {
    while (!query.empty()) {
        size_t amp = query.find('&');
        std::string_view pair = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
        if (pair.empty()) continue;
        size_t eq = pair.find('=');
        std::string name, value;
        if (!PercentDecode(pair.substr(0, eq), name)) return false;
        if (eq != std::string_view::npos && !PercentDecode(pair.substr(eq + 1), value)) return false;
        out[name] = value;
    }
    return true;
}

std::string PkceVerifier(std::string_view randomBytes) { return Base64Encode(randomBytes, true); }

std::string PkceChallenge(const std::string& verifier) {
    auto digest = Sha256(verifier.data(), verifier.size());
    return Base64Encode(std::string_view(reinterpret_cast<const char*>(digest.data()), digest.size()), true);
}

std::string StateValue(std::string_view randomBytes) { return Base64Encode(randomBytes, true); }

std::string AuthorizationUrl(const TOAuthProvider& p, const std::string& redirectUri, const std::string& state,
                             const std::string& challenge, const std::string& loginHint) {
    std::string url = p.AuthorizationEndpoint;
    url += url.find('?') == std::string::npos ? '?' : '&';
    url += FormEncode({{"response_type", "code"},
                       {"client_id", p.ClientId},
                       {"redirect_uri", redirectUri},
                       {"scope", p.Scope},
                       {"state", state},
                       {"code_challenge", challenge},
                       {"code_challenge_method", "S256"}});
    if (!loginHint.empty()) url += "&" + FormEncode({{"login_hint", loginHint}});
    if (!p.ExtraParameters.empty()) url += "&" + p.ExtraParameters;
    return url;
}

std::string LoopbackRedirectUri(uint16_t port) { return "http://127.0.0.1:" + std::to_string(port) + "/"; }

TRedirect ParseRedirectRequest(std::string_view head, const std::string& redirectPath, const std::string& state) {
    TRedirect r;
    std::string_view line = head.substr(0, head.find_first_of("\r\n"));
    if (line.substr(0, 4) != "GET ") return r;
    line.remove_prefix(4);
    size_t blank = line.find(' ');
    if (blank == std::string_view::npos || line.substr(blank + 1, 5) != "HTTP/") return r;
    std::string_view target = line.substr(0, blank);
    size_t q = target.find('?');
    if (target.substr(0, q) != redirectPath || q == std::string_view::npos) return r;
    std::map<std::string, std::string> params;
    if (!ParseQuery(target.substr(q + 1), params)) return r;
    auto has = [&](const char* name) { return params.count(name) != 0; };
    if (!has("code") && !has("error")) return r;
    auto st = params.find("state");
    // Compared in full, whatever differs where: the state is the only proof the redirect
    // answers our own request.
    bool same = st != params.end() && st->second.size() == state.size() && !state.empty();
    if (same) {
        unsigned diff = 0;
        for (size_t i = 0; i < state.size(); ++i) diff |= unsigned(uint8_t(st->second[i] ^ state[i]));
        same = diff == 0;
    }
    if (!same) {
        r.Kind = rkWrongState;
    } else if (has("error")) {
        r.Kind = rkDenied;
        r.Error = OneLine(params["error"]);
        r.Description = OneLine(params["error_description"]);
    } else if (!params["code"].empty()) {
        r.Kind = rkCode;
        r.Code = params["code"];
    }
    return r;
}

std::string RedirectAnswer(TRedirectKind kind, const std::string& signedInText, const std::string& refusedText) {
    std::string status = kind == rkCode ? "200 OK" : kind == rkOther ? "404 Not Found" : "400 Bad Request";
    std::string text = kind == rkCode ? signedInText : refusedText;
    std::string body = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Velmora</title></head><body><p>" +
                       HtmlEscape(text) + "</p></body></html>\n";
    return "HTTP/1.1 " + status +
           "\r\nContent-Type: text/html; charset=utf-8\r\nCache-Control: no-store\r\nConnection: close\r\n"
           "Content-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string CodeExchangeBody(const TOAuthProvider& p, const std::string& code, const std::string& verifier,
                             const std::string& redirectUri) {
    std::string body = FormEncode({{"grant_type", "authorization_code"},
                                   {"code", code},
                                   {"redirect_uri", redirectUri},
                                   {"client_id", p.ClientId},
                                   {"code_verifier", verifier}});
    if (!p.ClientSecret.empty()) body += "&" + FormEncode({{"client_secret", p.ClientSecret}});
    return body;
}

std::string RefreshBody(const TOAuthProvider& p, const std::string& refreshToken) {
    std::string body =
        FormEncode({{"grant_type", "refresh_token"}, {"refresh_token", refreshToken}, {"client_id", p.ClientId}});
    if (!p.ClientSecret.empty()) body += "&" + FormEncode({{"client_secret", p.ClientSecret}});
    return body;
}

TTokenAnswer ReadTokenAnswer(int httpStatus, std::string_view body) {
    TTokenAnswer a;
    TJsonObject json;
    if (!ReadJsonObject(body, json)) {
        a.Problem = "the sign-in provider answered HTTP " + std::to_string(httpStatus) + " without a token";
        return a;
    }
    std::string error = json.Text("error");
    if (!error.empty() || httpStatus != 200) {
        // A grant the provider no longer honours (withdrawn, expired, already used) can only
        // be replaced by signing in again; other errors are the provider's or the settings'.
        if (error == "invalid_grant") a.Outcome = toRefused;
        a.Problem = error.empty() ? "the sign-in provider answered HTTP " + std::to_string(httpStatus)
                                  : OAuthErrorText(error, json.Text("error_description"));
        return a;
    }
    a.AccessToken = json.Text("access_token");
    std::string type = Lower(json.Text("token_type"));
    if (a.AccessToken.empty() || (!type.empty() && type != "bearer")) {
        a.AccessToken.clear();
        a.Problem = "the sign-in provider answered without a bearer token";
        return a;
    }
    a.RefreshToken = json.Text("refresh_token");
    int64_t seconds = 0;
    if (json.Number("expires_in", 10LL * 365 * 86400, seconds)) a.ExpiresIn = seconds;
    a.Outcome = toTokens;
    return a;
}

std::string OAuthErrorText(const std::string& error, const std::string& description) {
    static const std::map<std::string, std::string> words = {
        {"access_denied", "the sign-in was refused"},
        {"invalid_grant", "the sign-in is no longer valid"},
        {"invalid_client", "the sign-in provider does not accept the client id or secret"},
        {"unauthorized_client", "the client id may not sign in this way"},
        {"invalid_scope", "the sign-in provider does not grant the mail scope"},
        {"invalid_request", "the sign-in provider refused the request"},
        {"server_error", "the sign-in provider failed"},
        {"temporarily_unavailable", "the sign-in provider is busy; try again later"},
    };
    auto it = words.find(error);
    std::string text = it != words.end() ? it->second : "the sign-in provider answered \"" + OneLine(error) + "\"";
    std::string more = OneLine(description);
    return more.empty() ? text : text + " (" + more + ")";
}

bool TAccessToken::NeedsRenewal(uint32_t nowTick) const {
    if (Token.empty()) return true;
    uint32_t elapsed = nowTick - ObtainedTick;
    uint32_t margin = std::min<uint32_t>(LifetimeMs / 4, 300000);
    return uint64_t(elapsed) + margin >= LifetimeMs;
}
