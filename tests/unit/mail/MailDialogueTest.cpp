// The mail clients against scripted servers, the dialogues read from dialogues/*.txt: what
// each server says, the exact lines the client must send, and what each call of the client
// must give. One test per case, named FILE_CASE.
//
// Format, one item a line; blank lines and lines starting with "#" are ignored:
//   == NAME            starts a case; "set" lines above a file's first case go for each
//                      of its cases, before the case's own
// The server's side, played in order (the client talks to "main" unless told otherwise):
//   S: TEXT            says TEXT and CR LF
//   S~: TEXT           the same, three bytes at a time 2 ms apart (S~100: 100 ms apart)
//   S=: TEXT           says TEXT as it stands, no line end added
//   S: TEXT{*}         says TEXT and a literal: "{N}" CR LF and the N bytes of the L:
//   L: TEXT              lines below it, each ended by CR LF (no line end after them)
//   C: TEXT            reads one line: the client must have sent exactly TEXT
//   C~: TEXT           the same, but the client may have stopped before it (in a race
//                      with a time limit); only C~: lines may follow it
//   C?                 listens for one line, which must not come
//   F: N MS [TEXT]     floods N bytes of "x" ("max": without end) for at most MS ms, then TEXT
//   W: MS              stays silent MS ms (less when the client closes)
//   X:                 cuts the connection; the lines after it play to the next one
//   @ NAME             the lines below go to the server NAME
// The client's side, in order:
//   set KEY=VALUE      user, password, tokens=FIRST,RENEWED (sign in with them), host (its first setting in a case picks the client
//                      by the table of server forms: POP3 unless a scheme names another),
//                      timeout, exchange (ms), mailbox=BASE,PER,
//                      port=SERVER or "closed" (a port nobody listens on), wait=MS (how long
//                      the servers wait for a connection and each line), sockets=standin (TLS
//                      that keeps the connection; tls.trusted=0, tls.fail=1, certificate=accept
//                      answers each certificate question) or sockets=nonames (no name resolves),
//                      capa=scripted (the servers' scripts answer the CAPA asked before
//                      login; otherwise it is answered "-ERR" and not among the C: lines)
//   > CALL [N]         login, logout, headers, action, mail N, uidl
//   R: KEY=VALUE       after the call above: KEY is VALUE (KEY^=PREFIX: starts with it;
//                      KEY<N: a number below N). Keys: error (the exception's exact class,
//                      "none" when it must not throw, the default, or "any" for either),
//                      code, message, what, connected, socket, count (NumberOfMails),
//                      listed (MessageList size), mails (MailLines size), mail (repeated:
//                      MailLines, all of them in order), msgK.index|size|from|uid, returned
//                      (uidl), address, asked (names looked up, "|" between), certificates
//                      (the questions, "host fingerprint"), handshakes, ms (the call's time),
//                      trace.first, trace.last ("LEVEL text"), trace.commands (count),
//                      trace.commandK, trace.replyK; a ".size" after a key compares the length.
// Text escapes: \r \n \a \\ \xHH; {N*c} is N times the character c; {port} is the port the
// client is pointed at. Every case also checks that the password is in no trace line, and
// that each server heard exactly its C: lines.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>

#include "mail/ServerText.h"
#include "tests/unit/mail/Pop3Fixture.h"

