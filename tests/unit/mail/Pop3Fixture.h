// What every POP3 client test stands on: a TCP server on 127.0.0.1 that
// plays a script from a thread (lines to say, whole or dribbled in small pieces, lines to
// hear and record, silence, floods, cutting the connection; every wait bounded), and a
// client fixture that points a mail client (T_Pop3 unless told otherwise) at it and records
// its trace.
#pragma once
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "mail/tcpip.h"

namespace mail_test {

struct Step {
    enum Kind { Say, Dribble, Hear, Silence, Cut, Flood } kind;
    std::string text;  // Say/Dribble: bytes sent as they stand (CR LF included)
    int ms = 0;        // Dribble: pause between pieces; Silence: how long to stay quiet
    size_t bytes = 0;  // Flood: how many filler bytes
};

// Sends lines, each ended by CR LF.
inline Step Say(const std::string& lines) { return {Step::Say, lines + "\r\n"}; }
// Sends raw bytes as they stand (no line end added).
inline Step SayRaw(const std::string& bytes) { return {Step::Say, bytes}; }
// Sends the text and CR LF three bytes at a time, pausing between the pieces.
inline Step Dribble(const std::string& lines, int ms = 2) { return {Step::Dribble, lines + "\r\n", ms}; }
inline Step Hear() { return {Step::Hear, ""}; }
inline Step Silence(int ms) { return {Step::Silence, "", ms}; }
inline Step Cut() { return {Step::Cut, ""}; }
// Sends `bytes` bytes of 'x' (without a line end) as fast as the client takes them, but for
// at most ms milliseconds; then the text, when the client is still there.
inline Step Flood(size_t bytes, int ms, const std::string& then = "") { return {Step::Flood, then, ms, bytes}; }

class ScriptedServer {
public:
    // Unless refuseFirstCapa is false, the client's first CAPA (asked before logging in) is
    // answered "-ERR" and left out of what was heard, as a server without CAPA would: the
    // script then only has to play the exchanges it is about.
    explicit ScriptedServer(std::vector<Step> script, int waitMs = 3000, bool refuseFirstCapa = true)
        : script_(std::move(script)), waitMs_(waitMs), refuseFirstCapa_(refuseFirstCapa) {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        int yes = 1;
        setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = 0;
        bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof(a));
        listen(listener_, 4);
        socklen_t size = sizeof(a);
        getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &size);
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { Run(); });
    }
    ~ScriptedServer() { Finish(); }

    uint16_t Port() const { return port_; }

    // Waits (bounded) for the script to end and returns the lines heard, CR LF removed.
    std::vector<std::string> Heard() {
        Finish();
        return heard_;
    }
    // Lines heard so far, without waiting.
    std::vector<std::string> HeardSoFar() {
        std::lock_guard<std::mutex> lock(mutex_);
        return heard_;
    }

