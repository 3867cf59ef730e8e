// The browser sign-in and token renewal; see OAuthSignIn.h.
#include "net/OAuthSignIn.h"

#include <algorithm>

#include "platform/Platform.h"

namespace {

constexpr int kSliceMs = 100;
// The longest a browser may take to send the head of its request once connected, and the
// longest head taken: a connection that sends nothing (a browser's speculative one) or junk
// must not hold the listener.
constexpr int kHeadWaitMs = 10000;
constexpr size_t kMaxHead = 16 * 1024;
constexpr int kShowNormal = 1;  // SW_SHOWNORMAL

uint32_t Elapsed(uint32_t since) { return platform::Clock().TickCount() - since; }

// Reads the head of one request (up to the blank line); false when the connection ended,
// sent too much, took too long, or the user cancelled.
bool ReadHead(platform::IBlockingSocket& s, std::string& head, const std::function<bool()>& keepWaiting) {
    uint32_t start = platform::Clock().TickCount();
    char buf[2048];
    while (head.find("\r\n\r\n") == std::string::npos && head.find("\n\n") == std::string::npos) {
        if (head.size() > kMaxHead || Elapsed(start) >= uint32_t(kHeadWaitMs) || !keepWaiting()) return false;
        int n = s.Receive(buf, sizeof(buf), kSliceMs);
        if (n == 0 || (n < 0 && s.LastError() != platform::sockErrTimedOut)) return false;
        if (n > 0) head.append(buf, size_t(n));
    }
    return true;
}

}  // namespace

TSignInOutcome RunOAuthSignIn(const TOAuthProvider& provider, const std::string& loginHint,
                              const std::function<bool()>& keepWaiting, const TSignInPages& pages) {
    TSignInOutcome out;
    out.Problem = ProviderProblem(provider);
    if (!out.Problem.empty()) return out;
    std::string verifierBytes, stateBytes;
    if (!platform::Crypto().RandomBytes(32, verifierBytes) || !platform::Crypto().RandomBytes(16, stateBytes)) {
        out.Problem = "the system gave no random numbers for the sign-in";
        return out;
    }
    const std::string verifier = PkceVerifier(verifierBytes), state = StateValue(stateBytes);
    int error = 0;
    auto listener = platform::SystemBlockingSockets().ListenLoopback(error);
    if (!listener) {
        out.Problem = "no local port could be opened for the sign-in (error " + std::to_string(error) + ")";
        return out;
    }
    const std::string redirectUri = LoopbackRedirectUri(listener->Port());
    const std::string url = AuthorizationUrl(provider, redirectUri, state, PkceChallenge(verifier), loginHint);
    if (platform::Programs().ShellExecute("open", url, "", "", kShowNormal) <= 32) {
        out.Problem = "the web browser could not be opened for the sign-in";
        return out;
    }
    std::string code;
    const uint32_t start = platform::Clock().TickCount();
    while (code.empty()) {
        if (!keepWaiting()) {
            out.Cancelled = true;
            out.Problem = "the sign-in was cancelled";
            return out;
        }
        if (Elapsed(start) >= uint32_t(SignInTimeLimitMs)) {
            out.Problem = "the sign-in was not completed in the browser within five minutes";
            return out;
        }
        auto connection = listener->Accept(kSliceMs, error);
        if (!connection) continue;
        std::string head;
        if (!ReadHead(*connection, head, keepWaiting)) continue;
        TRedirect r = ParseRedirectRequest(head, "/", state);
        // The one redirect is taken: the port closes before the browser hears back, so the
        // system refuses whatever comes next while the code is exchanged.
        if (r.Kind == rkCode || r.Kind == rkDenied) listener.reset();
        std::string answer = RedirectAnswer(r.Kind, pages.SignedIn, pages.Refused);
        connection->Send(answer.data(), int(answer.size()));
        if (r.Kind == rkDenied) {
            out.Problem = OAuthErrorText(r.Error, r.Description);
            return out;
        }
        if (r.Kind == rkCode) code = r.Code;
    }
    platform::THttpsAnswer http;
    if (!platform::Https().PostForm(provider.TokenEndpoint, CodeExchangeBody(provider, code, verifier, redirectUri),
                                    TokenRequestTimeoutMs, http)) {
        out.Problem = http.Problem;
        return out;
    }
    TTokenAnswer tokens = ReadTokenAnswer(http.Status, http.Body);
    if (tokens.Outcome != toTokens) {
        out.Problem = tokens.Problem;
        return out;
    }
    if (tokens.RefreshToken.empty()) {
        out.Problem = "the sign-in provider gave no lasting sign-in (no refresh token)";
        return out;
    }
    out.Ok = true;
    out.Problem.clear();
    out.RefreshToken = tokens.RefreshToken;
    out.Access = AccessTokenOf(tokens);
    return out;
}

TTokenAnswer RenewAccessToken(const TOAuthProvider& provider, const std::string& refreshToken) {
    TTokenAnswer answer;
    answer.Problem = ProviderProblem(provider);
    if (!answer.Problem.empty()) return answer;
    platform::THttpsAnswer http;
    if (!platform::Https().PostForm(provider.TokenEndpoint, RefreshBody(provider, refreshToken), TokenRequestTimeoutMs,
                                    http)) {
        answer.Problem = http.Problem;
        return answer;
    }
    answer = ReadTokenAnswer(http.Status, http.Body);
    if (answer.Outcome == toTokens && answer.RefreshToken.empty()) answer.RefreshToken = refreshToken;
    return answer;
}

TAccessToken AccessTokenOf(const TTokenAnswer& answer) {
    TAccessToken t;
    t.Token = answer.AccessToken;
    t.ObtainedTick = platform::Clock().TickCount();
    // Unsaid lifetimes are taken as an hour, the usual one.
    int64_t seconds = answer.ExpiresIn > 0 ? answer.ExpiresIn : 3600;
    t.LifetimeMs = uint32_t(std::min<int64_t>(seconds, 24 * 3600) * 1000);
    return t;
}