namespace mail_test {
namespace {

struct Expectation {
    std::string key, op, value;
};
struct ClientStep {
    std::string verb, arg;  // "set" with arg KEY=VALUE, or a call
    std::vector<Expectation> expect;
};
struct ServerPart {
    std::vector<Step> script;
    Lines heard;
    size_t required = 0;  // the lines before the first C~: line
};
struct Dialogue {
    std::string name, where;
    std::vector<std::string> serverOrder;
    std::map<std::string, ServerPart> servers;
    std::vector<ClientStep> client;
    int wait = 3000;
    bool scriptedCapa = false;
};

std::string Unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c == '\\' && i + 1 < s.size()) {
            char e = s[++i];
            if (e == 'r') out += '\r';
            else if (e == 'n') out += '\n';
            else if (e == 'a') out += '\a';
            else if (e == 'x' && i + 2 < s.size()) {
                out += char(std::stoi(s.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else out += e;
        } else if (c == '{' && s.find('}', i) != std::string::npos && s.find('*', i) < s.find('}', i)) {
            size_t star = s.find('*', i), end = s.find('}', i);
            out.append(std::stoul(s.substr(i + 1, star - i - 1)), s[star + 1]);
            i = end;
        } else out += c;
    }
    return out;
}

std::string After(const std::string& line, size_t colon) {
    size_t p = colon + 1;
    if (p < line.size() && line[p] == ' ') ++p;
    return line.substr(p);
}

std::vector<Dialogue> ReadDialogues() {
    std::vector<Dialogue> all;
    std::vector<std::filesystem::path> files;
    for (auto& e : std::filesystem::directory_iterator(VELMORA_SOURCE_DIR "/tests/unit/mail/dialogues"))
        if (e.path().extension() == ".txt") files.push_back(e.path());
    std::sort(files.begin(), files.end());
    for (auto& file : files) {
        std::ifstream in(file);
        std::string line, server;
        std::vector<std::string> preamble;  // the file's settings for each case
        int n = 0;
        std::optional<size_t> literalStep;  // the S: step whose literal the L: lines make
        std::string literal;
        auto handle = [&](const std::string& line) {
            Dialogue& d = all.back();
            auto part = [&]() -> ServerPart& {
                if (!d.servers.count(server)) d.serverOrder.push_back(server);
                return d.servers[server];
            };
            size_t colon = line.find(':');
            std::string tag = colon == std::string::npos ? line : line.substr(0, colon);
            if (tag == "L" && literalStep) {
                literal += Unescape(After(line, colon)) + "\r\n";
                return;
            }
            if (literalStep) {
                part().script[*literalStep].text += "{" + std::to_string(literal.size()) + "}\r\n" + literal;
                literalStep.reset();
                literal.clear();
            }
            if (line.empty()) return;
            if (line.rfind("@ ", 0) == 0) {
                server = line.substr(2);
            } else if (line == "C?") {
                part().script.push_back(Hear());
            } else if (line.rfind("set ", 0) == 0) {
                std::string kv = line.substr(4);
                if (kv.rfind("wait=", 0) == 0) d.wait = std::stoi(kv.substr(5));
                if (kv == "capa=scripted") {
                    d.scriptedCapa = true;
                    return;
                }
                d.client.push_back({"set", kv, {}});
            } else if (line.rfind("> ", 0) == 0) {
                std::string call = line.substr(2), arg;
                if (size_t sp = call.find(' '); sp != std::string::npos) arg = call.substr(sp + 1), call.resize(sp);
                d.client.push_back({call, arg, {}});
            } else if (tag == "R") {
                if (d.client.empty()) throw std::runtime_error(d.where + ": a result before any call");
                std::string kv = After(line, colon);
                size_t op = kv.find_first_of("=^<");
                std::string o = kv[op] == '^' ? "^=" : kv.substr(op, 1);
                d.client.back().expect.push_back({kv.substr(0, op), o, kv.substr(op + o.size())});
            } else if (tag == "S" || tag == "S=") {
                std::string text = After(line, colon);
                bool literalFollows = tag == "S" && text.size() >= 3 && text.compare(text.size() - 3, 3, "{*}") == 0;
                if (literalFollows) text.resize(text.size() - 3);
                text = Unescape(text);
                part().script.push_back(tag == "S" && !literalFollows ? Say(text) : SayRaw(text));
                if (literalFollows) literalStep = part().script.size() - 1;
            } else if (tag.rfind("S~", 0) == 0) {
                int ms = tag.size() > 2 ? std::stoi(tag.substr(2)) : 2;
                part().script.push_back(Dribble(Unescape(After(line, colon)), ms));
            } else if (tag == "C" || tag == "C~") {
                ServerPart& p = part();
                if (tag == "C" && p.required != p.heard.size())
                    throw std::runtime_error(d.where + ": a C: line after a C~: line");
                p.script.push_back(Hear());
                p.heard.push_back(Unescape(After(line, colon)));
                if (tag == "C") p.required = p.heard.size();
            } else if (tag == "F") {
                std::istringstream f(After(line, colon));
                std::string bytes, rest;
                int ms;
                f >> bytes >> ms;
                std::getline(f >> std::ws, rest);
                part().script.push_back(Flood(bytes == "max" ? size_t(-1) : std::stoull(bytes), ms, Unescape(rest)));
            } else if (tag == "W") {
                part().script.push_back(Silence(std::stoi(After(line, colon))));
            } else if (tag == "X") {
                part().script.push_back(Cut());
            } else {
                throw std::runtime_error(file.string() + ":" + std::to_string(n) + ": not understood: " + line);
            }
        };
        while (std::getline(in, line)) {
            ++n;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty() && line[0] == '#') continue;
            if (line.rfind("== ", 0) == 0) {
                if (!all.empty()) handle("");  // ends a literal at the end of the case before
                std::string name = file.stem().string() + "_" + line.substr(3);
                for (char& c : name)
                    if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                all.push_back({name, file.filename().string() + ":" + std::to_string(n), {}, {}, {}});
                server = "main";
                for (const std::string& p : preamble) handle(p);
                continue;
            }
            if (all.empty() || all.back().where.rfind(file.filename().string(), 0) != 0) {
                if (line.rfind("set ", 0) == 0) preamble.push_back(line);
                else if (!line.empty()) throw std::runtime_error(file.string() + ": a line before the first case");
                continue;
            }
            handle(line);
        }
        if (!all.empty()) handle("");
    }
    return all;
}

const std::vector<Dialogue>& Dialogues() {
    static const std::vector<Dialogue> all = ReadDialogues();
    return all;
}

// A name service that knows no names, so that no lookup leaves the machine.
class NoNames : public platform::IBlockingSockets {
public:
    int Startup() override { return 0; }
    void Cleanup() override {}
    bool ResolveHost(const std::string& name, uint32_t&) override {
        asked.push_back(name);
        return false;
    }
    std::unique_ptr<platform::IBlockingSocket> Connect(uint32_t, uint16_t, int, int& e) override {
        e = platform::sockErrRefused;
        return nullptr;
    }
    Lines asked;
};

std::string Join(const Lines& lines) {
    std::string s;
    for (size_t i = 0; i < lines.size(); ++i) s += (i ? "|" : "") + lines[i];
    return s;
}

class MailDialogueTest : public Pop3Fixture, public ::testing::WithParamInterface<size_t> {
protected:
    void Run(const Dialogue& d) {
        std::map<std::string, std::unique_ptr<ScriptedServer>> servers;
        for (auto& name : d.serverOrder) servers[name] = std::make_unique<ScriptedServer>(d.servers.at(name).script, d.wait, !d.scriptedCapa);
        if (servers.count("main")) port_ = servers["main"]->Port();
        for (const ClientStep& step : d.client) {
            if (step.verb != "set" || step.arg.rfind("host=", 0) != 0) continue;
            client_ = &clients_.For(Expand(step.arg.substr(5)));
            if (client_ != &pop) Configure(*client_);
            break;
        }
        client_->SetPort(port_);
        for (const ClientStep& step : d.client) {
            SCOPED_TRACE(step.verb + " " + step.arg);
            if (step.verb == "set") {
                Set(step.arg, servers);
                continue;
            }
            error_ = "none";
            code_ = 0;
            auto start = std::chrono::steady_clock::now();
            try {
                Call(step);
            } catch (const ECertificateError& e) {
                Caught("ECertificateError", e);
            } catch (const ESignInNeeded& e) {
                Caught("ESignInNeeded", e);
            } catch (const EProtocolError& e) {
                Caught("EProtocolError", e);
                code_ = e.ErrorCode;
                EXPECT_EQ(e.ProtocolName, client_->Protocol());
            } catch (const ESocketError& e) {
                Caught("ESocketError", e);
                code_ = e.ErrorCode;
            } catch (const ETcpIpError& e) {
                Caught("ETcpIpError", e);
            }
            ms_ = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
            Check(step.expect);
        }
        for (auto& t : trace) {
            EXPECT_EQ(t.second.find(client_->Password()), std::string::npos) << t.second;
            // Nor a token's initial response (XOAUTH2's starts "user=", OAUTHBEARER's "n,a=").
            EXPECT_EQ(t.second.find("dXNlcj1"), std::string::npos) << t.second;
            EXPECT_EQ(t.second.find("bixhPQ"), std::string::npos) << t.second;
        }
        for (auto& name : d.serverOrder) {
            const ServerPart& want = d.servers.at(name);
            Lines heard = servers[name]->Heard();
            if (heard.size() >= want.required && heard.size() <= want.heard.size())
                EXPECT_EQ(heard, Lines(want.heard.begin(), want.heard.begin() + heard.size())) << "server " << name;
            else
                EXPECT_EQ(heard, want.heard) << "server " << name;
        }
    }

private:
    void Caught(const char* type, const ETcpIpError& e) {
        error_ = type;
        message_ = e.Message();
        what_ = e.what();
    }

