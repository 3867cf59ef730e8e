// The portable parts of OAuth 2.0 sign-in for a native program (RFC 6749, RFC 7636, RFC
// 8252): the providers, the checks on their endpoints, PKCE and state values, the address the
// browser opens, the loopback redirect the browser comes back with, the token requests and
// the answers to them, and when an access token wants renewing. No input/output here: the
// sign-in (net/OAuthSignIn.h) and the mail check hand the texts in and out.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

// How a mailbox signs in: its password, or one of the providers.
enum TSignInKind { skPassword = 0, skGoogle, skMicrosoft, skOther };
// The settings words "password", "google", "microsoft", "other"; anything else (also
// empty) is the password.
TSignInKind SignInKindFromText(const std::string& word);
const char* SignInKindText(TSignInKind kind);

// The SASL mechanism a provider's tokens are presented with (mail/Sasl.h).
enum TSaslMechanism { smXoauth2, smOauthBearer };

struct TOAuthProvider {
    std::string Name;  // for the user: "Google", "Microsoft", "Other"
    std::string AuthorizationEndpoint, TokenEndpoint, Scope, ClientId, ClientSecret;
    // Parameters the authorization address adds for this provider ("a=b&c=d", encoded).
    std::string ExtraParameters;
    TSaslMechanism Mechanism = smXoauth2;
};

// The values of the settings section "OAuth" (keys as named).
struct TOAuthSettings {
    std::string GoogleClientId{}, GoogleClientSecret{}, MicrosoftClientId{};
    std::string OtherAuthorizationEndpoint{}, OtherTokenEndpoint{}, OtherClientId{}, OtherClientSecret{}, OtherScope{};
};

// The provider of a kind with the settings' client id (and secret, endpoints, scope for
// Other). The built-in ones carry the public endpoints and scopes of the two services.
TOAuthProvider ProviderFor(TSignInKind kind, const TOAuthSettings& settings);
// Why the provider cannot be used as it is, for the user; empty when it can: a client id
// and both endpoints are needed, and each endpoint must pass EndpointProblem.
std::string ProviderProblem(const TOAuthProvider& provider);

// The parts of an "http" or "https" address; false for anything else.
struct TUrl {
    std::string Scheme, Host;  // lower case; an IPv6 host without its brackets
    uint16_t Port = 0;         // the scheme's default when none is written
    std::string Path;          // from the first "/" on, query included; "/" when empty
};
bool SplitUrl(const std::string& url, TUrl& out);
// 127.0.0.0/8 or ::1, as written (no name is looked up).
bool IsLoopbackHost(const std::string& host);
// Empty when an endpoint may be used: https, or http to a loopback address (RFC 8252 allows
// nothing else to carry codes and tokens); else why not, for the user.
std::string EndpointProblem(const std::string& url);

// Percent-encoding of everything but the unreserved characters (RFC 3986).
std::string PercentEncode(std::string_view s);
// A form body or query from name=value pairs, in order, each encoded.
std::string FormEncode(std::initializer_list<std::pair<const char*, std::string>> pairs);
// Decodes "%HH" (and "+" as a blank, as forms write it); false for a bad escape.
bool PercentDecode(std::string_view s, std::string& out);
// The pairs of a query or form body ("a=1&b=2"); false for a bad escape. A later pair of the
// same name wins.
bool ParseQuery(std::string_view query, std::map<std::string, std::string>& out);

// PKCE (RFC 7636): the verifier is the URL-safe Base64 of 32 random bytes, the challenge the
// URL-safe Base64 of its SHA-256. state is the URL-safe Base64 of 16 random bytes.
std::string PkceVerifier(std::string_view randomBytes);
std::string PkceChallenge(const std::string& verifier);
std::string StateValue(std::string_view randomBytes);

// The address the browser opens: the authorization endpoint with response_type=code, the
// client id, redirect_uri, scope, state, the S256 challenge and the provider's extras;
// login_hint names the account when given.
std::string AuthorizationUrl(const TOAuthProvider& p, const std::string& redirectUri, const std::string& state,
                             const std::string& challenge, const std::string& loginHint);
// The redirect address of a loopback listener on port.
std::string LoopbackRedirectUri(uint16_t port);

// What one request to the loopback listener was.
enum TRedirectKind {
    rkCode,       // the redirect, state matching, with a code
    rkDenied,     // the redirect, state matching, with error= (Error, Description)
    rkWrongState, // a redirect whose state is missing or not ours
    rkOther       // not a GET of the redirect path with code or error (a page icon, junk)
};
struct TRedirect {
    TRedirectKind Kind = rkOther;
    std::string Code, Error, Description;
};
// Reads the head of one HTTP request (up to and without the blank line) against the
// expected state; only "GET /?..." (or "GET /path?..." for redirectPath) counts.
TRedirect ParseRedirectRequest(std::string_view head, const std::string& redirectPath, const std::string& state);
// The whole HTTP answer the listener gives: 200 with the "signed in" page for rkCode, 400
// with a page saying why for rkDenied, rkWrongState, 404 for rkOther.
std::string RedirectAnswer(TRedirectKind kind, const std::string& signedInText, const std::string& refusedText);

// The token requests' form bodies (RFC 6749 4.1.3 with the PKCE verifier, and 6).
std::string CodeExchangeBody(const TOAuthProvider& p, const std::string& code, const std::string& verifier,
                             const std::string& redirectUri);
std::string RefreshBody(const TOAuthProvider& p, const std::string& refreshToken);

// What a token endpoint answered.
enum TTokenOutcome {
    toTokens,        // an access token (and maybe a new refresh token)
    toRefused,       // the grant was refused (invalid_grant...): the user must sign in again
    toFailed         // anything else: the endpoint is down, confused, or answered junk
};
struct TTokenAnswer {
    TTokenOutcome Outcome = toFailed;
    std::string AccessToken, RefreshToken;
    int64_t ExpiresIn = 0;  // seconds; 0 when not said (taken as an hour)
    std::string Problem;    // for the user, on one line, no token in it
};
TTokenAnswer ReadTokenAnswer(int httpStatus, std::string_view body);

// The provider's error= code (and description) in words for the user, on one line.
std::string OAuthErrorText(const std::string& error, const std::string& description);

// An access token and when it must be renewed, in the clock's tick counts.
struct TAccessToken {
    std::string Token;
    uint32_t ObtainedTick = 0;
    uint32_t LifetimeMs = 0;
    // Empty, or within the last quarter of its life (at most the last five minutes).
    bool NeedsRenewal(uint32_t nowTick) const;
};
