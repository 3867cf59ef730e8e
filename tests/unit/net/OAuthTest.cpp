// The portable parts of the sign-in as tables: Base64, the JSON reader, endpoints, PKCE,
// the loopback redirect, the token endpoint's answers and the SASL texts.
#include <gtest/gtest.h>

#include "core/Base64.h"
#include "mail/Sasl.h"
#include "net/Json.h"
#include "net/OAuth.h"

TEST(Base64, EncodesAndDecodesStrictly) {
    EXPECT_EQ(Base64Encode("foob"), "Zm9vYg==");
    EXPECT_EQ(Base64Encode("\xfb\xff", true), "-_8");
    std::string out = "kept";
    for (const char* bad : {"Zm9vYg=", "Zm9vY", "Zm9v Yg==", "Zm9vYh==", "Zm+_"}) {
        EXPECT_FALSE(Base64Decode(bad, out)) << bad;
        EXPECT_EQ(out, "kept");
    }
    ASSERT_TRUE(Base64Decode("Zm9vYg", out));
    EXPECT_EQ(out, "foob");
}

TEST(Json, ReadsTheTopLevelScalarsAndChecksTheRest) {
    TJsonObject j;
    ASSERT_TRUE(ReadJsonObject(R"( {"a":"x\u00e9\ud83d\ude00\n","n":-1.5e3,"t":true,"o":{"a":[1,{}]},"z":null} )", j));
    EXPECT_EQ(j.Text("a"), "x\xc3\xa9\xf0\x9f\x98\x80\n");
    EXPECT_EQ(j.Text("n"), "-1.5e3");
    EXPECT_EQ(j.Text("t"), "true");
    EXPECT_EQ(j.Members.count("o"), 0u);
    int64_t v = 7;
    EXPECT_FALSE(j.Number("n", 100, v));
    const std::string deep = std::string(40, '[') + std::string(40, ']');
    for (const std::string& bad : std::vector<std::string>{"", "[]", "{\"a\":1,}", "{\"a\":01}", "{\"a\":\"\\ud800\"}", "{\"a\":\"\xc0\xaf\"}",
                                  "{\"a\":\"\x01\"}", "{\"a\":1} x", "{\"a\":" + deep + "}", "{\"a\":tru}"})
        EXPECT_FALSE(ReadJsonObject(bad, j)) << bad;
}

TEST(OAuth, EndpointsMustBeHttpsUnlessLoopback) {
    for (const char* ok : {"https://accounts.example/x", "http://127.0.0.1:8080/token", "http://127.9.9.9/",
                           "http://[::1]:99/a"})
        EXPECT_EQ(EndpointProblem(ok), "") << ok;
    for (const char* bad : {"http://login.example/token", "http://localhost/", "ftp://127.0.0.1/", "https://a@b/",
                            "https://host:0/", "http://128.0.0.1/", "https:///x"})
        EXPECT_NE(EndpointProblem(bad), "") << bad;
    TUrl u;
    ASSERT_TRUE(SplitUrl("HTTPS://Host.Example:8443/path?q=1#frag", u));
    EXPECT_EQ(u.Host + "|" + std::to_string(u.Port) + "|" + u.Path, "host.example|8443|/path?q=1");
}

TEST(OAuth, PkceAndTheAuthorizationAddress) {
    // The example of the PKCE standard's appendix.
    EXPECT_EQ(PkceChallenge("dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk"), "E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM");
    EXPECT_EQ(PkceVerifier(std::string(32, '\0')).size(), 43u);
    TOAuthProvider p = ProviderFor(skGoogle, {.GoogleClientId = "id 1"});
    EXPECT_EQ(AuthorizationUrl(p, LoopbackRedirectUri(5000), "st", "ch", "ann@x"),
              "https://accounts.google.com/o/oauth2/v2/auth?response_type=code&client_id=id%201&redirect_uri=http%3A%2F%2F"
              "127.0.0.1%3A5000%2F&scope=https%3A%2F%2Fmail.google.com%2F&state=st&code_challenge=ch&code_challenge_method="
              "S256&login_hint=ann%40x&access_type=offline&prompt=consent");
    EXPECT_NE(ProviderProblem(ProviderFor(skMicrosoft, {})), "");
    EXPECT_NE(ProviderProblem(ProviderFor(skOther, {.OtherAuthorizationEndpoint = "http://auth.example/a",
                                                    .OtherTokenEndpoint = "https://t/", .OtherClientId = "c"})),
              "");
}

