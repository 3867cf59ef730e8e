// The browser sign-in as data: what a stand-in browser sends to the loopback redirect, what
// the token endpoint answers, and what the sign-in comes to.
#include <thread>

#include "net/OAuthSignIn.h"
#include "platform/headless/PosixSocket.h"
#include "platform/headless/ScriptedHttps.h"
#include "tests/unit/HeadlessFixture.h"

namespace {

// A browser that follows the authorization address straight to the redirect: each of its
// requests is a path ("{r}" is the redirect's query start, "{s}" our state), on a connection
// of its own; it notes the status of each answer, -1 where the connection was refused.
struct Browser {
    std::vector<std::string> requests;
    std::vector<int> statuses;
    std::thread thread;

    void Open(const std::string& url) {
        std::map<std::string, std::string> q;
        ParseQuery(url.substr(url.find('?') + 1), q);
        TUrl redirect;
        SplitUrl(q["redirect_uri"], redirect);
        thread = std::thread([this, port = redirect.Port, state = q["state"]] {
            for (std::string r : requests) {
                for (size_t i; (i = r.find("{s}")) != std::string::npos;) r.replace(i, 3, state);
                int error = 0;
                auto s = platform::PosixBlockingSockets().Connect(0x0100007F, port, 2000, error);
                if (!s) return statuses.push_back(-1);
                std::string head = "GET " + r + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n", answer;
                s->Send(head.data(), int(head.size()));
                char buf[512];
                for (int n; (n = s->Receive(buf, sizeof(buf), 2000)) > 0;) answer.append(buf, size_t(n));
                statuses.push_back(answer.size() > 12 ? std::stoi(answer.substr(9, 3)) : 0);
            }
        });
    }
    ~Browser() {
        if (thread.joinable()) thread.join();
    }
};

class SignInTest : public HeadlessTest {
protected:
    SignInTest() {
        programs.onExecute = [this](const headless::HeadlessPrograms::Exec& e) { browser.Open(e.file); };
    }
    TSignInOutcome Run(std::function<bool()> keepWaiting = [] { return true; }) {
        TSignInOutcome out = RunOAuthSignIn(provider, "ann", keepWaiting);
        if (browser.thread.joinable()) browser.thread.join();
        return out;
    }
    TOAuthProvider provider = ProviderFor(skOther, {.OtherAuthorizationEndpoint = "http://127.0.0.1:9/auth",
                                                    .OtherTokenEndpoint = "https://no..such..host/t",
                                                    .OtherClientId = "cid"});
    headless::ScriptedHttps https;
    headless::TestCrypto crypto;
    platform::TSwapServices swap{[this](platform::Services& s) { s.https = &https, s.crypto = &crypto; }};
    Browser browser;
};

const char kTokens[] = R"({"access_token":"A1","token_type":"bearer","expires_in":60,"refresh_token":"R1"})";

TEST_F(SignInTest, FlowAsData) {
    struct Row {
        std::vector<std::string> requests;
        platform::THttpsAnswer token;
        std::vector<int> statuses;
        const char* problem;
    } rows[] = {
        // A page icon and a redirect of another sign-in are answered and the wait goes on;
        // after the one redirect the port is closed.
        {{"/favicon.ico", "/?code=C1&state=forged", "/?code=C1&state={s}", "/?code=C1&state={s}"}, {200, kTokens},
         {404, 400, 200, -1}, ""},
        {{"/?error=access_denied&state={s}"}, {}, {400}, "the sign-in was refused"},
        {{"/?code=C1&state={s}"}, {400, R"({"error":"invalid_grant"})"}, {200}, "the sign-in is no longer valid"},
        {{"/?code=C1&state={s}"}, {200, R"({"access_token":"A1","token_type":"bearer"})"}, {200},
         "the sign-in provider gave no lasting sign-in (no refresh token)"},
        {{"/?code=C1&state={s}"}, {0, "", "the sign-in provider could not be reached"}, {200},
         "the sign-in provider could not be reached"},
    };
    for (const Row& r : rows) {
        browser.requests = r.requests;
        browser.statuses.clear();
        https.posted.clear();
        https.answers = {r.token};
        TSignInOutcome out = Run();
        EXPECT_EQ(out.Problem, r.problem);
        EXPECT_EQ(browser.statuses, r.statuses);
        EXPECT_EQ(out.Ok, *r.problem == 0);
    }
}

TEST_F(SignInTest, TheCodeIsExchangedWithTheVerifierOfTheChallenge) {
    browser.requests = {"/?code=C1&state={s}"};
    https.answers = {{200, kTokens}};
    TSignInOutcome out = Run();
    ASSERT_TRUE(out.Ok);
    EXPECT_EQ(out.RefreshToken, "R1");
    EXPECT_EQ(out.Access.Token, "A1");
    EXPECT_EQ(out.Access.LifetimeMs, 60000u);
    std::map<std::string, std::string> asked, sent;
    const std::string& url = programs.executed.at(0).file;
    ParseQuery(url.substr(url.find('?') + 1), asked);
    ParseQuery(https.posted.at(0).form, sent);
    EXPECT_EQ(https.posted[0].url, "https://no..such..host/t");
    EXPECT_EQ(PkceChallenge(sent["code_verifier"]), asked["code_challenge"]);
    EXPECT_EQ(sent["code"], "C1");
    EXPECT_EQ(sent["redirect_uri"], asked["redirect_uri"]);
    EXPECT_NE(asked["state"], "");
}

TEST_F(SignInTest, CancelAndTheTimeLimitEndTheWait) {
    EXPECT_TRUE(Run([] { return false; }).Cancelled);
    TSignInOutcome late = Run([this] {
        clock.Advance(61000);
        return true;
    });
    EXPECT_EQ(late.Problem, "the sign-in was not completed in the browser within five minutes");
    crypto.failRandom = true;
    EXPECT_EQ(Run().Problem, "the system gave no random numbers for the sign-in");
    EXPECT_TRUE(https.posted.empty());
}

}  // namespace
