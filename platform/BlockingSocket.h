// The blocking TCP client socket the mail client talks through: connect to an IPv4
// address and port, send, receive with a time limit, and close (by destroying the object).
// Each platform supplies one implementation beside this header: the POSIX one
// (platform/headless, for native builds and tests against loopback peers) and the Winsock
// 1.1 one (platform/win32, the program's). The services record chooses which is in force.
//
// Error numbers are Winsock's on every platform (10060 timed out, 10061 refused, ...), so
// the messages and the tests read the same everywhere.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {

// Winsock error numbers the backends report; other system errors map to the nearest one.
enum : int {
    sockErrInterrupted = 10004,
    sockErrInvalid = 10022,
    sockErrWouldBlock = 10035,
    sockErrNotConnected = 10057,
    sockErrNetDown = 10050,
    sockErrNetUnreachable = 10051,
    sockErrAborted = 10053,
    sockErrReset = 10054,
    sockErrTimedOut = 10060,
    sockErrRefused = 10061,
    sockErrHostUnreachable = 10065,
    sockErrHostNotFound = 11001,
};

// One connected stream. Destroying it closes the connection.
class IBlockingSocket {
public:
    virtual ~IBlockingSocket() = default;
    // The system's number of this socket; only used to tell sockets apart in traces.
    virtual int Id() const = 0;
    // Sends the whole buffer (repeating partial sends). Returns the bytes sent, or -1 with
    // LastError() set when the connection failed before all of it went out.
    virtual int Send(const char* data, int len) = 0;
    // Waits at most timeoutMs for data, then receives up to len bytes. Returns the count
    // (> 0), 0 when the peer closed the connection, or -1 with LastError() set (a time limit
    // that ran out is sockErrTimedOut). Never blocks longer than timeoutMs.
    virtual int Receive(char* buf, int len, int timeoutMs) = 0;
    // True while the system still knows a peer for the socket.
    virtual bool PeerConnected() = 0;
    // The error of the last failed call (a Winsock number).
    virtual int LastError() const = 0;
};

// What a TLS handshake learned about the server's certificate.
struct TTlsPeer {
    std::string Host;         // the name the certificate was checked against
    bool Trusted = false;     // the system verified the chain and the host name
    std::string Problem;      // why not (or why the handshake failed), for traces and boxes
    std::string Fingerprint;  // SHA-256 of the certificate as "AB:CD:...", 32 pairs
};

// A listening socket on 127.0.0.1 (the loopback redirect of a sign-in). Destroying it stops
// listening: a later connection is refused by the system.
class IBlockingListener {
public:
    virtual ~IBlockingListener() = default;
    // The port the system gave it.
    virtual uint16_t Port() const = 0;
    // Waits at most timeoutMs for the next connection. Returns it (a blocking socket like a
    // connected one), or nullptr with error set: sockErrTimedOut when none came.
    virtual std::unique_ptr<IBlockingSocket> Accept(int timeoutMs, int& error) = 0;
};

// The socket service: start-up of the network library, name resolution, connecting.
class IBlockingSockets {
public:
    virtual ~IBlockingSockets() = default;
    // Starts the network library (Winsock version 1.1); returns 0 or the library's error.
    virtual int Startup() = 0;
    // Cancels any blocking call and releases the library again.
    virtual void Cleanup() = 0;
    // Looks a host name up; on success stores its first IPv4 address in network byte order.
    virtual bool ResolveHost(const std::string& name, uint32_t& address) = 0;
    // Connects to address (network byte order) and port, waiting at most timeoutMs.
    // Returns the connected socket, or nullptr with error set to a Winsock number.
    virtual std::unique_ptr<IBlockingSocket> Connect(uint32_t address, uint16_t port, int timeoutMs,
                                                     int& error) = 0;
    // Connect as above, calling keepWaiting at least every sliceMs while the connection is
    // not made yet (the window handles its messages there); false from it gives up at once
    // with sockErrAborted. This default waits in one go.
    virtual std::unique_ptr<IBlockingSocket> ConnectPaced(uint32_t address, uint16_t port, int timeoutMs, int& error,
                                                          const std::function<bool()>& keepWaiting, int sliceMs) {
        (void)keepWaiting;
        (void)sliceMs;
        return Connect(address, port, timeoutMs, error);
    }
    // Turns a connected socket into a TLS client connection to host (also sent to the
    // server as the name it should answer for, unless it is an address literal): the handshake,
    // at most timeoutMs in all, then the system's own check of the certificate, whose result (and
    // fingerprint) is written to peer; a certificate the system does not trust is not a
    // failure here, the caller decides. Returns the encrypting socket, which owns plain, or
    // nullptr with peer.Problem set when no TLS connection came about. A service without
    // TLS (this default) always fails.
    virtual std::unique_ptr<IBlockingSocket> StartTls(std::unique_ptr<IBlockingSocket> plain,
                                                      const std::string& host, int timeoutMs, TTlsPeer& peer) {
        peer.Problem = "TLS is not available on this system";
        return nullptr;
    }
    // Listens on 127.0.0.1, on a free port the system picks, for one connection at a time.
    // Returns nullptr with error set when it cannot (this default always).
    virtual std::unique_ptr<IBlockingListener> ListenLoopback(int& error) {
        error = sockErrInvalid;
        return nullptr;
    }
};

// The socket service in force (installed with the services record, platform/Services.h);
// throws std::logic_error when none is.
IBlockingSockets& SystemBlockingSockets();

}  // namespace platform
