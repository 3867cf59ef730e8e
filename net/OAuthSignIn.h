// The interactive sign-in of a native program (RFC 8252) and the renewal of access tokens,
// over the platform's services: random values (ICrypto), a one-shot loopback listener
// (IBlockingSockets::ListenLoopback), the user's default browser (IPrograms::ShellExecute),
// the token endpoint (IHttps) and the clock. Runs on the user-interface thread; keepWaiting
// lets the window handle its messages and the user cancel.
#pragma once
#include <functional>
#include <string>

#include "net/OAuth.h"

// The words of the two pages the loopback listener answers the browser with.
struct TSignInPages {
    std::string SignedIn = "Velmora is signed in; you can close this window.";
    std::string Refused = "This is not the sign-in Velmora is waiting for.";
};

struct TSignInOutcome {
    bool Ok = false;
    bool Cancelled = false;        // the user cancelled (no words needed)
    std::string RefreshToken;      // kept (protected) by the caller
    TAccessToken Access;           // kept in memory only
    std::string Problem;           // why not, for the user; never holds a token
};

// The whole sign-in: the provider checked, PKCE and state made, the listener opened, the
// authorization address opened in the browser, then one redirect with our state awaited
// (any other request is answered with the refusal page and the wait goes on) for at most
// SignInTimeLimitMs; the code exchanged for tokens. keepWaiting is called at least every
// 100 ms while waiting; false from it cancels.
TSignInOutcome RunOAuthSignIn(const TOAuthProvider& provider, const std::string& loginHint,
                              const std::function<bool()>& keepWaiting, const TSignInPages& pages = {});

// A new access token for the refresh token (and the refresh token the provider may have
// rotated, else the same): toRefused when the provider no longer honours it.
TTokenAnswer RenewAccessToken(const TOAuthProvider& provider, const std::string& refreshToken);
// The access token of an answer with toTokens, stamped with the clock's tick count now.
TAccessToken AccessTokenOf(const TTokenAnswer& answer);

constexpr int SignInTimeLimitMs = 5 * 60 * 1000;
// The longest wait for one answer of the token endpoint.
constexpr int TokenRequestTimeoutMs = 30000;
