// A scripted socket library for the unit tests: it records every call, answers as the
// test tells it, and posts socket events to the component's window the way Winsock does.
#pragma once
#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "net/SocketApi.h"

class FakeSocketApi : public net::ISocketApi {
public:
    struct Sock {
        int type = 0, proto = 0;
        bool open = true;
        std::string incoming;  // bytes waiting to be read
        std::string sent;      // bytes the "network" took
        net::SockAddrIn peer, local;
        IMessageWindow* window = nullptr;
        uint32_t msg = 0, events = 0;
        std::vector<net::LingerOption> lingers;
        bool shutdownSend = false;
        net::SockAddrIn from;                 // the sender recvfrom reports (when addr is set)
        std::vector<net::SockAddrIn> sentTo;  // the destination of each sendto
    };

    // ---- what the test scripts
    int connectError = net::WSAEWOULDBLOCK_;  // 0: connect succeeds at once
    int socketError = 0;                      // non-zero: socket() fails with it
    int sendCapacity = -1;                    // bytes the next send calls may take (-1: all)
    int sendError = 0;                        // non-zero: send fails with it
    int ioctlError = 0;
    std::deque<int> closeErrors;              // answers of the next closesocket calls
    int closeWouldBlockForever = 0;           // closesocket answers 10035 while this is set
    bool reuseHandles = false;                // hand out the lowest free handle again
    std::map<std::string, std::vector<uint32_t>> hosts;
    std::map<std::string, uint16_t> services{{"time", 37}, {"pop3", 110}};
    std::map<std::string, int> protocols{{"tcp", 6}, {"udp", 17}};

    // ---- what the test reads
    std::map<net::TSocketHandle, Sock> socks;
    std::vector<std::string> calls;
    int loads = 0, unloads = 0, hostLookups = 0, servLookups = 0;
    bool loaded = false;

    // ---- the network side
    // Posts an event for s as Winsock would.
    void Notify(net::TSocketHandle s, uint32_t event, int error = 0) {
        Sock& k = socks.at(s);
        k.window->Post(k.msg, s, net::MakeSelectLParam(event, error));
    }
    void Arrive(net::TSocketHandle s, const std::string& bytes, bool notify = true) {
        socks.at(s).incoming += bytes;
        if (notify) Notify(s, net::FD_READ_);
    }
    net::TSocketHandle Last() const { return lastHandle; }

    // ---- ISocketApi
    void Load() override {
        if (loaded) return;
        loaded = true;
        ++loads;
        calls.push_back("WSAStartup");
    }
    void Unload() override {
        if (!loaded) return;
        loaded = false;
        ++unloads;
        calls.push_back("WSACleanup");
    }
    int LastError() override { return lastError; }
    void SetLastError(int code) override { lastError = code; }