    void Set(const std::string& kv, std::map<std::string, std::unique_ptr<ScriptedServer>>& servers) {
        size_t eq = kv.find('=');
        std::string key = kv.substr(0, eq), value = kv.substr(eq + 1);
        if (key == "port") {
            if (value == "closed") {
                ScriptedServer idle({}, 1);  // binds a free port and lets it go again
                port_ = idle.Port();
            } else {
                port_ = servers.at(value)->Port();
            }
            client_->SetPort(port_);
            return;
        }
        value = Expand(value);
        T_MailClient& c = *client_;
        if (key == "user") c.SetUserName(value);
        else if (key == "password") c.SetPassword(value);
        else if (key == "host") c.SetHostname(value);
        else if (key == "timeout") c.SetTimeout(std::stoi(value));
        else if (key == "exchange") c.SetExchangeTimeout(std::stoi(value));
        else if (key == "mailbox") c.SetMailboxTimeout(std::stoi(value), std::stoi(value.substr(value.find(',') + 1)));
        else if (key == "sockets" && value == "standin") c.SetSockets(&tls_);
        else if (key == "sockets" && value == "nonames") c.SetSockets(&names_);
        else if (key == "tls.trusted") tls_.certificate.Trusted = value == "1";
        else if (key == "tls.fail") tls_.fail = value == "1";
        else if (key == "certificate" && value == "accept")
            c.OnCertificate = [this](TObject*, const platform::TTlsPeer& peer) {
                certificates_.push_back(peer.Host + " " + peer.Fingerprint);
                return true;
            };
        else if (key == "tokens")  // handed out in order, the second for the renewal
            c.OnAccessToken = [tokens = value](bool renew) {
                std::string t = renew ? tokens.substr(tokens.find(',') + 1) : tokens.substr(0, tokens.find(','));
                if (t.empty()) throw ESignInNeeded("no sign-in kept");
                return t;
            };
        else if (key != "wait") FAIL() << "unknown setting " << key;
    }

