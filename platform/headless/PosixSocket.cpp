// The blocking socket service over POSIX sockets. Native builds only: the Win32 build takes
// the Winsock service in mail/win32 instead.
#ifndef _WIN32
#include "platform/headless/PosixSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {
namespace {

int ToWinsockError(int e) {
    switch (e) {
        case ECONNREFUSED: return sockErrRefused;
        case ETIMEDOUT: return sockErrTimedOut;
        case ECONNRESET: return sockErrReset;
        case EPIPE: return sockErrAborted;
        case ECONNABORTED: return sockErrAborted;
        case EHOSTUNREACH: return sockErrHostUnreachable;
        case ENETUNREACH: return sockErrNetUnreachable;
        case ENETDOWN: return sockErrNetDown;
        case ENOTCONN: return sockErrNotConnected;
        case EINTR: return sockErrInterrupted;
        case EWOULDBLOCK: return sockErrWouldBlock;
        default: return sockErrInvalid;
    }
}

// Waits for events on fd at most timeoutMs; 1 when ready, 0 on time-out, -1 on error.
int WaitFor(int fd, short events, int timeoutMs) {
    pollfd p{fd, events, 0};
    for (;;) {
        int r = poll(&p, 1, timeoutMs < 0 ? 0 : timeoutMs);
        if (r < 0 && errno == EINTR) continue;
        return r < 0 ? -1 : (r == 0 ? 0 : 1);
    }
}

class PosixSocket : public IBlockingSocket {
public:
    explicit PosixSocket(int fd) : fd_(fd) {}
    ~PosixSocket() override { close(fd_); }
    int Id() const override { return fd_; }

    int Send(const char* data, int len) override {
        int done = 0;
        while (done < len) {
            // MSG_NOSIGNAL: a peer that went away must be an error, not the end of the program.
            ssize_t n = send(fd_, data + done, size_t(len - done), MSG_NOSIGNAL);
            if (n < 0) {
                if (errno == EINTR) continue;
                error_ = ToWinsockError(errno);
                return -1;
            }
            done += int(n);
        }
        return done;
    }

    int Receive(char* buf, int len, int timeoutMs) override {
        // Data that is already there is taken at once; only an empty socket is waited on.
        for (;;) {
            ssize_t n = recv(fd_, buf, size_t(len), MSG_DONTWAIT);
            if (n >= 0) return int(n);
            if (errno == EINTR) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) break;
            error_ = ToWinsockError(errno);
            return -1;
        }
        int w = WaitFor(fd_, POLLIN, timeoutMs);
        if (w == 0) {
            error_ = sockErrTimedOut;
            return -1;
        }
        if (w < 0) {
            error_ = ToWinsockError(errno);
            return -1;
        }
        for (;;) {
            ssize_t n = recv(fd_, buf, size_t(len), 0);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                error_ = ToWinsockError(errno);
                return -1;
            }
            return int(n);
        }
    }

    bool PeerConnected() override {
        sockaddr_in peer{};
        socklen_t size = sizeof(peer);
        return getpeername(fd_, reinterpret_cast<sockaddr*>(&peer), &size) == 0;
    }
    int LastError() const override { return error_; }

private:
    int fd_;
    int error_ = 0;
};

class PosixListener : public IBlockingListener {
public:
    PosixListener(int fd, uint16_t port) : fd_(fd), port_(port) {}
    ~PosixListener() override { close(fd_); }
    uint16_t Port() const override { return port_; }
    std::unique_ptr<IBlockingSocket> Accept(int timeoutMs, int& error) override {
        int w = WaitFor(fd_, POLLIN, timeoutMs);
        if (w <= 0) {
            error = w == 0 ? sockErrTimedOut : ToWinsockError(errno);
            return nullptr;
        }
        int fd = accept(fd_, nullptr, nullptr);
        if (fd < 0) {
            error = ToWinsockError(errno);
            return nullptr;
        }
        error = 0;
        return std::make_unique<PosixSocket>(fd);
    }

private:
    int fd_;
    uint16_t port_;
};

class PosixSockets : public IBlockingSockets {
public:
    int Startup() override { return 0; }
    void Cleanup() override {}

    bool ResolveHost(const std::string& name, uint32_t& address) override {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || !found) return false;
        address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
        freeaddrinfo(found);
        return true;
    }

    std::unique_ptr<IBlockingSocket> Connect(uint32_t address, uint16_t port, int timeoutMs,
                                             int& error) override {
        int fd = socket(AF_INET, SOCK_STREAM, 0);
        if (fd < 0) {
            error = ToWinsockError(errno);
            return nullptr;
        }
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = address;
        // Connect without blocking so that the wait has a limit, then go back to blocking.
        int flags = fcntl(fd, F_GETFL, 0);
        fcntl(fd, F_SETFL, flags | O_NONBLOCK);
        int r = connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof(to));
        int failure = 0;
        if (r < 0 && errno != EINPROGRESS) {
            failure = errno;
        } else if (r < 0) {
            int w = WaitFor(fd, POLLOUT, timeoutMs);
            if (w == 0) {
                error = sockErrTimedOut;
                close(fd);
                return nullptr;
            }
            socklen_t size = sizeof(failure);
            if (w < 0) failure = errno;
            else getsockopt(fd, SOL_SOCKET, SO_ERROR, &failure, &size);
        }
        if (failure) {
            error = ToWinsockError(failure);
            close(fd);
            return nullptr;
        }
        fcntl(fd, F_SETFL, flags);
        error = 0;
        return std::make_unique<PosixSocket>(fd);
    }

    std::unique_ptr<IBlockingListener> ListenLoopback(int& error) override {
        int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof(at);
        if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&at), sizeof(at)) != 0 || listen(fd, 4) != 0 ||
            getsockname(fd, reinterpret_cast<sockaddr*>(&at), &size) != 0) {
            error = ToWinsockError(errno);
            if (fd >= 0) close(fd);
            return nullptr;
        }
        error = 0;
        return std::make_unique<PosixListener>(fd, ntohs(at.sin_port));
    }
};

}  // namespace

IBlockingSockets& PosixBlockingSockets() {
    static PosixSockets sockets;
    return sockets;
}

}  // namespace platform
#endif