private:
    bool Wait(int fd, short events, int ms) {
        pollfd p{fd, events, 0};
        return poll(&p, 1, ms) > 0;
    }

    bool ReadLine(int c, std::string& line) {
        line.clear();
        char ch;
        while (Wait(c, POLLIN, waitMs_) && recv(c, &ch, 1, 0) == 1) {
            if (ch == '\n') {
                if (!line.empty() && line.back() == '\r') line.pop_back();
                return true;
            }
            line += ch;
        }
        return false;
    }

    void Run() {
        if (!Wait(listener_, POLLIN, waitMs_)) return;
        int c = accept(listener_, nullptr, nullptr);
        const bool refuseCapa = refuseFirstCapa_;
        for (size_t k = 0; k < script_.size() && c >= 0; ++k) {
            const Step& s = script_[k];
            if (s.kind == Step::Say) {
                send(c, s.text.data(), s.text.size(), MSG_NOSIGNAL);
            } else if (s.kind == Step::Dribble) {
                for (size_t i = 0; i < s.text.size(); i += 3) {
                    if (send(c, s.text.data() + i, std::min<size_t>(3, s.text.size() - i), MSG_NOSIGNAL) < 0) break;
                    std::this_thread::sleep_for(std::chrono::milliseconds(s.ms));
                }
            } else if (s.kind == Step::Hear) {
                std::string line;
                bool got = ReadLine(c, line);
                if (got && refuseFirstCapa_ && line == "CAPA") {
                    refuseFirstCapa_ = false;
                    send(c, "-ERR\r\n", 6, MSG_NOSIGNAL);
                    got = ReadLine(c, line);
                }
                if (!got) break;  // the client went away or fell silent: the script ends
                std::lock_guard<std::mutex> lock(mutex_);
                heard_.push_back(line);
            } else if (s.kind == Step::Flood) {
                static const std::string chunk(65536, 'x');
                auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(s.ms);
                size_t left = s.bytes;
                bool gone = false;
                while (left > 0 && std::chrono::steady_clock::now() < until) {
                    if (!Wait(c, POLLOUT, 50)) continue;
                    ssize_t n = send(c, chunk.data(), std::min(left, chunk.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
                    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
                        gone = true;
                        break;
                    }
                    if (n > 0) left -= size_t(n);
                }
                if (gone) break;
                if (!s.text.empty()) send(c, s.text.data(), s.text.size(), MSG_NOSIGNAL);
            } else if (s.kind == Step::Silence) {
                // Quiet until the client closes or the time is up.
                char ch;
                auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(s.ms);
                while (std::chrono::steady_clock::now() < until) {
                    if (Wait(c, POLLIN, 20) && recv(c, &ch, 1, 0) <= 0) break;
                }
            } else {  // Cut: the steps after it are played to the client's next connection
                shutdown(c, SHUT_RDWR);
                close(c);
                bool more = k + 1 < script_.size() && Wait(listener_, POLLIN, waitMs_);
                c = more ? accept(listener_, nullptr, nullptr) : -1;
                refuseFirstCapa_ = refuseCapa;
            }
        }
        if (c < 0) return;
        shutdown(c, SHUT_RDWR);
        close(c);
    }

    void Finish() {
        if (thread_.joinable()) thread_.join();
        if (listener_ >= 0) close(listener_);
        listener_ = -1;
    }

    std::vector<Step> script_;
    int waitMs_;
    bool refuseFirstCapa_;
    int listener_ = -1;
    uint16_t port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::vector<std::string> heard_;
};

using Lines = std::vector<std::string>;

// TLS that keeps the plain connection and reports the certificate the case chose; it
// remembers the time the handshake was given.
class StandInTls : public platform::IBlockingSockets {
public:
    int Startup() override { return 0; }
    void Cleanup() override {}
    bool ResolveHost(const std::string& n, uint32_t& a) override { return platform::SystemBlockingSockets().ResolveHost(n, a); }
    std::unique_ptr<platform::IBlockingSocket> Connect(uint32_t a, uint16_t p, int t, int& e) override {
        return platform::SystemBlockingSockets().Connect(a, p, t, e);
    }
    std::unique_ptr<platform::IBlockingSocket> StartTls(std::unique_ptr<platform::IBlockingSocket> plain,
                                                        const std::string& host, int ms, platform::TTlsPeer& peer) override {
        ++handshakes;
        handshakeMs = ms;
        peer = certificate;
        peer.Host = host;
        if (fail) {
            peer.Problem = "handshake failed";
            return nullptr;
        }
        return plain;
    }
    platform::TTlsPeer certificate{"", true, "", "AA:BB"};
    bool fail = false;
    int handshakes = 0;
    int handshakeMs = -1;
};

// A client logging in as ann with the password "secret" to 127.0.0.1, two seconds per
// answer. Every trace line is kept, and must come from this client.
class Pop3Fixture : public ::testing::Test {
protected:
    void SetUp() override { Configure(pop); }
    void Configure(T_MailClient& client) {
        client.SetHostname("127.0.0.1");
        client.SetTimeout(2000);
        client.SetUserName("ann");
        client.SetPassword("secret");
        client.OnTrace = [this, &client](TObject* sender, const std::string& s, TTraceLevel level) {
            EXPECT_EQ(sender, &client);
            trace.push_back({level, s});
        };
    }
    void Use(const ScriptedServer& s) { pop.SetPort(s.Port()); }
    // Logs out after a failure; a connection that is over has no QUIT to say.
    void End() {
        try {
            pop.Logout();
        } catch (const ETcpIpError&) {
        }
    }

    T_Pop3 pop;
    std::vector<std::pair<TTraceLevel, std::string>> trace;
};

}  // namespace mail_test
