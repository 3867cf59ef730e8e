// The blocking socket service over Winsock 1.1: gethostbyname, connect (with a time limit
// through a non-blocking connect and select), send, recv, closesocket. The socket stays in
// non-blocking mode: a receive takes what is there at once and only waits (select) on an
// empty socket; a send waits for room the same way. TLS over such a socket comes from
// TlsSocket.cpp.
#include "platform/win32/WinsockSocket.h"
#include "platform/win32/TlsSocket.h"
#include "platform/win32/Win32Platform.h"

#include <winsock.h>

namespace platform {
namespace {

// Longest wait for room to send: a peer that takes nothing for this long is given up.
constexpr int kSendWaitMs = 60000;

// Waits at most timeoutMs for the socket to become readable (or, for a connect, writable
// or failed). 1 ready, 0 timed out, -1 error (-2: the connect failed).
int WaitFor(SOCKET s, bool forConnect, int timeoutMs) {
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(s, &ready);
    FD_SET(s, &failed);
    timeval tv;
    if (timeoutMs < 0) timeoutMs = 0;
    tv.tv_sec = timeoutMs / 1000;
    tv.tv_usec = (timeoutMs % 1000) * 1000;
    int r = forConnect ? select(0, nullptr, &ready, &failed, &tv) : select(0, &ready, nullptr, nullptr, &tv);
    if (r == SOCKET_ERROR) return -1;
    if (r == 0) return 0;
    if (forConnect && FD_ISSET(s, &failed)) return -2;
    return 1;
}

class WinsockSocket : public IBlockingSocket {
public:
    explicit WinsockSocket(SOCKET s) : s_(s) {}
    ~WinsockSocket() override { closesocket(s_); }
    int Id() const override { return static_cast<int>(s_); }

    int Send(const char* data, int len) override {
        int done = 0;
        while (done < len) {
            int n = send(s_, data + done, len - done, 0);
            if (n == SOCKET_ERROR) {
                error_ = WSAGetLastError();
                if (error_ == WSAEWOULDBLOCK) {
                    int w = WaitFor(s_, true, kSendWaitMs);
                    if (w == 1) continue;
                    error_ = w == 0 ? WSAETIMEDOUT : WSAECONNABORTED;
                }
                return -1;
            }
            done += n;
        }
        return done;
    }

    int Receive(char* buf, int len, int timeoutMs) override {
        int n = recv(s_, buf, len, 0);
        if (n != SOCKET_ERROR) return n;
        if (WSAGetLastError() != WSAEWOULDBLOCK) {
            error_ = WSAGetLastError();
            return -1;
        }
        int w = WaitFor(s_, false, timeoutMs);
        if (w == 0) {
            error_ = WSAETIMEDOUT;
            return -1;
        }
        if (w < 0) {
            error_ = WSAGetLastError();
            return -1;
        }
        n = recv(s_, buf, len, 0);
        if (n == SOCKET_ERROR) {
            error_ = WSAGetLastError();
            return -1;
        }
        return n;
    }

    bool PeerConnected() override {
        sockaddr_in peer{};
        int size = sizeof(peer);
        return getpeername(s_, reinterpret_cast<sockaddr*>(&peer), &size) == 0;
    }
    int LastError() const override { return error_; }

private:
    SOCKET s_;
    int error_ = 0;
};

class WinsockListener : public IBlockingListener {
public:
    WinsockListener(SOCKET s, uint16_t port) : s_(s), port_(port) {}
    ~WinsockListener() override { closesocket(s_); }
    uint16_t Port() const override { return port_; }
    std::unique_ptr<IBlockingSocket> Accept(int timeoutMs, int& error) override {
        int w = WaitFor(s_, false, timeoutMs);
        if (w <= 0) {
            error = w == 0 ? WSAETIMEDOUT : WSAGetLastError();
            return nullptr;
        }
        SOCKET c = accept(s_, nullptr, nullptr);
        if (c == INVALID_SOCKET) {
            error = WSAGetLastError();
            return nullptr;
        }
        // Non-blocking like a connected socket, so that receives wait with their limits.
        u_long on = 1;
        ioctlsocket(c, FIONBIO, &on);
        error = 0;
        return std::make_unique<WinsockSocket>(c);
    }

private:
    SOCKET s_;
    uint16_t port_;
};

class WinsockSockets : public IBlockingSockets {
public:
    int Startup() override {
        WSADATA data;
        return WSAStartup(MAKEWORD(1, 1), &data);
    }
    void Cleanup() override {
        WSACancelBlockingCall();
        WSACleanup();
    }

