// The seam between the asynchronous socket and the system's socket library (Windows Sockets
// 1.1). The socket's state machine, buffers and events are portable; everything that needs
// winsock.h lives behind this interface (net/win32/WinsockBinding.h for the real library,
// a scripted fake in the unit tests).
//
// Contract, in Winsock 1.1 terms: a call that fails returns -1 (SOCKET_ERROR) or, for
// Socket(), kInvalidSocket, and leaves its code for LastError(). Addresses and ports inside
// SockAddrIn are in network byte order, as the library keeps them. After AsyncSelect the
// library posts `msg` to the given window with wParam = the socket and lParam =
// MakeSelectLParam(event bit, error), once per event, on the user-interface thread's queue.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/MessageWindow.h"

namespace net {

using TSocketHandle = uintptr_t;
constexpr TSocketHandle kInvalidSocket = ~TSocketHandle{0};
constexpr int kSocketError = -1;

// Values of the Winsock 1.1 API that the socket uses.
enum : int {
    kAfInet = 2,
    kSockStream = 1,
    kSockDgram = 2,
    kIpProtoTcp = 6,
    kIpProtoUdp = 17,
    kSolSocket = 0xFFFF,
    kSoKeepAlive = 0x0008,
    kSoReuseAddr = 0x0004,
    kSoBroadcast = 0x0020,
    kSoLinger = 0x0080,
    kMsgOob = 1,
};
enum : uint32_t {
    FD_READ_ = 0x01,
    FD_WRITE_ = 0x02,
    FD_OOB_ = 0x04,
    FD_ACCEPT_ = 0x08,
    FD_CONNECT_ = 0x10,
    FD_CLOSE_ = 0x20,
};
constexpr uint32_t kInaddrNone = 0xFFFFFFFFu;

// Winsock error codes the socket treats specially.
enum : int {
    WSAEINTR_ = 10004,
    WSAEINVAL_ = 10022,
    WSAEWOULDBLOCK_ = 10035,
    WSAENOTSOCK_ = 10038,
    WSAECONNABORTED_ = 10053,
    WSAECONNRESET_ = 10054,
    WSAENOTCONN_ = 10057,
    WSAECONNREFUSED_ = 10061,
    WSANOTINITIALISED_ = 10093,
    WSAHOST_NOT_FOUND_ = 11001,
};

// The library's IPv4 socket address; port and address in network byte order.
struct SockAddrIn {
    int16_t family = kAfInet;
    uint16_t port = 0;
    uint32_t addr = 0;
};

// The SO_LINGER record of Winsock 1.1 (two unsigned 16-bit fields).
struct LingerOption {
    uint16_t onOff = 0;
    uint16_t seconds = 0;
};

inline intptr_t MakeSelectLParam(uint32_t event, int error) {
    return static_cast<intptr_t>((static_cast<uint32_t>(error & 0xFFFF) << 16) | (event & 0xFFFF));
}
inline uint16_t HostToNet16(uint16_t v) { return static_cast<uint16_t>((v >> 8) | (v << 8)); }
inline uint16_t NetToHost16(uint16_t v) { return HostToNet16(v); }

class ISocketApi {
public:
    virtual ~ISocketApi() = default;

    // Makes the library usable (loads it and starts it on first use). Raises
    // ESocketException with the loading texts when it cannot.
    virtual void Load() = 0;
    // Stops and frees the library; the next Load starts again from nothing.
    virtual void Unload() = 0;

    virtual int LastError() = 0;
    virtual void SetLastError(int code) = 0;

    virtual TSocketHandle Socket(int family, int type, int protocol) = 0;
    virtual int Bind(TSocketHandle s, const SockAddrIn& a) = 0;
    virtual int GetSockName(TSocketHandle s, SockAddrIn& a) = 0;
    virtual int GetPeerName(TSocketHandle s, SockAddrIn& a) = 0;
    virtual int Connect(TSocketHandle s, const SockAddrIn& a) = 0;
    virtual int SetSockOpt(TSocketHandle s, int level, int option, const void* value, int length) = 0;
    // Asks for `events` to arrive as `msg` at `window` (0 events: no more notifications).
    virtual int AsyncSelect(TSocketHandle s, IMessageWindow& window, uint32_t msg, uint32_t events) = 0;
    virtual int Send(TSocketHandle s, const void* data, int length, int flags) = 0;
    virtual int SendTo(TSocketHandle s, const void* data, int length, int flags, const SockAddrIn& to) = 0;
    virtual int Recv(TSocketHandle s, void* buffer, int size, int flags) = 0;
    // `from` may be null; the library fills it only where the protocol names a sender.
    virtual int RecvFrom(TSocketHandle s, void* buffer, int size, int flags, SockAddrIn* from) = 0;
    // ioctlsocket(FIONREAD): how many bytes wait to be read.
    virtual int BytesWaiting(TSocketHandle s, uint32_t& count) = 0;
    virtual int Shutdown(TSocketHandle s, int how) = 0;
    virtual int CloseSocket(TSocketHandle s) = 0;

    // inet_addr: dotted text to an address in network order, kInaddrNone when it is not one.
    virtual uint32_t InetAddr(const std::string& text) = 0;
    // gethostbyname (blocks until the system's resolver answers); every IPv4 address of
    // the host, in network order, in the entry's order. Empty: no such host.
    virtual std::vector<uint32_t> GetHostByName(const std::string& name) = 0;
    // getservbyname; the port in host order. False: no such service.
    virtual bool GetServByName(const std::string& name, const std::string& proto, uint16_t& port) = 0;
    // getprotobyname. False: no such protocol.
    virtual bool GetProtoByName(const std::string& name, int& number) = 0;

    // Asynchronous lookups (WSAAsyncGetHostByName / ByAddr): the answer arrives as `msg` at
    // `window` with wParam = the request handle and the error in the high word of lParam.
    // The result stays with the library until TakeLookupResult or CancelAsyncRequest.
    // A zero handle: the request could not be started (code in LastError).
    virtual uintptr_t AsyncGetHostByName(IMessageWindow& window, uint32_t msg, const std::string& name) = 0;
    virtual uintptr_t AsyncGetHostByAddr(IMessageWindow& window, uint32_t msg, uint32_t netAddr) = 0;
    virtual int CancelAsyncRequest(uintptr_t request) = 0;
    // The finished request's host entry: its IPv4 addresses (network order) and its name.
    virtual void TakeLookupResult(uintptr_t request, std::vector<uint32_t>& addrs, std::string& name) = 0;
};

// The library of the services record in force (platform/Services.h). Raises
// ESocketException "Unable to load wsock32.dll Error #0" when none was installed (the native
// build has no socket library of its own).
ISocketApi& SocketApi();

// Live socket components: the last one to go unloads the library.
void SocketCreated();
void SocketDestroyed();
int LiveSockets();

// Strict "a.b.c.d" (decimal parts 0..255, blanks around allowed) to an address in network
// order, without the library; kInaddrNone for anything else, 255.255.255.255 included.
uint32_t ParseDottedQuad(const std::string& text);

// Dotted text of an address in network order ("%d.%d.%d.%d" of its four bytes).
std::string AddrToText(uint32_t netAddr);

}  // namespace net