TEST(OAuth, TheLoopbackTakesOnlyOurRedirect) {
    struct Row {
        const char* head;
        TRedirectKind kind;
        const char* code;
    } rows[] = {
        {"GET /?code=a%2Bb&state=S1 HTTP/1.1\r\nHost: x", rkCode, "a+b"},
        {"GET /?state=S1&error=access_denied&error_description=no%0Away HTTP/1.1", rkDenied, ""},
        {"GET /?code=a&state=S2 HTTP/1.1", rkWrongState, ""},
        {"GET /?code=a HTTP/1.1", rkWrongState, ""},
        {"GET /?code=a&state=S HTTP/1.1", rkWrongState, ""},
        {"GET /favicon.ico HTTP/1.1", rkOther, ""},
        {"POST /?code=a&state=S1 HTTP/1.1", rkOther, ""},
        {"GET /?code=a&state=S1", rkOther, ""},
        {"GET /?code=%zz&state=S1 HTTP/1.1", rkOther, ""},
        {"GET /?state=S1 HTTP/1.1", rkOther, ""},
    };
    for (const Row& r : rows) {
        TRedirect got = ParseRedirectRequest(r.head, "/", "S1");
        EXPECT_EQ(got.Kind, r.kind) << r.head;
        EXPECT_EQ(got.Code, r.code) << r.head;
    }
    TRedirect denied = ParseRedirectRequest(rows[1].head, "/", "S1");
    EXPECT_EQ(OAuthErrorText(denied.Error, denied.Description), "the sign-in was refused (no way)");
    EXPECT_EQ(RedirectAnswer(rkWrongState, "in", "<no>").substr(0, 24), "HTTP/1.1 400 Bad Request");
}

TEST(OAuth, TokenEndpointAnswers) {
    struct Row {
        int status;
        const char* body;
        TTokenOutcome outcome;
        const char* problem;
    } rows[] = {
        {200, R"({"access_token":"A","token_type":"Bearer","expires_in":"60","refresh_token":"R"})", toTokens, ""},
        {400, R"({"error":"invalid_grant","error_description":"Token has been expired or revoked."})", toRefused,
         "the sign-in is no longer valid (Token has been expired or revoked.)"},
        {401, R"({"error":"invalid_client"})", toFailed, "the sign-in provider does not accept the client id or secret"},
        {200, R"({"access_token":"A","token_type":"mac"})", toFailed, "the sign-in provider answered without a bearer token"},
        {502, "<html>Bad gateway</html>", toFailed, "the sign-in provider answered HTTP 502 without a token"},
        {500, "{}", toFailed, "the sign-in provider answered HTTP 500"},
    };
    for (const Row& r : rows) {
        TTokenAnswer a = ReadTokenAnswer(r.status, r.body);
        EXPECT_EQ(a.Outcome, r.outcome) << r.body;
        EXPECT_EQ(a.Problem, r.problem) << r.body;
    }
    TTokenAnswer ok = ReadTokenAnswer(200, rows[0].body);
    EXPECT_EQ(ok.AccessToken + ok.RefreshToken + std::to_string(ok.ExpiresIn), "AR60");
    EXPECT_EQ(RefreshBody(ProviderFor(skOther, {.OtherClientId = "c", .OtherClientSecret = "s"}), "r/1"),
              "grant_type=refresh_token&refresh_token=r%2F1&client_id=c&client_secret=s");
}

TEST(OAuth, AccessTokensAreRenewedBeforeTheyExpire) {
    TAccessToken t{"tok", 0xFFFFF000u, 60000};  // the tick count wraps meanwhile
    EXPECT_FALSE(t.NeedsRenewal(0xFFFFF000u + 44000));
    EXPECT_TRUE(t.NeedsRenewal(0xFFFFF000u + 45000));
    TAccessToken hour{"tok", 0, 3600000};
    EXPECT_FALSE(hour.NeedsRenewal(3299999));
    EXPECT_TRUE(hour.NeedsRenewal(3300000));
    EXPECT_TRUE(TAccessToken{}.NeedsRenewal(0));
}

TEST(Sasl, TokenMechanisms) {
    EXPECT_EQ(SaslInitialResponse(smXoauth2, "ann", "T", "h", 993), Base64Encode("user=ann\x01" "auth=Bearer T\x01\x01"));
    EXPECT_EQ(SaslInitialResponse(smOauthBearer, "a,n=n", "T", "h", 993),
              Base64Encode("n,a=a=2Cn=3Dn,\x01" "host=h\x01" "port=993\x01" "auth=Bearer T\x01\x01"));
    TSaslMechanism m;
    EXPECT_TRUE(ChooseSaslMechanism({"PLAIN", "xoauth2"}, smOauthBearer, m));
    EXPECT_EQ(m, smXoauth2);
    EXPECT_FALSE(ChooseSaslMechanism({"PLAIN"}, smXoauth2, m));
    EXPECT_EQ(SaslChallengeReason(Base64Encode(R"({"status":"invalid_token","scope":"mail\r\n"})")),
              "the server refused the access token (invalid_token); it asks for the scope mail");
    EXPECT_EQ(SaslChallengeReason("not base64!"), "the server refused the access token");
}