    bool ResolveHost(const std::string& name, uint32_t& address) override {
        hostent* h = gethostbyname(::win32::HostToWinsock(name).c_str());
        if (!h || h->h_addrtype != AF_INET || !h->h_addr_list || !h->h_addr_list[0]) return false;
        in_addr a;
        memcpy(&a, h->h_addr_list[0], sizeof(a));
        address = a.s_addr;
        return true;
    }

    std::unique_ptr<IBlockingSocket> Connect(uint32_t address, uint16_t port, int timeoutMs,
                                             int& error) override {
        return ConnectPaced(address, port, timeoutMs, error, nullptr, timeoutMs);
    }

    std::unique_ptr<IBlockingSocket> ConnectPaced(uint32_t address, uint16_t port, int timeoutMs, int& error,
                                                  const std::function<bool()>& keepWaiting, int sliceMs) override {
        SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
        if (s == INVALID_SOCKET) {
            error = WSAGetLastError();
            return nullptr;
        }
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = address;
        // Connect without blocking so that the wait has a limit; the socket stays so.
        u_long on = 1;
        ioctlsocket(s, FIONBIO, &on);
        int failure = 0;
        if (connect(s, reinterpret_cast<sockaddr*>(&to), sizeof(to)) == SOCKET_ERROR) {
            failure = WSAGetLastError();
            if (failure == WSAEWOULDBLOCK) {
                // In slices, with the caller's turn between them; the time left counted
                // down by the slices waited.
                int w = 0;
                for (int left = timeoutMs < 0 ? 0 : timeoutMs; w == 0 && left > 0;) {
                    if (keepWaiting && !keepWaiting()) {
                        w = -3;
                        break;
                    }
                    int slice = sliceMs > 0 && sliceMs < left ? sliceMs : left;
                    w = WaitFor(s, true, slice);
                    left -= slice;
                }
                if (w == 1) {
                    failure = 0;
                } else if (w == 0) {
                    failure = WSAETIMEDOUT;
                } else if (w == -3) {
                    failure = WSAECONNABORTED;
                } else {
                    int soError = 0;
                    int size = sizeof(soError);
                    getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &size);
                    failure = soError ? soError : WSAECONNREFUSED;
                }
            }
        }
        if (failure) {
            closesocket(s);
            error = failure;
            return nullptr;
        }
        error = 0;
        return std::make_unique<WinsockSocket>(s);
    }

    std::unique_ptr<IBlockingSocket> StartTls(std::unique_ptr<IBlockingSocket> plain, const std::string& host,
                                              int timeoutMs, TTlsPeer& peer) override {
        return StartSystemTls(std::move(plain), host, timeoutMs, peer);
    }

    std::unique_ptr<IBlockingListener> ListenLoopback(int& error) override {
        SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int size = sizeof(at);
        if (s == INVALID_SOCKET || bind(s, reinterpret_cast<sockaddr*>(&at), sizeof(at)) == SOCKET_ERROR ||
            listen(s, 4) == SOCKET_ERROR || getsockname(s, reinterpret_cast<sockaddr*>(&at), &size) == SOCKET_ERROR) {
            error = WSAGetLastError();
            if (s != INVALID_SOCKET) closesocket(s);
            return nullptr;
        }
        error = 0;
        return std::make_unique<WinsockListener>(s, ntohs(at.sin_port));
    }
};

}  // namespace

IBlockingSockets& WinsockBlockingSockets() {
    static WinsockSockets sockets;
    return sockets;
}

}  // namespace platform