    net::TSocketHandle Socket(int family, int type, int protocol) override {
        calls.push_back("socket");
        if (socketError) return Fail(socketError), net::kInvalidSocket;
        net::TSocketHandle h = nextHandle;
        if (reuseHandles) {
            h = 100;
            while (socks.count(h) && socks[h].open) ++h;
        } else {
            ++nextHandle;
        }
        socks[h] = Sock{};
        socks[h].type = type;
        socks[h].proto = protocol;
        lastHandle = h;
        return h;
    }
    int Bind(net::TSocketHandle s, const net::SockAddrIn& a) override {
        calls.push_back("bind");
        Get(s).local = a;
        if (a.port == 0) Get(s).local.port = net::HostToNet16(50000);
        return 0;
    }
    int GetSockName(net::TSocketHandle s, net::SockAddrIn& a) override {
        a = Get(s).local;
        return 0;
    }
    int GetPeerName(net::TSocketHandle s, net::SockAddrIn& a) override {
        a = Get(s).peer;
        return 0;
    }
    int Connect(net::TSocketHandle s, const net::SockAddrIn& a) override {
        calls.push_back("connect");
        Get(s).peer = a;
        if (connectError) return Fail(connectError);
        return 0;
    }
    int SetSockOpt(net::TSocketHandle s, int level, int option, const void* value, int length) override {
        if (option == net::kSoLinger && length == sizeof(net::LingerOption)) {
            net::LingerOption lo;
            std::memcpy(&lo, value, sizeof lo);
            Get(s).lingers.push_back(lo);
        }
        return 0;
    }
    int AsyncSelect(net::TSocketHandle s, IMessageWindow& w, uint32_t msg, uint32_t events) override {
        calls.push_back("WSAAsyncSelect");
        Get(s).window = &w;
        Get(s).msg = msg;
        Get(s).events = events;
        return 0;
    }
    int Send(net::TSocketHandle s, const void* data, int length, int) override {
        if (!Get(s).open) return Fail(net::WSAENOTSOCK_);
        if (sendError) return Fail(sendError);
        int n = sendCapacity < 0 ? length : std::min(length, sendCapacity);
        if (n == 0) return Fail(net::WSAEWOULDBLOCK_);
        if (sendCapacity > 0) sendCapacity -= n;
        Get(s).sent.append(static_cast<const char*>(data), static_cast<size_t>(n));
        ++sendCalls;
        return n;
    }
    int SendTo(net::TSocketHandle s, const void* data, int length, int flags, const net::SockAddrIn& to) override {
        Get(s).sentTo.push_back(to);
        return Send(s, data, length, flags);
    }
    int Recv(net::TSocketHandle s, void* buffer, int size, int) override {
        ++recvCalls;
        Sock& k = Get(s);
        if (!k.open) return Fail(net::WSAENOTSOCK_);
        if (k.incoming.empty()) return Fail(net::WSAEWOULDBLOCK_);
        size_t n = std::min(static_cast<size_t>(size), k.incoming.size());
        std::memcpy(buffer, k.incoming.data(), n);
        k.incoming.erase(0, n);
        return static_cast<int>(n);
    }
    int RecvFrom(net::TSocketHandle s, void* buffer, int size, int flags, net::SockAddrIn* from) override {
        if (from && Get(s).from.addr) *from = Get(s).from;
        return Recv(s, buffer, size, flags);
    }
    int BytesWaiting(net::TSocketHandle s, uint32_t& count) override {
        if (ioctlError) return Fail(ioctlError);
        if (!socks.count(s) || !socks[s].open) return Fail(net::WSAENOTSOCK_);
        count = static_cast<uint32_t>(socks[s].incoming.size());
        return 0;
    }
    int Shutdown(net::TSocketHandle s, int how) override {
        calls.push_back("shutdown");
        if (how == 1) Get(s).shutdownSend = true;
        return 0;
    }
    int CloseSocket(net::TSocketHandle s) override {
        calls.push_back("closesocket");
        if (closeWouldBlockForever) return Fail(net::WSAEWOULDBLOCK_);
        if (!closeErrors.empty()) {
            int e = closeErrors.front();
            closeErrors.pop_front();
            if (e) return Fail(e);
        }
        Get(s).open = false;
        return 0;
    }
    uint32_t InetAddr(const std::string& text) override {
        unsigned a, b, c, d;
        char tail;
        if (std::sscanf(text.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &tail) != 4 || a > 255 || b > 255 ||
            c > 255 || d > 255)
            return net::kInaddrNone;
        uint8_t bytes[4] = {uint8_t(a), uint8_t(b), uint8_t(c), uint8_t(d)};
        uint32_t r;
        std::memcpy(&r, bytes, 4);
        return r;  // 255.255.255.255 comes back as kInaddrNone, as the real call does
    }
    std::vector<uint32_t> GetHostByName(const std::string& name) override {
        ++hostLookups;
        auto it = hosts.find(name);
        return it == hosts.end() ? std::vector<uint32_t>{} : it->second;
    }
    bool GetServByName(const std::string& name, const std::string&, uint16_t& port) override {
        ++servLookups;
        auto it = services.find(name);
        if (it == services.end()) return false;
        port = it->second;
        return true;
    }
    bool GetProtoByName(const std::string& name, int& number) override {
        auto it = protocols.find(name);
        if (it == protocols.end()) return false;
        number = it->second;
        return true;
    }

    // Asynchronous lookups: started ones wait here until the test answers them.
    struct Lookup {
        IMessageWindow* window;
        uint32_t msg;
        std::string name;
        uint32_t addr;
    };
    std::map<uintptr_t, Lookup> lookups;
    std::vector<uintptr_t> cancelled;
    int lookupStartError = 0;
    uintptr_t AsyncGetHostByName(IMessageWindow& w, uint32_t msg, const std::string& name) override {
        if (lookupStartError) return Fail(lookupStartError), 0;
        lookups[nextRequest] = Lookup{&w, msg, name, 0};
        return nextRequest++;
    }
    uintptr_t AsyncGetHostByAddr(IMessageWindow& w, uint32_t msg, uint32_t addr) override {
        lookups[nextRequest] = Lookup{&w, msg, "", addr};
        return nextRequest++;
    }
    int CancelAsyncRequest(uintptr_t r) override {
        cancelled.push_back(r);
        lookups.erase(r);
        return 0;
    }
    void TakeLookupResult(uintptr_t r, std::vector<uint32_t>& addrs, std::string& name) override {
        auto it = lookups.find(r);
        if (it == lookups.end()) return;
        if (it->second.name.empty()) {
            name = reverseName;
        } else {
            auto h = hosts.find(it->second.name);
            if (h != hosts.end()) addrs = h->second;
        }
        lookups.erase(it);
    }
    // Answers request r (error 0: found) as the library would.
    void AnswerLookup(uintptr_t r, int error = 0) {
        Lookup& l = lookups.at(r);
        l.window->Post(l.msg, r, net::MakeSelectLParam(0, error));
    }
    std::string reverseName = "loopback.test";
    uintptr_t nextRequest = 7000;

    int sendCalls = 0, recvCalls = 0;

private:
    int Fail(int code) {
        lastError = code;
        return -1;
    }
    Sock& Get(net::TSocketHandle s) { return socks[s]; }
    int lastError = 0;
    net::TSocketHandle nextHandle = 100, lastHandle = net::kInvalidSocket;
};
