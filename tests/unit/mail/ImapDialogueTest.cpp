// The IMAP client against scripted servers, one dialogue a file in tests/unit/mail/imap/:
//   server: FORM          the server text before the host (imap://, imaps://, imap+starttls://)
//   user: / password:     the account (default ann / secret)
//   S: text               the server sends the line (CR LF added); a line ending in "{*}"
//   L: text                 announces a literal made of the "L:" lines after it
//   S~ text               the same, dribbled three bytes at a time ("\r\n" in an S line is
//                         a line end inside the same send)
//   C: text               the client must send exactly this line
//   cut | silence MS | flood BYTES MS
//   error: TEXT           the check fails with a message holding TEXT (else it must pass)
//   line: TEXT            the next expected summary ("\a" for the BEL between the fields,
//                         "\xHH" for a byte of the system's code page)
//   ids: ID ID            the unique ids of the listed messages
//   handshakes: N         TLS handshakes done (a stand-in keeps the connection as it is)
// The client runs Login, GetHeaders and Logout; the lines it sent must be the C: lines, and
// no trace line may show the password.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "mail/Imap.h"
#include "tests/unit/mail/Pop3Fixture.h"

namespace mail_test {
namespace {

struct Dialogue {
    std::string form = "imap://", user = "ann", password = "secret", error;
    std::vector<Step> steps;
    std::vector<std::string> heard, lines, ids;
    int handshakes = -1;
};

// "\a" is the BEL between sender and subject, "\xHH" a byte of the system's code page.
std::string Unescape(std::string s) {
    for (size_t i; (i = s.find("\\a")) != std::string::npos;) s.replace(i, 2, "\a");
    for (size_t i; (i = s.find("\\x")) != std::string::npos;) s.replace(i, 4, 1, char(std::stoi(s.substr(i + 2, 2), nullptr, 16)));
    return s;
}

Dialogue Read(const std::filesystem::path& file) {
    Dialogue d;
    std::ifstream in(file);
    std::string line;
    std::string* literalOf = nullptr;  // the S: text whose literal is being collected
    std::string literal;
    auto endLiteral = [&] {
        if (!literalOf) return;
        *literalOf = literalOf->substr(0, literalOf->size() - 5) + "{" + std::to_string(literal.size()) + "}\r\n" + literal;
        literalOf = nullptr;
        literal.clear();
    };
    while (std::getline(in, line)) {
        if (line.rfind("L:", 0) == 0 && literalOf) {
            literal += line.substr(line.size() > 2 && line[2] == ' ' ? 3 : 2) + "\r\n";
            continue;
        }
        endLiteral();
        if (line.empty() || line[0] == '#') continue;
        size_t colon = line.find_first_of(":~ ");
        std::string key = line.substr(0, colon);
        std::string value = colon == std::string::npos ? "" : line.substr(std::min(line.size(), colon + 2));
        // In what the server says, "\r\n" stands for a line end inside one send.
        for (size_t i; key == "S" && (i = value.find("\\r\\n")) != std::string::npos;) value.replace(i, 4, "\r\n");
        if (key == "S" && line[1] == '~') {
            d.steps.push_back(Dribble(value));
        } else if (key == "S") {
            d.steps.push_back(Say(value));
            // "{*}" at the end: the literal's count and bytes follow from the L: lines.
            if (value.size() >= 3 && value.compare(value.size() - 3, 3, "{*}") == 0) literalOf = &d.steps.back().text;
        } else if (key == "C") {
            d.steps.push_back(Hear());
            d.heard.push_back(value);
        } else if (key == "cut") {
            d.steps.push_back(Cut());
        } else if (key == "silence") {
            d.steps.push_back(Silence(std::stoi(line.substr(8))));
        } else if (key == "flood") {
            size_t bytes = std::stoul(line.substr(6));
            d.steps.push_back(Flood(bytes, std::stoi(line.substr(line.rfind(' ') + 1))));
        } else if (key == "server") {
            d.form = value;
        } else if (key == "user") {
            d.user = value;
        } else if (key == "password") {
            d.password = value;
        } else if (key == "error") {
            d.error = value;
        } else if (key == "line") {
            d.lines.push_back(Unescape(value));
        } else if (key == "ids") {
            for (size_t p = 0; p < value.size();) {
                size_t blank = value.find(' ', p);
                d.ids.push_back(value.substr(p, blank - p));
                p = blank == std::string::npos ? value.size() : blank + 1;
            }
        } else if (key == "handshakes") {
            d.handshakes = std::stoi(value);
        } else {
            ADD_FAILURE() << file << ": unknown line " << line;
        }
    }
    endLiteral();
    return d;
}

std::string DialogueDir() {
    std::string src = __FILE__;
    return src.substr(0, src.rfind('/')) + "/imap";
}

TEST(ImapDialogueTest, EachScriptedDialogueEndsAsItSays) {
    size_t played = 0;
    for (const auto& entry : std::filesystem::directory_iterator(DialogueDir())) {
        if (entry.path().extension() != ".txt") continue;
        SCOPED_TRACE(entry.path().filename().string());
        Dialogue d = Read(entry.path());
        StandInTls tls;
        ScriptedServer server(d.steps, 2000);
        T_Imap imap;
        imap.SetSockets(&tls);
        imap.SetTimeout(1500);
        imap.SetExchangeTimeout(1500);
        imap.SetHostname(d.form + "127.0.0.1:" + std::to_string(server.Port()));
        imap.SetUserName(d.user);
        imap.SetPassword(d.password);
        std::vector<std::string> trace;
        imap.OnTrace = [&trace](TObject*, const std::string& s, TTraceLevel) { trace.push_back(s); };
        std::string error;
        std::vector<std::string> ids;
        try {
            imap.Login();
            imap.GetHeaders();
            for (const auto& m : imap.MessageList()) ids.push_back(m->UniqueId);
            imap.Logout();
        } catch (const ETcpIpError& e) {
            error = e.Message().empty() ? "(no text)" : e.Message();
            try {
                imap.Logout();
            } catch (const ETcpIpError&) {
            }
        }
        if (d.error.empty()) {
            EXPECT_EQ(error, "");
            EXPECT_EQ(imap.MailLines, d.lines);
            if (!d.ids.empty()) {
                EXPECT_EQ(ids, d.ids);
            }
        } else {
            EXPECT_NE(error.find(d.error), std::string::npos) << "failed with: " << error;
        }
        EXPECT_EQ(server.Heard(), d.heard);
        for (const std::string& t : trace) {
            EXPECT_EQ(t.find(d.password), std::string::npos) << t;
        }
        if (d.handshakes >= 0) {
            EXPECT_EQ(tls.handshakes, d.handshakes);
        }
        ++played;
    }
    EXPECT_GE(played, 10u);
}

}  // namespace
}  // namespace mail_test