    void Call(const ClientStep& step) {
        if (step.verb == "login") client_->Login();
        else if (step.verb == "logout") client_->Logout();
        else if (step.verb == "headers") client_->GetHeaders();
        else if (step.verb == "action") pop.Action();
        else if (step.verb == "mail") pop.GetMail(std::stoi(step.arg));
        else if (step.verb == "uidl") returned_ = client_->GetUniqueIds();
        else FAIL() << "unknown call " << step.verb;
    }

    std::string Expand(std::string s) {
        s = Unescape(s);
        for (size_t p; (p = s.find("{port}")) != std::string::npos;) s.replace(p, 6, std::to_string(port_));
        return s;
    }

    static std::string Level(TTraceLevel l) { return l == tlCommand ? "command" : l == tlReply ? "reply" : "socket"; }
    std::string TraceOf(TTraceLevel level, size_t k) {
        for (auto& t : trace)
            if (t.first == level && --k == 0) return t.second;
        return "<none>";
    }

    std::optional<std::string> Actual(const std::string& key) {
        auto& list = client_->MessageList();
        if (key == "error") return error_;
        if (key == "code") return std::to_string(code_);
        if (key == "message") return message_;
        if (key == "what") return what_;
        if (key == "connected") return std::to_string(client_->Connected());
        if (key == "socket") return std::to_string(client_->SocketId());
        if (key == "count") return std::to_string(client_->NumberOfMails());
        if (key == "listed") return std::to_string(list.size());
        if (key == "mails") return std::to_string(client_->MailLines.size());
        if (key == "returned") return std::to_string(returned_);
        if (key == "address") return std::to_string(client_->Address());
        if (key == "asked") return Join(names_.asked);
        if (key == "certificates") return Join(certificates_);
        if (key == "handshakes") return std::to_string(tls_.handshakes);
        if (key == "ms") return std::to_string(ms_);
        if (key == "trace.first" || key == "trace.last") {
            if (trace.empty()) return "<none>";
            auto& t = key == "trace.first" ? trace.front() : trace.back();
            return Level(t.first) + " " + t.second;
        }
        if (key == "trace.commands") {
            size_t n = 0;
            for (auto& t : trace) n += t.first == tlCommand;
            return std::to_string(n);
        }
        auto numbered = [&key](const std::string& prefix, const std::string& tail = "") {
            size_t end = tail.empty() ? key.size() : key.find(tail, prefix.size());
            if (key.rfind(prefix, 0) != 0 || end == std::string::npos || end == prefix.size()) return size_t(0);
            std::string digits = key.substr(prefix.size(), end - prefix.size());
            return digits.find_first_not_of("0123456789") == std::string::npos ? size_t(std::stoul(digits)) : 0;
        };
        if (size_t k = numbered("trace.command")) return TraceOf(tlCommand, k);
        if (size_t k = numbered("trace.reply")) return TraceOf(tlReply, k);
        if (size_t k = numbered("msg", ".")) {
            size_t dot = key.find('.');
            if (k < 1 || k > list.size()) return "<none>";
            const t_reply& m = *list[k - 1];
            std::string field = key.substr(dot + 1);
            if (field == "index") return std::to_string(m.Index);
            if (field == "size") return std::to_string(m.Size);
            if (field == "from") return m.From;
            if (field == "uid") return m.UniqueId;
        }
        return std::nullopt;
    }

    void Check(const std::vector<Expectation>& expect) {
        bool errorSaid = false, mailSaid = false;
        Lines mail;
        for (const Expectation& e : expect) {
            if (e.key == "error") {
                errorSaid = true;
                if (e.value == "any") {
                    continue;
                }
            }
            if (e.key == "mail") {
                mailSaid = true;
                mail.push_back(Expand(e.value));
                continue;
            }
            std::optional<std::string> actual = Actual(e.key);
            const size_t n = e.key.size();
            if (!actual && n > 5 && e.key.compare(n - 5, 5, ".size") == 0)
                if ((actual = Actual(e.key.substr(0, n - 5)))) actual = std::to_string(actual->size());
            if (!actual) {
                ADD_FAILURE() << "unknown result key " << e.key;
                continue;
            }
            std::string want = Expand(e.value);
            if (e.op == "=") {
                EXPECT_EQ(*actual, want) << e.key;
            } else if (e.op == "^=") {
                EXPECT_EQ(actual->substr(0, want.size()), want) << e.key << " is " << *actual;
            } else {
                EXPECT_LT(std::stoll(*actual), std::stoll(want)) << e.key;
            }
        }
        if (!errorSaid) {
            EXPECT_EQ(error_, "none") << message_;
        }
        if (mailSaid) {
            EXPECT_EQ(client_->MailLines, mail);
        }
    }

    TMailClients clients_{nullptr, {&pop}};
    T_MailClient* client_ = &pop;  // the client the case's server text names
    StandInTls tls_;
    NoNames names_;
    Lines certificates_;
    uint16_t port_ = 0;
    std::string error_, message_, what_;
    int code_ = 0;
    bool returned_ = false;
    long long ms_ = 0;
};

TEST_P(MailDialogueTest, Plays) {
    const Dialogue& d = Dialogues()[GetParam()];
    SCOPED_TRACE(d.where);
    Run(d);
}

INSTANTIATE_TEST_SUITE_P(Dialogues, MailDialogueTest, ::testing::Range<size_t>(0, Dialogues().size()),
                         [](const ::testing::TestParamInfo<size_t>& info) { return Dialogues()[info.param].name; });

}  // namespace
}  // namespace mail_test
